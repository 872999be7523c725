#pragma once

#include <array>
#include <cstdint>

// One GPR scan in memory: the amplitudes of its block and where along the road it was taken.
// Samples 1022 and 1023 hold the miles and feet as the block does.
class Ctrace {
public:
    static constexpr int kSamples = 1024;
    static constexpr int kAmplitudeSamples = 1022;

    virtual ~Ctrace() = default;

    std::int32_t sampleCount = kAmplitudeSamples; // 0 marks a trace that was never loaded
    std::array<std::int16_t, kSamples> samples{};
    std::int16_t miles = 0;
    std::int16_t feet = 0;
    std::int32_t distance = 0; // feet
    float mean = 0.0f;         // of the first sampleCount samples
};
