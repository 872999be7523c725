#pragma once

#include "synth/RatioProfile.h"

#include <vector>

namespace synth {

// The ratio profile sampled on a fine distance grid, for a lookup per signal sample without
// re-evaluating the profile's waves and bumps. Linear interpolation; outside the grid the end
// value holds.
class ProfileTable {
public:
    ProfileTable(const RatioProfile& profile, double fromFt, double toFt, double stepFt);

    double At(double distanceFt) const {
        double u = (distanceFt - from_) * inverseStep_;
        if (!(u > 0.0))
            return values_.front();
        const std::size_t i = static_cast<std::size_t>(u);
        if (i + 1 >= values_.size())
            return values_.back();
        const double f = u - static_cast<double>(i);
        return values_[i] + f * (values_[i + 1] - values_[i]);
    }
    double Step() const { return step_; }

private:
    double from_, step_, inverseStep_;
    std::vector<float> values_;
};

} // namespace synth
