#pragma once

#include "analysis/SosFilter.h"

#include <cstddef>

// The kernels behind SosPairCascade, one set per instruction set. The AVX2 and AVX-512 ones
// live in translation units of their own, compiled for that instruction set and only called
// after the CPU has been asked whether it runs it.
namespace sos_kernel {

// Most sections the vector kernels hold in registers; longer cascades run the portable kernel.
inline constexpr int kMaxVectorSections = 16;

// One cascade and its state. Lane 2k is section k of signal a, lane 2k + 1 of signal b; each
// kernel reads the state before the first sample and leaves it after the last, so that a call
// continues where the previous one stopped.
struct Job {
    const SosSection* sections = nullptr;
    int sectionCount = 0;
    double* s0 = nullptr; // 2 * sectionCount
    double* s1 = nullptr; // 2 * sectionCount
};

// Each filters n samples of a and b into outA and outB (which may be a and b) with sections
// given; the results are bit-identical on every path.
void RunPortable(const Job& job, const float* a, const float* b, float* outA, float* outB,
                 std::size_t n);
void RunPortable(const Job& job, const double* a, const double* b, double* outA, double* outB,
                 std::size_t n);
// One signal in place through the sample-by-sample kernel, from zero state.
void RunPortableSingle(const SosSection* sections, int sectionCount, double* x, std::size_t n);

// Skewed cascade in 256-bit registers (AVX2, 16 registers); sectionCount <= kMaxVectorSections.
void RunAvx2(const Job& job, const float* a, const float* b, float* outA, float* outB,
             std::size_t n);
void RunAvx2(const Job& job, const double* a, const double* b, double* outA, double* outB,
             std::size_t n);

// Skewed cascade with the AVX-512 register file; sectionCount <= kMaxVectorSections.
void RunAvx512(const Job& job, const float* a, const float* b, float* outA, float* outB,
               std::size_t n);
void RunAvx512(const Job& job, const double* a, const double* b, double* outA, double* outB,
               std::size_t n);

} // namespace sos_kernel
