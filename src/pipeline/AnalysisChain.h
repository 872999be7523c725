#pragma once

#include "analysis/DeflectionAnalysis.h"
#include "analysis/Smoothing.h"

#include <string>

class CKVTcontrol;
class CVorlixDoc;

// What the analysis of a segment is told besides the segment itself.
struct AnalysisSettings {
    deflection::BandPass band;
    smoothing::SmoothingSettings smoothing;
};

// The band and the smoothing the user chose in the options.
AnalysisSettings AnalysisSettingsOf(const CKVTcontrol& options);

// The analysis run after every segment read: band-pass of both signals with the start-up
// repair, load- and geophone-cycle detection, pairing into per-cycle results, then the
// smoothing of `settings`. Returns false with *error set when the analysis library reports an
// error; the chain then stops where it is.
bool RunAnalysisChain(CVorlixDoc& doc, const AnalysisSettings& settings,
                      deflection::FilterWorkspace& workspace, std::string* error);
