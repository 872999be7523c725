#include "analysis/AnalysisLibrary.h"

#include "analysis/AnalysisError.h"
#include "analysis/ButterworthDesign.h"
#include "analysis/PowerSpectrum.h"
#include "analysis/SosFilter.h"

#include <climits>
#include <cstddef>
#include <new>

namespace {

// The routines count samples in a signed 32-bit integer; a larger vector is refused rather
// than wrapped around.
int SampleCount(const CNiScalarVector<double>& v, int& n) {
    if (v.Size() > static_cast<std::uint32_t>(INT_MAX))
        return kAnalysisNegativeSampleCount;
    n = static_cast<int>(v.Size());
    return kAnalysisNoError;
}

int CheckSignal(const double* x, int n) {
    if (n < 0)
        return kAnalysisNegativeSampleCount;
    if (n > 0 && !x)
        return kAnalysisNullArray;
    return kAnalysisNoError;
}

} // namespace

void CheckCode(int code) {
    if (code >= 0)
        return;
    if (code == kAnalysisOutOfMemory)
        throw std::bad_alloc();
    throw AnalysisError(code);
}

int AutoPowerSpectrumCode(const double* x, int n, double dt, double* out, double* df) {
    return ComputeAutoPowerSpectrum(x, n, dt, out, df);
}

int LowPassCode(double* x, int n, double fs, double fc, int order) {
    if (const int code = CheckSignal(x, n); code != kAnalysisNoError)
        return code;
    SosFilter filter;
    if (const int code = DesignButterworthLowPass(order, fs, fc, filter); code != kAnalysisNoError)
        return code;
    ApplySos(filter, x, static_cast<std::size_t>(n));
    return kAnalysisNoError;
}

int BandPassCode(double* x, int n, double fs, double lo, double hi, int order) {
    if (const int code = CheckSignal(x, n); code != kAnalysisNoError)
        return code;
    SosFilter filter;
    if (const int code = DesignButterworthBandPass(order, fs, lo, hi, filter);
        code != kAnalysisNoError)
        return code;
    ApplySos(filter, x, static_cast<std::size_t>(n));
    return kAnalysisNoError;
}

int BandPassPairCode(double* a, double* b, int n, double fs, double lo, double hi, int order) {
    if (const int code = CheckSignal(a, n); code != kAnalysisNoError)
        return code;
    if (const int code = CheckSignal(b, n); code != kAnalysisNoError)
        return code;
    SosFilter filter;
    if (const int code = DesignButterworthBandPass(order, fs, lo, hi, filter);
        code != kAnalysisNoError)
        return code;
    if (a == b) {
        // One signal passed twice: filter it once.
        ApplySos(filter, a, static_cast<std::size_t>(n));
        return kAnalysisNoError;
    }
    ApplySosPair(filter, a, b, static_cast<std::size_t>(n));
    return kAnalysisNoError;
}

void AutoPowerSpectrum(const CNiScalarVector<double>& x, double dt, CNiScalarVector<double>& out,
                       double& df) {
    if (&x == &out) {
        // Sizing out would discard the input.
        const CNiScalarVector<double> copy(x);
        AutoPowerSpectrum(copy, dt, out, df);
        return;
    }
    int n = 0;
    CheckCode(SampleCount(x, n));
    out.SetSize(n / 2);
    CheckCode(AutoPowerSpectrumCode(x.Data(), n, dt, out.Data(), &df));
}

void LowPass(CNiScalarVector<double>& x, double fs, double fc, int order) {
    int n = 0;
    CheckCode(SampleCount(x, n));
    CheckCode(LowPassCode(x.Data(), n, fs, fc, order));
}

void BandPass(CNiScalarVector<double>& x, double fs, double lo, double hi, int order) {
    int n = 0;
    CheckCode(SampleCount(x, n));
    CheckCode(BandPassCode(x.Data(), n, fs, lo, hi, order));
}

void BandPassPair(CNiScalarVector<double>& a, CNiScalarVector<double>& b, double fs, double lo,
                  double hi, int order) {
    if (a.Size() != b.Size())
        CheckCode(kAnalysisSizeMismatch);
    int n = 0;
    CheckCode(SampleCount(a, n));
    CheckCode(BandPassPairCode(a.Data(), b.Data(), n, fs, lo, hi, order));
}
