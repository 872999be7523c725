#include "synth/Trajectory.h"

#include "synth/SplitMix64.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr std::uint64_t kSpeedKey = 0x53504545ull, kStopKey = 0x53544F50ull;

std::vector<Stop> PlanStops(double duration, std::uint64_t seed) {
    SplitMix64 rng = SplitMix64::Keyed(seed, kStopKey);
    const int count = duration >= 120.0 && rng.Uniform() < 0.5 ? 2 : 1;
    std::vector<Stop> stops;
    const double slot = duration / (count + 1);
    for (int i = 1; i <= count; ++i) {
        Stop s;
        s.standS = 3.0 + 3.0 * rng.Uniform();
        s.rampS = 2.0;
        // Short files get proportionally shorter stops so that they still fit.
        const double needed = s.standS + 2.0 * s.rampS;
        if (needed > 0.6 * slot) {
            const double scale = 0.6 * slot / needed;
            s.standS *= scale;
            s.rampS *= scale;
        }
        const double centre = slot * i + 0.1 * slot * (rng.Uniform() - 0.5);
        s.startS = centre - 0.5 * s.standS;
        stops.push_back(s);
    }
    return stops;
}
} // namespace

double Trajectory::StopFactor(const std::vector<Stop>& stops, double t) {
    double factor = 1.0;
    for (const Stop& s : stops) {
        const double end = s.startS + s.standS;
        if (t >= s.startS && t <= end)
            return 0.0;
        double away = t < s.startS ? s.startS - t : t - end;
        if (away < s.rampS)
            factor *= 0.5 * (1.0 - std::cos(3.141592653589793 * away / s.rampS));
    }
    return factor;
}

Trajectory::Trajectory(int groups, double speedMph, bool stops, double startFt, std::uint64_t seed)
    : groups_(std::max(groups, 0)), nominalFtPerS_(speedMph * kFeetPerSecondPerMph) {
    const double duration = groups_ * kGroupSeconds;
    if (stops)
        stops_ = PlanStops(duration, seed);
    SplitMix64 rng = SplitMix64::Keyed(seed, kSpeedKey);
    const double phase1 = kTwoPi * rng.Uniform(), phase2 = kTwoPi * rng.Uniform();
    speed_.resize(groups_ + 1);
    position_.resize(groups_ + 1);
    for (int k = 0; k <= groups_; ++k) {
        const double t = k * kGroupSeconds;
        const double wobble = 1.0 + 0.06 * std::sin(kTwoPi * t / 47.0 + phase1) +
                              0.03 * std::sin(kTwoPi * t / 11.3 + phase2);
        speed_[k] = nominalFtPerS_ * wobble * StopFactor(stops_, t);
    }
    position_[0] = startFt;
    for (int k = 0; k < groups_; ++k)
        position_[k + 1] = position_[k] + 0.5 * kGroupSeconds * (speed_[k] + speed_[k + 1]);
}

} // namespace synth
