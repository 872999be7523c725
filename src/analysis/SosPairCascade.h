#pragma once

#include "analysis/SosFilter.h"

#include <cstddef>
#include <vector>

// The code that runs the filter: the sample-by-sample kernel any CPU runs, or the skewed
// cascade in AVX2 or AVX-512 registers. All give the same bits.
enum class SosPath { Portable, Avx2, Avx512 };

// Two signals through one cascade of second-order sections, from zero state, block after
// block: each call filters the next samples of both signals and keeps the state for the next
// call, so any split into blocks gives the bits of one call, and those of ApplySos on each
// signal. Floats are widened to double on the way in and narrowed on the way out; every
// section computes in double.
class SosPairCascade {
public:
    // The fastest path this CPU runs.
    explicit SosPairCascade(const SosFilter& filter);
    // The given path, or the fastest one below it that this CPU runs (tests and benchmarks).
    SosPairCascade(const SosFilter& filter, SosPath path);

    // The path in use: a cascade longer than the vector kernels hold runs the portable one.
    SosPath Path() const { return path_; }

    // Filters a[0..n) into outA[0..n) and b[0..n) into outB[0..n). An output may be its own
    // input; otherwise the four arrays must not overlap.
    void Filter(const float* a, const float* b, float* outA, float* outB, std::size_t n);
    void Filter(const double* a, const double* b, double* outA, double* outB, std::size_t n);

    // Back to zero state, as before the first block.
    void Reset();

    static bool Supported(SosPath path);
    static SosPath Fastest();

private:
    template <typename T> void Run(const T* a, const T* b, T* outA, T* outB, std::size_t n);

    std::vector<SosSection> sections_;
    std::vector<double> s0_;
    std::vector<double> s1_;
    SosPath path_ = SosPath::Portable;
};
