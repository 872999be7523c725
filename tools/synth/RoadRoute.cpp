#include "synth/RoadRoute.h"

#include "synth/SplitMix64.h"

#include <cmath>

namespace synth {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDegree = 3.141592653589793 / 180.0;
constexpr std::uint64_t kRouteKey = 0x524F5554ull;
} // namespace

RoadRoute::RoadRoute(std::uint64_t seed) {
    SplitMix64 rng = SplitMix64::Keyed(seed, kRouteKey);
    latitude0_ = 38.0 + 4.0 * rng.Uniform();
    longitude0_ = -92.0 + 6.0 * rng.Uniform();
    const double heading = (20.0 + 50.0 * rng.Uniform()) * kDegree;
    northPerFt_ = std::cos(heading) / kFeetPerDegreeLatitude;
    eastPerFt_ = std::sin(heading) / (kFeetPerDegreeLatitude * std::cos(latitude0_ * kDegree));
    for (double& p : phase_)
        p = kTwoPi * rng.Uniform();
}

double RoadRoute::LatitudeAt(double x) const {
    return latitude0_ + northPerFt_ * x;
}

double RoadRoute::LongitudeAt(double x) const {
    return longitude0_ + eastPerFt_ * x;
}

double RoadRoute::LevelAt(double x) const {
    return 720.0 + 18.0 * std::sin(kTwoPi * x / 2600.0 + phase_[0]) +
           6.0 * std::sin(kTwoPi * x / 900.0 + phase_[1]);
}

double RoadRoute::TemperatureAt(double x) const {
    return 96.0 + 6.0 * std::sin(kTwoPi * x / 4000.0 + phase_[2]) +
           1.5 * std::sin(kTwoPi * x / 730.0 + phase_[3]);
}

} // namespace synth
