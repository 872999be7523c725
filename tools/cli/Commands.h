#pragma once

#include "CliArgs.h"

// Each command returns the process exit code: 0 done, 1 a file could not be used, 2 bad usage.
int RunInfo(const CliArgs& args);
