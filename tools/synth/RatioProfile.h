#pragma once

#include <cstdint>
#include <vector>

namespace synth {

// The true deflection ratio along the road (geophone amplitude x 10 / load amplitude): a smooth
// base of a few long waves between about 2.7 and 6.5, weak spots (raised-cosine bumps 20-50 ft
// wide, in about half of the 400-ft cells) and joint spikes about every 100 ft (2.5 ft wide).
// A function of the seed and the distance only, so any distance can be asked for. Section
// steps, when set, scale it by a factor from each step's distance on (uniform sections).
struct SectionStep {
    double distanceFt;
    double factor; // of the ratio from distanceFt to the next step
};

class RatioProfile {
public:
    explicit RatioProfile(std::uint64_t seed);

    // Steps in increasing distance; before the first the factor is 1.
    void SetSteps(std::vector<SectionStep> steps) { steps_ = std::move(steps); }
    const std::vector<SectionStep>& Steps() const { return steps_; }
    double SectionFactorAt(double distanceFt) const;

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
    std::vector<SectionStep> steps_;
};

// K steps over [startFt, endFt]: at about (i + 1) / (K + 1) of the way, moved by up to an
// eighth of their spacing and put on a half foot (a row of the truth table), each with a
// factor between 0.7 and 1.4. A function of the seed and the road only.
std::vector<SectionStep> MakeSectionSteps(std::uint64_t seed, int count, double startFt,
                                          double endFt);

// Height of a raised-cosine bump of the given full width at offset dx from its centre.
double RaisedCosine(double dx, double width);

} // namespace synth
