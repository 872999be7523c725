#pragma once

#include <cstddef>

// Single-sided auto power spectrum of x[0..n) sampled every dt seconds, by FFT (any n >= 2).
// Writes n / 2 values: out[0] = |X0|^2 / n^2 and out[k] = 2 |Xk|^2 / n^2 for 0 < k < n / 2,
// so a sine of peak amplitude A on bin k gives A^2 / 2 there; *df = 1 / (n dt) is the bin
// spacing. Returns 0 or a negative analysis code (AnalysisError.h); out is then untouched.
//
// FFT plans are made once per size and kept in a small cache shared by all threads; calls are
// serialised by a lock, since planning is not thread-safe.
int ComputeAutoPowerSpectrum(const double* x, int n, double dt, double* out, double* df);

// Number of FFT plans made so far; a repeated size reuses its plan.
std::size_t PowerSpectrumPlansMade();

// Largest number of plans (with their buffers) the cache keeps; the least recently used goes.
constexpr std::size_t kPowerSpectrumPlanCacheSize = 4;
