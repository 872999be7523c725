#pragma once

#include "analysis/CNiScalarVector.h"

// The three analysis routines the program uses (an auto power spectrum, an IIR low-pass and
// an IIR band-pass, all Butterworth filters as second-order sections), with a binding over
// numeric vectors that turns their error codes into exceptions.

// Raises the error of a negative code: std::bad_alloc for the out-of-memory code, otherwise
// AnalysisError. Zero and positive codes (warnings) are not reported.
void CheckCode(int code);

// Code-returning routines: 0 success, negative error (AnalysisError.h), positive warning.

// Single-sided auto power spectrum of x[0..n) with sample spacing dt into out[0..n/2);
// *df is the output spacing 1 / (n dt).
int AutoPowerSpectrumCode(const double* x, int n, double dt, double* out, double* df);
// Low-pass of the given order with cut-off fc at sampling rate fs, in place.
int LowPassCode(double* x, int n, double fs, double fc, int order);
// Band-pass of the given order from lo to hi at sampling rate fs, in place.
int BandPassCode(double* x, int n, double fs, double lo, double hi, int order);
// The same band-pass applied to two signals of n samples at once; each result is bit-identical
// to BandPassCode on that signal.
int BandPassPairCode(double* a, double* b, int n, double fs, double lo, double hi, int order);

// The binding: each raises the error of a negative code (CheckCode).

// Sizes out to x.Size() / 2 and fills it with the power spectrum of x; df is the spacing.
void AutoPowerSpectrum(const CNiScalarVector<double>& x, double dt, CNiScalarVector<double>& out,
                       double& df);
void LowPass(CNiScalarVector<double>& x, double fs, double fc, int order);
void BandPass(CNiScalarVector<double>& x, double fs, double lo, double hi, int order);
// Band-passes two signals of the same size with one filter design.
void BandPassPair(CNiScalarVector<double>& a, CNiScalarVector<double>& b, double fs, double lo,
                  double hi, int order);
