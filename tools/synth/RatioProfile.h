#pragma once

#include <cstdint>

namespace synth {

// The true deflection ratio along the road (geophone amplitude x 10 / load amplitude): a smooth
// base of a few long waves between about 2.7 and 6.5, weak spots (raised-cosine bumps 20-50 ft
// wide, in about half of the 400-ft cells) and joint spikes about every 100 ft (2.5 ft wide).
// A function of the seed and the distance only, so any distance can be asked for.
class RatioProfile {
public:
    explicit RatioProfile(std::uint64_t seed);

    double At(double distanceFt) const;
    double BaseAt(double distanceFt) const;
    double WeakSpotAt(double distanceFt) const;
    double JointAt(double distanceFt) const;

    static constexpr double kWeakSpotCellFt = 400.0;
    static constexpr double kJointSpacingFt = 100.0;
    static constexpr double kJointWidthFt = 2.5;

private:
    std::uint64_t seed_;
    double phase_[3];
};

// Height of a raised-cosine bump of the given full width at offset dx from its centre.
double RaisedCosine(double dx, double width);

} // namespace synth
