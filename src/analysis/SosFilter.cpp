#include "analysis/SosFilter.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Two doubles side by side; element-wise arithmetic is IEEE-identical to scalar arithmetic.
typedef double Pair2 __attribute__((vector_size(16)));

// Most sections one pass runs together. Each pass keeps its coefficients and states in local
// arrays of a fixed size, which the compiler holds in registers; a longer cascade runs in
// several passes over the signal, which gives the same bits as one.
constexpr int kMaxPassSections = 10;

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

template <int S> void PairPass(const SosSection* sec, double* x, double* y, std::size_t n) {
    // Both signals share one register per value, so the pair costs about as much as one signal.
    Pass<Pair2, S> pass(sec);
    for (std::size_t i = 0; i < n; ++i) {
        const Pair2 out = pass.Step(Pair2{x[i], y[i]});
        x[i] = out[0];
        y[i] = out[1];
    }
}

using SinglePassFn = void (*)(const SosSection*, double*, std::size_t);
using PairPassFn = void (*)(const SosSection*, double*, double*, std::size_t);

template <int... S> constexpr auto SingleTable(std::integer_sequence<int, S...>) {
    return std::array<SinglePassFn, sizeof...(S)>{&SinglePass<S + 1>...};
}
template <int... S> constexpr auto PairTable(std::integer_sequence<int, S...>) {
    return std::array<PairPassFn, sizeof...(S)>{&PairPass<S + 1>...};
}

constexpr auto kSinglePasses = SingleTable(std::make_integer_sequence<int, kMaxPassSections>{});
constexpr auto kPairPasses = PairTable(std::make_integer_sequence<int, kMaxPassSections>{});

} // namespace

void ApplySos(const SosFilter& filter, double* x, std::size_t n) {
    if (n == 0)
        return;
    const std::size_t count = filter.sections.size();
    for (std::size_t first = 0; first < count; first += kMaxPassSections) {
        const std::size_t s = std::min<std::size_t>(kMaxPassSections, count - first);
        kSinglePasses[s - 1](filter.sections.data() + first, x, n);
    }
}

void ApplySosPair(const SosFilter& filter, double* x, double* y, std::size_t n) {
    if (n == 0)
        return;
    const std::size_t count = filter.sections.size();
    for (std::size_t first = 0; first < count; first += kMaxPassSections) {
        const std::size_t s = std::min<std::size_t>(kMaxPassSections, count - first);
        kPairPasses[s - 1](filter.sections.data() + first, x, y, n);
    }
}
