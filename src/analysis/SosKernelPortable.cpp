#include "analysis/SosKernels.h"

#include <algorithm>
#include <array>
#include <utility>

namespace sos_kernel {

namespace {

// Two doubles side by side; element-wise arithmetic is IEEE-identical to scalar arithmetic.
typedef double Pair2 __attribute__((vector_size(16)));

// Most sections one pass runs together. Each pass keeps its coefficients and states in local
// arrays of a fixed size, which the compiler holds in registers; a longer cascade runs in
// several passes, which gives the same bits as one.
constexpr int kMaxPassSections = 10;

// Samples per round through the pair buffer of the two-signal kernel.
constexpr std::size_t kChunk = 1024;

template <typename V> V Broadcast(double c) {
    if constexpr (sizeof(V) == sizeof(double))
        return c;
    else
        return V{c, c};
}

// Sample by sample through S sections: their recurrences are independent chains the CPU
// overlaps, which is much faster than one section over the whole signal.
template <typename V, int S> struct Pass {
    V b0[S], b1[S], b2[S], a1[S], a2[S];
    V s0[S], s1[S];

    explicit Pass(const SosSection* sec) {
        for (int k = 0; k < S; ++k) {
            b0[k] = Broadcast<V>(sec[k].b0);
            b1[k] = Broadcast<V>(sec[k].b1);
            b2[k] = Broadcast<V>(sec[k].b2);
            a1[k] = Broadcast<V>(sec[k].a1);
            a2[k] = Broadcast<V>(sec[k].a2);
            s0[k] = Broadcast<V>(0.0);
            s1[k] = Broadcast<V>(0.0);
        }
    }

    V Step(V v) {
#pragma GCC unroll 16
        for (int k = 0; k < S; ++k) {
            const V y = b0[k] * v + s0[k];
            s0[k] = b1[k] * v - a1[k] * y + s1[k];
            s1[k] = b2[k] * v - a2[k] * y;
            v = y;
        }
        return v;
    }
};

template <int S> void SinglePass(const SosSection* sec, double* x, std::size_t n) {
    Pass<double, S> pass(sec);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = pass.Step(x[i]);
}

// S sections starting at `first` over one chunk of pairs, state taken from and left in job.
template <int S> void PairPass(const Job& job, int first, Pair2* x, std::size_t n) {
    // Both signals share one register per value, so the pair costs about as much as one signal.
    Pass<Pair2, S> pass(job.sections + first);
    for (int k = 0; k < S; ++k) {
        const int lane = 2 * (first + k);
        pass.s0[k] = Pair2{job.s0[lane], job.s0[lane + 1]};
        pass.s1[k] = Pair2{job.s1[lane], job.s1[lane + 1]};
    }
    for (std::size_t i = 0; i < n; ++i)
        x[i] = pass.Step(x[i]);
    for (int k = 0; k < S; ++k) {
        const int lane = 2 * (first + k);
        job.s0[lane] = pass.s0[k][0];
        job.s0[lane + 1] = pass.s0[k][1];
        job.s1[lane] = pass.s1[k][0];
        job.s1[lane + 1] = pass.s1[k][1];
    }
}

using SinglePassFn = void (*)(const SosSection*, double*, std::size_t);
using PairPassFn = void (*)(const Job&, int, Pair2*, std::size_t);

template <int... S> constexpr auto SingleTable(std::integer_sequence<int, S...>) {
    return std::array<SinglePassFn, sizeof...(S)>{&SinglePass<S + 1>...};
}
template <int... S> constexpr auto PairTable(std::integer_sequence<int, S...>) {
    return std::array<PairPassFn, sizeof...(S)>{&PairPass<S + 1>...};
}

constexpr auto kSinglePasses = SingleTable(std::make_integer_sequence<int, kMaxPassSections>{});
constexpr auto kPairPasses = PairTable(std::make_integer_sequence<int, kMaxPassSections>{});

template <typename T>
void RunPair(const Job& job, const T* a, const T* b, T* outA, T* outB, std::size_t n) {
    Pair2 buffer[kChunk];
    for (std::size_t c0 = 0; c0 < n; c0 += kChunk) {
        const std::size_t len = std::min(kChunk, n - c0);
        for (std::size_t i = 0; i < len; ++i)
            buffer[i] = Pair2{static_cast<double>(a[c0 + i]), static_cast<double>(b[c0 + i])};
        for (int first = 0; first < job.sectionCount; first += kMaxPassSections) {
            const int s = std::min(kMaxPassSections, job.sectionCount - first);
            kPairPasses[s - 1](job, first, buffer, len);
        }
        for (std::size_t i = 0; i < len; ++i) {
            outA[c0 + i] = static_cast<T>(buffer[i][0]);
            outB[c0 + i] = static_cast<T>(buffer[i][1]);
        }
    }
}

} // namespace

void RunPortable(const Job& job, const float* a, const float* b, float* outA, float* outB,
                 std::size_t n) {
    RunPair(job, a, b, outA, outB, n);
}

void RunPortable(const Job& job, const double* a, const double* b, double* outA, double* outB,
                 std::size_t n) {
    RunPair(job, a, b, outA, outB, n);
}

void RunPortableSingle(const SosSection* sections, int sectionCount, double* x, std::size_t n) {
    for (int first = 0; first < sectionCount; first += kMaxPassSections) {
        const int s = std::min(kMaxPassSections, sectionCount - first);
        kSinglePasses[s - 1](sections + first, x, n);
    }
}

} // namespace sos_kernel
