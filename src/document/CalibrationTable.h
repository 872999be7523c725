#pragma once

#include <cstdint>
#include <vector>

// The calibrated value of every possible int16 count: scale x count / 3276.8, computed in
// extended precision and stored as float. A table look-up gives exactly what the arithmetic
// per sample would, at a fraction of its cost.
class CalibrationTable {
public:
    CalibrationTable() : values_(65536) {}

    // Recomputes the table only when the scale changed.
    void SetScale(long double scale);
    float operator()(std::int16_t count) const {
        return values_[static_cast<std::uint16_t>(count)];
    }

private:
    std::vector<float> values_;
    long double scale_ = 0.0L;
    bool valid_ = false;
};
