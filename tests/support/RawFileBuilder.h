#pragma once

#include "document/CKVTcontrol.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

// Builds raw test files byte by byte, independently of the generator, for reader tests.
struct RawFileBuilder {
    int activeChannels = 5;
    int groups = 10;
    // Sample count of channel block `block`, group g, sample i.
    std::function<std::int16_t(int block, int g, int i)> sample = [](int block, int g, int i) {
        return static_cast<std::int16_t>(block * 1000 + (g * 250 + i) % 997 - 498);
    };
    std::function<float(int g)> distance = [](int g) { return 1.5f * static_cast<float>(g + 1); };
    std::vector<std::string> names = {"Load", "kips", "", "", ""};
    int trailingBytes = 0; // a partial group after the last whole one

    static void PutLE(std::vector<std::uint8_t>& bytes, std::size_t at, const void* value,
                      std::size_t size) {
        std::memcpy(&bytes[at], value, size);
    }

    std::vector<std::uint8_t> Build() const {
        const std::size_t groupSize = static_cast<std::size_t>(activeChannels) * 500 + 100;
        std::vector<std::uint8_t> bytes(8000 + groupSize * groups + trailingBytes, 0);
        for (int c = 0; c < 12; ++c) {
            const std::size_t d = 500 + 250 * static_cast<std::size_t>(c);
            bytes[d + 25] = c < activeChannels ? 1 : 0;
            std::size_t pos = d + 55;
            for (int k = 0; k < 5; ++k) {
                const std::string& name = k < static_cast<int>(names.size()) ? names[k] : "";
                bytes[d + 50 + k] = static_cast<std::uint8_t>(name.size());
                std::memcpy(&bytes[pos], name.data(), name.size());
                pos += name.size();
            }
        }
        for (int g = 0; g < groups; ++g) {
            const std::size_t at = 8000 + groupSize * static_cast<std::size_t>(g);
            float d = distance(g);
            PutLE(bytes, at + 12, &d, 4);
            for (int b = 0; b < activeChannels; ++b)
                for (int i = 0; i < 250; ++i) {
                    std::int16_t s = sample(b, g, i);
                    PutLE(bytes, at + 20 + 500 * static_cast<std::size_t>(b) + 2 * i, &s, 2);
                }
        }
        return bytes;
    }

    bool Write(const std::string& path) const { return WriteBytes(path, Build()); }

    static bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return std::fclose(f) == 0 && ok;
    }
};

// Calibration and band for files made with RawFileBuilder: the factors are set, the band is
// the 30 Hz band of the real tests.
inline void SetTestCalibration(CKVTcontrol& o) {
    o.loadFactor = 2.5f, o.centerFactor = 0.8f, o.frontFactor = 1.25f, o.rearFactor = 3.0f;
    o.bandpassLow = 25.0f, o.bandpassHigh = 35.0f;
}
