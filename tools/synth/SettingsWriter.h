#pragma once

#include "synth/Synth.h"

#include <string>

namespace synth {

// The settings file "Vorlixcontrol.dat" that matches the generated raw counts: the calibration
// factors, the 25-35 Hz band, geophone 1 and the result chart's titles and limits.
bool WriteSettingsFile(const std::string& path, const Options& options, std::string* error);

} // namespace synth
