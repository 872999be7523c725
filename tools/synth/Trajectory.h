#pragma once

#include <cstdint>
#include <vector>

namespace synth {

// One standing stretch of the vehicle: speed ramps down to 0 over rampS seconds, stays 0 for
// standS seconds starting at startS, then ramps up again.
struct Stop {
    double startS = 0;
    double standS = 0;
    double rampS = 0;
};

// The vehicle's motion. The speed is evaluated at the group boundaries (every 0.25 s) and taken
// as linear in between, so positions inside a group follow exactly from the two boundary
// speeds and a standing stretch gives exactly equal group distances.
class Trajectory {
public:
    static constexpr double kGroupSeconds = 0.25;
    static constexpr double kFeetPerSecondPerMph = 22.0 / 15.0;

    Trajectory(int groups, double speedMph, bool stops, double startFt, std::uint64_t seed);

    int Groups() const { return groups_; }
    // Distance in feet at the start of group k (k from 0 to Groups()).
    double GroupDistance(int k) const { return position_[k]; }
    // Speed in feet per second at the start of group k.
    double GroupSpeed(int k) const { return speed_[k]; }
    // Distance tau seconds (0 to 0.25) into group k.
    double DistanceInGroup(int k, double tau) const {
        return position_[k] + speed_[k] * tau +
               (speed_[k + 1] - speed_[k]) * tau * tau / (2.0 * kGroupSeconds);
    }
    double StartDistance() const { return position_.front(); }
    double EndDistance() const { return position_.back(); }
    double NominalSpeed() const { return nominalFtPerS_; }
    const std::vector<Stop>& Stops() const { return stops_; }

    // Speed factor 0..1 of the standing stretches at time t.
    static double StopFactor(const std::vector<Stop>& stops, double t);

private:
    int groups_;
    double nominalFtPerS_;
    std::vector<Stop> stops_;
    std::vector<double> position_; // groups_ + 1 entries
    std::vector<double> speed_;    // groups_ + 1 entries
};

} // namespace synth
