#pragma once

#include "synth/Scenario.h"

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

// The GPR companion file: a 2048-byte header block with the kind mark, then one 2048-byte scan
// block per foot of road (more feet per scan on roads longer than the reader's 50,000 scans).
// Amplitudes are 2048 plus a surface wave and three layer reflections whose depths change
// slowly along the road; "QXR-GPR" scans carry a GPS record in their trailer and a mark code
// every 1000 ft.
struct GprLayout {
    static constexpr int kBlockBytes = 2048;
    static constexpr int kSamples = 1024;
    static constexpr int kTrailerStart = 974; // first trailer sample of kind 2
    static constexpr int kMarkSample = 1021;
    static constexpr int kMilesSample = 1022;
    static constexpr int kFeetSample = 1023;
    static constexpr int kMaxScans = 50'000;
    static constexpr int kMarkSpacingFt = 1000;
    static constexpr int kScansPerGpsFix = 10;
};

// Depths (sample index) of the three layer interfaces at a distance.
void GprLayerDepths(std::uint64_t seed, double distanceFt, double depths[3]);
// Feet between scans for a road of the given length.
int GprScanSpacing(double lengthFt);

// One scan block of the given kind (1 "PULSE07", 2 "QXR-GPR").
std::vector<std::uint8_t> GprScanBlock(const Scenario& scenario, int kind, int scanIndex,
                                       int distanceFt, int markCode, std::uint64_t noiseSeed);

bool WriteGprFile(const std::string& path, const Scenario& scenario, std::string* error);

} // namespace synth
