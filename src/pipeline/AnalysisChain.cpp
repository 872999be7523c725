#include "pipeline/AnalysisChain.h"

#include "analysis/AnalysisError.h"
#include "analysis/CNiScalarVector.h"
#include "analysis/DeflectionAnalysis.h"
#include "analysis/Smoothing.h"
#include "document/CVorlixDoc.h"

#include <new>

bool RunAnalysisChain(CVorlixDoc& doc, deflection::FilterWorkspace& workspace, std::string* error) {
    try {
        deflection::FilterSignals(doc, workspace);
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
    smoothing::SmoothResults(doc);
    // The DMI station table is refreshed by the distance-profile figure, which holds it.
    return true;
}
