#pragma once

#include "synth/Synth.h"

#include <string>
#include <vector>

namespace synth {

extern const char* const kUsage;

enum class CommandLineResult { Run, Help, Error };

// Parses the arguments after the program name into *options (defaults for what is not given).
CommandLineResult ParseCommandLine(const std::vector<std::string>& args, Options* options,
                                   std::string* error);

} // namespace synth
