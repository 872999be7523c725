#pragma once

#include <array>
#include <cstdint>

// The depth gain of the GPR image: deeper samples come back weaker, so they are amplified
// more. Flat at 1 for the first flatLength samples, then rising along a quarter sine to
// almost 4 at the last sample.
class Camply {
public:
    static constexpr int kLength = 1024;
    static constexpr int kFlatLength = 200;

    Camply();
    virtual ~Camply() = default;

    static float GainAt(int sample);

    std::int16_t length = kLength;
    std::array<float, kLength> gain{};
    std::int16_t flatLength = kFlatLength;
};
