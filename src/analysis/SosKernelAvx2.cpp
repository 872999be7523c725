// Compiled with -mavx2 (and without -mfma): called only on CPUs that run AVX2.
#include "analysis/SosKernels.h"
#include "analysis/SosSkewedCascade.h"

namespace sos_kernel {

void RunAvx2(const Job& job, const float* a, const float* b, float* outA, float* outB,
             std::size_t n) {
    DispatchSkewed<4>(job, a, b, outA, outB, n);
}

void RunAvx2(const Job& job, const double* a, const double* b, double* outA, double* outB,
             std::size_t n) {
    DispatchSkewed<4>(job, a, b, outA, outB, n);
}

} // namespace sos_kernel
