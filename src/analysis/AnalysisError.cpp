#include "analysis/AnalysisError.h"

#include <string>

const char* AnalysisErrorText(int code) {
    switch (code) {
    case kAnalysisDllNotFound:
        return "The underlying analysis dll was not found.";
    case kAnalysisFunctionNotFound:
        return "The specified analysis function was not found.";
    case kAnalysisNegativeSampleCount:
        return "The number of samples must not be negative.";
    case kAnalysisTooFewSamples:
        return "The number of samples must be at least 2.";
    case kAnalysisBadSampleInterval:
        return "Sampling interval, dt, must be a finite value greater than zero.";
    case kAnalysisBadSamplingRate:
        return "Sampling frequency, fs, must be a finite value greater than zero.";
    case kAnalysisNullArray:
        return "An array argument is a null pointer.";
    case kAnalysisSizeMismatch:
        return "The two signals must have the same number of samples.";
    case kAnalysisBadCutoff:
        return "Cut-off frequency, fc, must meet the condition 0 <= fc <= (fs/2).";
    case kAnalysisBadOrder:
        return "Order must be greater than zero.";
    case kAnalysisBadBand:
        return "Invalid band specification.";
    default:
        return "Unknown math error.";
    }
}

AnalysisError::AnalysisError(int code)
    : std::runtime_error(std::string("Math Exception: ") + AnalysisErrorText(code)), code_(code) {}
