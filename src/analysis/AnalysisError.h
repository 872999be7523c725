#pragma once

#include <stdexcept>

// Codes returned by the analysis routines (0 success, negative error, positive warning) and
// the text of each error. AnalysisError::what() is "Math Exception: " followed by the text.
//
//   Code    Text
//   -5093   The underlying analysis dll was not found.
//   -5094   The specified analysis function was not found.
//   -20001  (out of memory: raised as std::bad_alloc, no text)
//   -20003  The number of samples must not be negative.
//   -20004  The number of samples must be at least 2.
//   -20005  Sampling interval, dt, must be a finite value greater than zero.
//   -20006  Sampling frequency, fs, must be a finite value greater than zero.
//   -20007  An array argument is a null pointer.
//   -20008  The two signals must have the same number of samples.
//   -20020  Cut-off frequency, fc, must meet the condition 0 <= fc <= (fs/2).
//   -20021  Order must be greater than zero.
//   -20023  the band edges are not 0 < low < high < fs/2 (text in AnalysisError.cpp)
//   other   Unknown math error.
enum AnalysisCode : int {
    kAnalysisNoError = 0,
    kAnalysisDllNotFound = -5093,
    kAnalysisFunctionNotFound = -5094,
    kAnalysisOutOfMemory = -20001,
    kAnalysisNegativeSampleCount = -20003,
    kAnalysisTooFewSamples = -20004,
    kAnalysisBadSampleInterval = -20005,
    kAnalysisBadSamplingRate = -20006,
    kAnalysisNullArray = -20007,
    kAnalysisSizeMismatch = -20008,
    kAnalysisBadCutoff = -20020,
    kAnalysisBadOrder = -20021,
    kAnalysisBadBand = -20023,
};

// The text of an error code, "Unknown math error." for a code not in the table.
const char* AnalysisErrorText(int code);

// An error reported by an analysis routine.
class AnalysisError : public std::runtime_error {
public:
    explicit AnalysisError(int code);
    int Code() const { return code_; }

private:
    int code_;
};
