#pragma once

#include "analysis/DeflectionAnalysis.h"

#include <string>

class CVorlixDoc;

// The analysis run after every segment read: band-pass of both signals with the start-up
// repair, load- and geophone-cycle detection, pairing into per-cycle results, then the
// smoothing chosen in the options. Returns false with *error set when the analysis library
// reports an error; the chain then stops where it is.
bool RunAnalysisChain(CVorlixDoc& doc, deflection::FilterWorkspace& workspace, std::string* error);
