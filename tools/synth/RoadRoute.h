#pragma once

#include <cstdint>

namespace synth {

// Where the road lies: a straight line from a seeded start point and heading, with a rolling
// elevation and a slowly changing pavement temperature, all as functions of the distance.
class RoadRoute {
public:
    explicit RoadRoute(std::uint64_t seed);

    double LatitudeAt(double distanceFt) const;
    double LongitudeAt(double distanceFt) const;
    // Elevation above sea level, in feet.
    double LevelAt(double distanceFt) const;
    // Pavement surface temperature in degrees Fahrenheit (without sensor noise).
    double TemperatureAt(double distanceFt) const;

    static constexpr double kFeetPerDegreeLatitude = 364'000.0;

private:
    double latitude0_, longitude0_;
    double northPerFt_, eastPerFt_; // degrees per foot along the road
    double phase_[4];
};

} // namespace synth
