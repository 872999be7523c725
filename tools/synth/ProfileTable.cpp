#include "synth/ProfileTable.h"

#include <algorithm>
#include <cmath>

namespace synth {

ProfileTable::ProfileTable(const RatioProfile& profile, double fromFt, double toFt, double stepFt)
    : from_(fromFt), step_(stepFt), inverseStep_(1.0 / stepFt) {
    const std::size_t count =
        static_cast<std::size_t>(std::max(0.0, std::ceil((toFt - fromFt) / stepFt))) + 2;
    values_.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        values_[i] = static_cast<float>(profile.At(from_ + step_ * static_cast<double>(i)));
}

} // namespace synth
