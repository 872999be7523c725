#pragma once

#include <cstddef>
#include <vector>

// One second-order section, normalised so that a0 = 1:
//   H(z) = (b0 + b1 z^-1 + b2 z^-2) / (1 + a1 z^-1 + a2 z^-2)
struct SosSection {
    double b0 = 1.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double a1 = 0.0;
    double a2 = 0.0;
};

// An IIR filter as a cascade of second-order sections, applied first to last.
class SosFilter {
public:
    std::vector<SosSection> sections;
};

// Filters x[0..n) in place with one causal pass from zero state, each section in transposed
// direct form II:
//   y = b0 x + s0;  s0 = (b1 x - a1 y) + s1;  s1 = b2 x - a2 y.
void ApplySos(const SosFilter& filter, double* x, std::size_t n);

// Filters two signals of n samples each in place with the same filter (SosPairCascade on the
// fastest path). The result of each signal is bit-identical to ApplySos on it.
void ApplySosPair(const SosFilter& filter, double* x, double* y, std::size_t n);
