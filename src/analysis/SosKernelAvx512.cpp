// Compiled with -mavx512f -mavx512vl (and without -mfma): called only on CPUs that run both.
#include "analysis/SosKernels.h"
#include "analysis/SosSkewedCascade.h"

namespace sos_kernel {

// Eight lanes per register: the nine sections of the band-pass fit in three registers and a
// step takes no longer than one section's chain of four dependent operations. Four lanes in
// five registers need more multiplications per step than that time holds (a full segment
// took 16.1 ms against 14.8 ms on a Zen 5 core).
constexpr int kLanes = 8;

void RunAvx512(const Job& job, const float* a, const float* b, float* outA, float* outB,
               std::size_t n) {
    DispatchSkewed<kLanes>(job, a, b, outA, outB, n);
}

void RunAvx512(const Job& job, const double* a, const double* b, double* outA, double* outB,
               std::size_t n) {
    DispatchSkewed<kLanes>(job, a, b, outA, outB, n);
}

} // namespace sos_kernel
