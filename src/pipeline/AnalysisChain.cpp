#include "pipeline/AnalysisChain.h"

#include "analysis/AnalysisError.h"
#include "analysis/CNiScalarVector.h"
#include "analysis/DeflectionAnalysis.h"
#include "analysis/Smoothing.h"
#include "document/CVorlixDoc.h"

#include <new>

AnalysisSettings AnalysisSettingsOf(const CKVTcontrol& options) {
    return {deflection::BandPassOf(options), smoothing::SettingsOf(options)};
}

bool RunAnalysisChain(CVorlixDoc& doc, const AnalysisSettings& settings,
                      deflection::FilterWorkspace& workspace, std::string* error) {
    try {
        deflection::FilterSignals(doc, settings.band, workspace);
    } catch (const AnalysisError& e) {
        *error = e.what();
        return false;
    } catch (const VectorAccessError& e) {
        *error = e.what();
        return false;
    } catch (const std::bad_alloc&) {
        *error = "Out of memory while filtering the signals.";
        return false;
    }
    const int loadStored = deflection::DetectLoadCycles(doc);
    deflection::DetectGeoCycles(doc);
    deflection::PairCycles(doc, loadStored);
    smoothing::SmoothResults(doc, settings.smoothing);
    // The DMI station table is refreshed by the distance-profile figure, which holds it.
    return true;
}
