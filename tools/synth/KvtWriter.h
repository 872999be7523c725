#pragma once

#include "synth/Scenario.h"

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

// The measured signals of the test vehicle, in calibrated units.
struct SignalModel {
    static constexpr double kSampleRate = 1000.0;
    static constexpr int kGroupSamples = 250;
    static constexpr double kLoadFrequency = 30.0; // Hz; 100 samples hold exactly 3 cycles
    static constexpr double kStaticLoad = 10.0;    // kips of hold-down force
    static constexpr double kDynamicLoad = 5.0;    // kips, half of the peak-to-peak force
    static constexpr double kGeophoneLag = 0.0035; // seconds the geophone lags the load
    // Geophones 1 (centre), 2 (front) and 3 (rear): where they read the ratio profile relative
    // to the load, and how much of the centre deflection they see.
    static constexpr double kGeophoneOffsetFt[4] = {0.0, 0.0, 3.0, -3.0};
    static constexpr double kGeophoneScale[4] = {0.0, 1.0, 0.7, 0.6};
    static constexpr double kGeophoneFactor[4] = {0.0, kCenterFactor, kFrontFactor, kRearFactor};
    // Standard deviations of the noise at Options::noise 1.
    static constexpr double kLoadNoise = 0.1;      // kips
    static constexpr double kGeophoneNoise = 0.05; // calibrated geophone units
    static constexpr double kAuxNoise = 30.0;      // counts
};

// Raw counts whose calibrated value (factor x counts / 3276.8) is the given value, rounded and
// held to the int16 range.
std::int16_t LoadCounts(double kips);
std::int16_t GeophoneCounts(double value, double factor);
std::int16_t ClampCounts(double counts);

// The 8000-byte file header with the 12 channel descriptors, `channels` of them active.
std::vector<std::uint8_t> KvtHeader(int channels, const Options& options);
// The five names of channel c: name, unit, sensor, serial number, description.
std::vector<std::string> ChannelNames(int channel);

bool WriteKvtFile(const std::string& path, const Scenario& scenario, std::string* error);

} // namespace synth
