#pragma once

#include "app/AppArguments.h"

// The report mode: reads the raw file's profile the export's way, computes its sections and
// flags with the parameters of Vorlixsections.ini and writes the PDF report, without a window.
namespace reportrunner {

// Exit code of the program: 0 written, 1 the file or the PDF failed, 2 a wrong request (the
// working folder, a bad settings file). Every failure is told on stderr.
int Run(const AppArguments& arguments);

} // namespace reportrunner
