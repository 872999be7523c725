#pragma once

#include "CliArgs.h"

// Each command returns the process exit code: 0 done, 1 a file could not be used, 2 bad usage.
// export, convert and sections take several raw files, each done as if alone: 1 when any of
// them failed. A bad parameter, in an option or in Vorlixsections.ini, is bad usage.
int RunInfo(const CliArgs& args);
int RunExport(const CliArgs& args);
int RunConvert(const CliArgs& args);
int RunCycles(const CliArgs& args);
int RunSpectrum(const CliArgs& args);
int RunSections(const CliArgs& args);
