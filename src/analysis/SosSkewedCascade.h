#pragma once

#include "analysis/SosKernels.h"

#include <cstddef>

// The skewed cascade: at step t section k filters sample t - k, so within a step no section
// waits for another and the sections of both signals fill a few vector registers; the outputs
// move one section along between steps. Each section does the arithmetic of the portable
// kernel in the same order (no fused multiply-add), so every lane rounds as it does there.
//
// Included only by the kernel translation units, each compiled for its own instruction set.
// Everything here has internal linkage so that the linker never lets a copy built for a wider
// instruction set stand in for another; for the same reason nothing here calls an inline
// function of the standard library.
namespace {

template <int W> struct Lanes;
template <> struct Lanes<4> {
    typedef double V __attribute__((vector_size(32)));
    typedef long long M __attribute__((vector_size(32)));
};
template <> struct Lanes<8> {
    typedef double V __attribute__((vector_size(64)));
    typedef long long M __attribute__((vector_size(64)));
};

// Steps per round through the interleaved buffer: small enough for the first-level cache.
constexpr long long kChunkSteps = 1024;

// W doubles per register, S sections. Lane 2i + s of register j holds signal s of section
// j * W / 2 + i; lanes past the last section carry zero coefficients and are never read.
template <int W, int S> class SkewedCascade {
    using V = typename Lanes<W>::V;
    using M = typename Lanes<W>::M;
    static constexpr int kPerVector = W / 2;
    static constexpr int kVectors = (S + kPerVector - 1) / kPerVector;
    static constexpr int kOutVector = (S - 1) / kPerVector;
    static constexpr int kOutLane = 2 * ((S - 1) % kPerVector);

public:
    explicit SkewedCascade(const sos_kernel::Job& job) {
        for (int j = 0; j < kVectors; ++j) {
            for (int l = 0; l < W; ++l) {
                const int k = j * kPerVector + l / 2;
                const bool real = k < S;
                const SosSection c = real ? job.sections[k] : SosSection{0.0, 0.0, 0.0, 0.0, 0.0};
                b0_[j][l] = c.b0;
                b1_[j][l] = c.b1;
                b2_[j][l] = c.b2;
                a1_[j][l] = c.a1;
                a2_[j][l] = c.a2;
                s0_[j][l] = real ? job.s0[2 * k + l % 2] : 0.0;
                s1_[j][l] = real ? job.s1[2 * k + l % 2] : 0.0;
                y_[j][l] = 0.0;
                section_[j][l] = k;
            }
        }
    }

    void Save(const sos_kernel::Job& job) const {
        for (int k = 0; k < S; ++k) {
            for (int s = 0; s < 2; ++s) {
                job.s0[2 * k + s] = s0_[k / kPerVector][2 * (k % kPerVector) + s];
                job.s1[2 * k + s] = s1_[k / kPerVector][2 * (k % kPerVector) + s];
            }
        }
    }

    // Step t of a call of n samples: takes the input pair of sample t from the top two lanes
    // of the W doubles ending at in + 2 and writes the output pair of sample t - (S - 1) to
    // out. On an edge step (t < S - 1 or t >= n) only the sections with a sample of this call
    // (0 <= t - k < n) change state; the others keep theirs, so a first call leaves the
    // sections not yet started at +0.
    template <bool kEdge>
    __attribute__((always_inline)) void Step(const double* in, double* out, long long t,
                                             long long n) {
        V x;
        __builtin_memcpy(&x, in + 2 - W, sizeof x);
        V v[kVectors];
        v[0] = Shift(x, y_[0]);
#pragma GCC unroll 16
        for (int j = 1; j < kVectors; ++j)
            v[j] = Shift(y_[j - 1], y_[j]);
#pragma GCC unroll 16
        for (int j = 0; j < kVectors; ++j) {
            const V y = b0_[j] * v[j] + s0_[j];
            const V s0 = b1_[j] * v[j] - a1_[j] * y + s1_[j];
            const V s1 = b2_[j] * v[j] - a2_[j] * y;
            if constexpr (kEdge) {
                const M on = (section_[j] <= t) & (section_[j] > t - n);
                s0_[j] = on ? s0 : s0_[j];
                s1_[j] = on ? s1 : s1_[j];
            } else {
                s0_[j] = s0;
                s1_[j] = s1;
            }
            y_[j] = y;
        }
        out[0] = y_[kOutVector][kOutLane];
        out[1] = y_[kOutVector][kOutLane + 1];
    }

private:
    // The top two lanes of prev, then all but the top two of cur: each section's input is the
    // output of the section before it at the previous step.
    static V Shift(V prev, V cur) {
        if constexpr (W == 4)
            return __builtin_shufflevector(prev, cur, 2, 3, 4, 5);
        else
            return __builtin_shufflevector(prev, cur, 6, 7, 8, 9, 10, 11, 12, 13);
    }

    V b0_[kVectors], b1_[kVectors], b2_[kVectors], a1_[kVectors], a2_[kVectors];
    V s0_[kVectors], s1_[kVectors], y_[kVectors];
    M section_[kVectors];
};

long long Clamp(long long v, long long lo, long long hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

// A call of n samples takes n + S - 1 steps; the first and last S - 1 are edge steps. The
// samples go chunk by chunk through interleaved double buffers, widened on the way in and
// narrowed on the way out. Inputs and outputs have buffers of their own so that no step loads
// what a step just before it stored.
template <int W, int S, typename T>
void RunSkewed(const sos_kernel::Job& job, const T* a, const T* b, T* outA, T* outB,
               std::size_t count) {
    SkewedCascade<W, S> cascade(job);
    constexpr long long kLag = S - 1;
    const long long n = static_cast<long long>(count);
    const long long total = n + kLag;
    // The first step of a chunk loads W - 2 doubles before the chunk's first pair.
    alignas(64) double inBuffer[W + 2 * kChunkSteps];
    alignas(64) double out[2 * kChunkSteps];
    double* const in = inBuffer + W;
    for (int i = 0; i < W; ++i)
        inBuffer[i] = 0.0;
    for (long long t0 = 0; t0 < total; t0 += kChunkSteps) {
        const long long steps = Clamp(total - t0, 0, kChunkSteps);
        const long long inputs = Clamp(n - t0, 0, steps);
        for (long long j = 0; j < inputs; ++j) {
            in[2 * j] = static_cast<double>(a[t0 + j]);
            in[2 * j + 1] = static_cast<double>(b[t0 + j]);
        }
        for (long long j = inputs; j < steps; ++j)
            in[2 * j] = in[2 * j + 1] = 0.0;
        for (long long t = t0; t < t0 + steps;) {
            if (t >= kLag && t < n) {
                const long long stop = t0 + steps < n ? t0 + steps : n;
                for (; t < stop; ++t)
                    cascade.template Step<false>(in + 2 * (t - t0), out + 2 * (t - t0), t, n);
            } else {
                cascade.template Step<true>(in + 2 * (t - t0), out + 2 * (t - t0), t, n);
                ++t;
            }
        }
        for (long long j = Clamp(kLag - t0, 0, steps); j < steps; ++j) {
            outA[t0 + j - kLag] = static_cast<T>(out[2 * j]);
            outB[t0 + j - kLag] = static_cast<T>(out[2 * j + 1]);
        }
    }
    cascade.Save(job);
}

template <int W, typename T, int S = 1>
void DispatchSkewed(const sos_kernel::Job& job, const T* a, const T* b, T* outA, T* outB,
                    std::size_t n) {
    if (job.sectionCount == S)
        RunSkewed<W, S>(job, a, b, outA, outB, n);
    else if constexpr (S < sos_kernel::kMaxVectorSections)
        DispatchSkewed<W, T, S + 1>(job, a, b, outA, outB, n);
}

} // namespace
