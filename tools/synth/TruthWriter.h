#pragma once

#include "synth/Scenario.h"

#include <string>

namespace synth {

// The truth table: "distance_ft,true_ratio" and one row every half foot over the driven road.
// With section steps a third column, "section_factor", holds the factor of each row: it
// changes exactly at the rows of the steps' distances.
constexpr double kTruthStepFt = 0.5;

bool WriteTruthFile(const std::string& path, const Scenario& scenario, std::string* error);

} // namespace synth
