#include "synth/GprWriter.h"

#include "synth/SplitMix64.h"

#include "document/AtomicFileWriter.h"
#include "document/ByteOrder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace synth {

namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr std::uint64_t kLayerKey = 0x4C415952ull, kGprNoiseKey = 0x47505252ull;
constexpr int kWaveletHalf = 20, kPhases = 4;
constexpr double kWaveletSigma = 5.0;

// Ricker wavelets sampled at four sub-sample shifts, so that reflectors move smoothly.
struct WaveletTable {
    std::array<std::array<double, 2 * kWaveletHalf + 1>, kPhases> values;
    WaveletTable() {
        for (int p = 0; p < kPhases; ++p)
            for (int j = -kWaveletHalf; j <= kWaveletHalf; ++j) {
                const double u = (j - static_cast<double>(p) / kPhases) / kWaveletSigma;
                values[p][j + kWaveletHalf] = (1.0 - u * u) * std::exp(-0.5 * u * u);
            }
    }
};

void AddReflection(double* trace, int usable, double depth, double amplitude,
                   const WaveletTable& wavelet) {
    const double scaled = depth * kPhases;
    const long whole = static_cast<long>(std::floor(scaled));
    const int centre = static_cast<int>(whole / kPhases);
    const int phase = static_cast<int>(whole - static_cast<long>(centre) * kPhases);
    for (int j = -kWaveletHalf; j <= kWaveletHalf; ++j) {
        const int k = centre + j;
        if (k >= 0 && k < usable)
            trace[k] += amplitude * wavelet.values[phase][j + kWaveletHalf];
    }
}

} // namespace

void GprLayerDepths(std::uint64_t seed, double x, double depths[3]) {
    SplitMix64 rng = SplitMix64::Keyed(seed, kLayerKey);
    double p[5];
    for (double& v : p)
        v = kTwoPi * rng.Uniform();
    depths[0] = 150.0 + 12.0 * std::sin(kTwoPi * x / 500.0 + p[0]) +
                4.0 * std::sin(kTwoPi * x / 130.0 + p[1]);
    depths[1] = 330.0 + 30.0 * std::sin(kTwoPi * x / 1300.0 + p[2]);
    depths[2] = 600.0 + 60.0 * std::sin(kTwoPi * x / 2900.0 + p[3]) +
                15.0 * std::sin(kTwoPi * x / 700.0 + p[4]);
}

int GprScanSpacing(double lengthFt) {
    return std::max(1, static_cast<int>(std::ceil(lengthFt / (GprLayout::kMaxScans - 1))));
}

std::vector<std::uint8_t> GprScanBlock(const Scenario& scenario, int kind, int scanIndex,
                                       int distanceFt, int markCode, std::uint64_t noiseSeed) {
    static const WaveletTable wavelet;
    const int usable = kind == 2 ? GprLayout::kTrailerStart : GprLayout::kMarkSample + 1;
    double trace[GprLayout::kSamples] = {};
    double depths[3];
    GprLayerDepths(scenario.options.seed, distanceFt, depths);
    // Weak spots show as a stronger base reflection (wetter base).
    const double wet = scenario.profile.At(distanceFt) / 5.0;
    AddReflection(trace, usable, 40.0, 900.0, wavelet);
    AddReflection(trace, usable, depths[0], -520.0, wavelet);
    AddReflection(trace, usable, depths[1], 300.0 * wet, wavelet);
    AddReflection(trace, usable, depths[2], 200.0, wavelet);

    SplitMix64 noise = SplitMix64::Keyed(noiseSeed, static_cast<std::uint64_t>(scanIndex));
    std::vector<std::uint8_t> block(GprLayout::kBlockBytes, 0);
    const double noiseCounts = 12.0 * scenario.options.noise;
    for (int k = 0; k < usable; ++k) {
        const double value = 2048.0 + trace[k] + noiseCounts * noise.Noise();
        const double counts = std::clamp(std::floor(value + 0.5), 0.0, 4095.0);
        byteorder::StoreLE<std::int16_t>(&block[2 * k], static_cast<std::int16_t>(counts));
    }
    if (kind == 2) {
        std::uint8_t* gps = &block[2 * GprLayout::kTrailerStart];
        const int sequence = std::min(65535, scanIndex / GprLayout::kScansPerGpsFix + 1);
        byteorder::StoreLE<std::uint16_t>(gps, static_cast<std::uint16_t>(sequence));
        byteorder::StoreLE<double>(gps + 8, scenario.route.LatitudeAt(distanceFt));
        byteorder::StoreLE<double>(gps + 16, scenario.route.LongitudeAt(distanceFt));
        byteorder::StoreLE<std::int16_t>(&block[2 * GprLayout::kMarkSample],
                                         static_cast<std::int16_t>(markCode & 0xFF));
    }
    byteorder::StoreLE<std::int16_t>(&block[2 * GprLayout::kMilesSample],
                                     static_cast<std::int16_t>(distanceFt / 5280));
    byteorder::StoreLE<std::int16_t>(&block[2 * GprLayout::kFeetSample],
                                     static_cast<std::int16_t>(distanceFt % 5280));
    return block;
}

bool WriteGprFile(const std::string& path, const Scenario& scenario, std::string* error) {
    const int kind = scenario.options.gpr == Options::Gpr::Qxr ? 2 : 1;
    const Trajectory& trajectory = scenario.trajectory;
    const int first = static_cast<int>(std::ceil(trajectory.StartDistance()));
    const double end = trajectory.EndDistance();
    const int spacing = GprScanSpacing(end - first);

    AtomicFileWriter out;
    if (!out.Open(path)) {
        if (error)
            *error = out.Error();
        return false;
    }
    std::vector<std::uint8_t> header(GprLayout::kBlockBytes, 0);
    const char* mark = kind == 2 ? "QXR-GPR" : "PULSE07";
    std::memcpy(header.data(), mark, 7);
    const char* about = "Vorlix synthetic GPR, 1024 samples per scan";
    std::memcpy(&header[16], about, std::strlen(about));
    out.Write(header.data(), header.size());

    const std::uint64_t noiseSeed = SplitMix64::Mix(scenario.options.seed ^ kGprNoiseKey);
    int marks = 0;
    for (int j = 0; j < GprLayout::kMaxScans; ++j) {
        const long long d = first + static_cast<long long>(j) * spacing;
        if (j > 0 && d > end)
            break;
        const int distance = static_cast<int>(d);
        int markCode = 0;
        if (j > 0 && distance / GprLayout::kMarkSpacingFt !=
                         (distance - spacing) / GprLayout::kMarkSpacingFt)
            markCode = 1 + marks++ % 9;
        const std::vector<std::uint8_t> block =
            GprScanBlock(scenario, kind, j, distance, markCode, noiseSeed);
        if (!out.Write(block.data(), block.size()))
            break;
    }
    if (!out.Commit()) {
        if (error)
            *error = out.Error();
        return false;
    }
    return true;
}

} // namespace synth
