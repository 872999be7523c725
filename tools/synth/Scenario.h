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
          route(o.seed) {
        if (o.sections > 0)
            profile.SetSteps(MakeSectionSteps(o.seed, o.sections, trajectory.StartDistance(),
                                              trajectory.EndDistance()));
    }

    Options options;
    RatioProfile profile;
    Trajectory trajectory;
    RoadRoute route;
};

} // namespace synth
