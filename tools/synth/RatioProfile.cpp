#include "synth/RatioProfile.h"

#include "synth/SplitMix64.h"

#include <cmath>
#include <utility>

namespace synth {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr std::uint64_t kPhaseKey = 0x50524F46ull, kWeakKey = 0x5745414Bull,
                        kJointKey = 0x4A4F494Eull, kStepKey = 0x53544550ull;
constexpr double kUniformLevel = 4.6; // the base's mean
} // namespace

double RaisedCosine(double dx, double width) {
    const double half = width * 0.5;
    if (!(std::fabs(dx) < half))
        return 0.0;
    return 0.5 * (1.0 + std::cos(3.141592653589793 * dx / half));
}

RatioProfile::RatioProfile(std::uint64_t seed) : seed_(seed) {
    SplitMix64 rng = SplitMix64::Keyed(seed, kPhaseKey);
    for (double& p : phase_)
        p = kTwoPi * rng.Uniform();
}

double RatioProfile::BaseAt(double x) const {
    return 4.6 + 1.1 * std::sin(kTwoPi * x / 1700.0 + phase_[0]) +
           0.55 * std::sin(kTwoPi * x / 610.0 + phase_[1]) +
           0.25 * std::sin(kTwoPi * x / 230.0 + phase_[2]);
}

double RatioProfile::WeakSpotAt(double x) const {
    const double cell = std::floor(x / kWeakSpotCellFt);
    SplitMix64 rng = SplitMix64::Keyed(
        seed_, kWeakKey ^ static_cast<std::uint64_t>(static_cast<std::int64_t>(cell)));
    if (rng.Uniform() >= 0.5)
        return 0.0;
    // Centre 60..340 ft into the cell and at most 50 ft wide: a bump never leaves its cell.
    const double centre = cell * kWeakSpotCellFt + 60.0 + 280.0 * rng.Uniform();
    const double width = 20.0 + 30.0 * rng.Uniform();
    const double height = 0.9 + 1.4 * rng.Uniform();
    return height * RaisedCosine(x - centre, width);
}

double RatioProfile::JointAt(double x) const {
    // Joints sit within 3 ft of every multiple of 100 ft, so only the nearest one can reach x.
    const double joint = std::round(x / kJointSpacingFt);
    SplitMix64 rng = SplitMix64::Keyed(
        seed_, kJointKey ^ static_cast<std::uint64_t>(static_cast<std::int64_t>(joint)));
    const double centre = joint * kJointSpacingFt + 6.0 * (rng.Uniform() - 0.5);
    const double height = 0.6 + 0.8 * rng.Uniform();
    return height * RaisedCosine(x - centre, kJointWidthFt);
}

double RatioProfile::SectionFactorAt(double x) const {
    double factor = 1.0;
    for (const SectionStep& step : steps_) {
        if (!(x >= step.distanceFt))
            break;
        factor = step.factor;
    }
    return factor;
}

double RatioProfile::At(double x) const {
    if (steps_.empty())
        return BaseAt(x) + WeakSpotAt(x) + JointAt(x);
    // Uniform sections: the base's long waves, which would read as sections of their own, give
    // way to its mean level.
    return (kUniformLevel + WeakSpotAt(x) + JointAt(x)) * SectionFactorAt(x);
}

std::vector<SectionStep> MakeSectionSteps(std::uint64_t seed, int count, double startFt,
                                          double endFt) {
    std::vector<SectionStep> steps;
    SplitMix64 rng = SplitMix64::Keyed(seed, kStepKey);
    const double spacing = (endFt - startFt) / (count + 1);
    for (int i = 0; i < count; ++i) {
        const double at = startFt + spacing * (i + 1) + spacing * 0.25 * (rng.Uniform() - 0.5);
        const double factor = 0.7 + 0.7 * rng.Uniform();
        steps.push_back({std::round(at * 2.0) / 2.0, factor});
    }
    return steps;
}

} // namespace synth
