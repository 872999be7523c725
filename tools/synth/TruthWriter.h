#pragma once

#include "synth/Scenario.h"

#include <string>

namespace synth {

// The truth table: "distance_ft,true_ratio" and one row every half foot over the driven road.
constexpr double kTruthStepFt = 0.5;

bool WriteTruthFile(const std::string& path, const Scenario& scenario, std::string* error);

} // namespace synth
