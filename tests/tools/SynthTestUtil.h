#pragma once

#include "document/ByteOrder.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

// Small helpers shared by the generator's tests: whole-file reads and little-endian fields.
namespace synthtest {

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

template <typename T> T At(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    if (offset + sizeof(T) > bytes.size())
        throw std::out_of_range("field beyond the end of the file");
    return byteorder::LoadLE<T>(bytes.data() + offset);
}

// Decoded view of a raw .KVT file, by byte offsets.
struct Kvt {
    std::vector<std::uint8_t> bytes;
    int channels = 0;
    std::size_t groupSize = 0;
    int groups = 0;

    explicit Kvt(const std::string& path) : bytes(ReadBytes(path)) {
        for (int c = 0; c < 12; ++c)
            if (bytes.size() > 3500 && bytes[500 + 250 * c + 25] != 0)
                ++channels;
        groupSize = static_cast<std::size_t>(channels) * 500 + 100;
        groups = bytes.size() < 8000 ? 0 : static_cast<int>((bytes.size() - 8000) / groupSize);
    }
    float Distance(int group) const { return At<float>(bytes, 8000 + groupSize * group + 12); }
    // Each group stores the distance reached by its end, so the last one is the road's end.
    double EndDistance() const { return Distance(groups - 1); }
    std::int16_t Sample(int group, int block, int i) const {
        return At<std::int16_t>(bytes, 8000 + groupSize * group + 20 + 500 * block + 2 * i);
    }
};

} // namespace synthtest
