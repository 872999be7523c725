#include "analysis/SosPairCascade.h"

#include "analysis/SosKernels.h"

#include <algorithm>

namespace {

// Lower paths first: a path the CPU lacks falls back to the one before it.
constexpr SosPath kPaths[] = {SosPath::Portable, SosPath::Avx2, SosPath::Avx512};

} // namespace

bool SosPairCascade::Supported(SosPath path) {
    __builtin_cpu_init();
    switch (path) {
    case SosPath::Portable:
        return true;
    case SosPath::Avx2:
        return __builtin_cpu_supports("avx2");
    case SosPath::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl");
    }
    return false;
}

SosPath SosPairCascade::Fastest() {
    static const SosPath fastest = [] {
        SosPath best = SosPath::Portable;
        for (const SosPath p : kPaths)
            if (Supported(p))
                best = p;
        return best;
    }();
    return fastest;
}

SosPairCascade::SosPairCascade(const SosFilter& filter)
    : SosPairCascade(filter, SosPairCascade::Fastest()) {}

SosPairCascade::SosPairCascade(const SosFilter& filter, SosPath path)
    : sections_(filter.sections), s0_(2 * filter.sections.size(), 0.0),
      s1_(2 * filter.sections.size(), 0.0) {
    for (const SosPath p : kPaths)
        if (p <= path && Supported(p))
            path_ = p;
    if (sections_.size() > static_cast<std::size_t>(sos_kernel::kMaxVectorSections))
        path_ = SosPath::Portable;
}

void SosPairCascade::Reset() {
    std::fill(s0_.begin(), s0_.end(), 0.0);
    std::fill(s1_.begin(), s1_.end(), 0.0);
}

void SosPairCascade::Filter(const float* a, const float* b, float* outA, float* outB,
                            std::size_t n) {
    Run(a, b, outA, outB, n);
}

void SosPairCascade::Filter(const double* a, const double* b, double* outA, double* outB,
                            std::size_t n) {
    Run(a, b, outA, outB, n);
}

template <typename T>
void SosPairCascade::Run(const T* a, const T* b, T* outA, T* outB, std::size_t n) {
    if (n == 0)
        return;
    if (sections_.empty()) {
        if (outA != a)
            std::copy_n(a, n, outA);
        if (outB != b)
            std::copy_n(b, n, outB);
        return;
    }
    const sos_kernel::Job job{sections_.data(), static_cast<int>(sections_.size()), s0_.data(),
                              s1_.data()};
    switch (path_) {
    case SosPath::Avx512:
        sos_kernel::RunAvx512(job, a, b, outA, outB, n);
        break;
    case SosPath::Avx2:
        sos_kernel::RunAvx2(job, a, b, outA, outB, n);
        break;
    case SosPath::Portable:
        sos_kernel::RunPortable(job, a, b, outA, outB, n);
        break;
    }
}
