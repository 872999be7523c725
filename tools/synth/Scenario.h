#pragma once

#include "synth/RatioProfile.h"
#include "synth/RoadRoute.h"
#include "synth/Synth.h"
#include "synth/Trajectory.h"

namespace synth {

// Everything the file writers share for one generated test.
struct Scenario {
    explicit Scenario(const Options& o)
        : options(o), profile(o.seed), trajectory(o.groups, o.speedMph, o.stops, o.startFt, o.seed),
          route(o.seed) {}

    Options options;
    RatioProfile profile;
    Trajectory trajectory;
    RoadRoute route;
};

} // namespace synth
