#include "analysis/SosFilter.h"

#include "analysis/SosKernels.h"
#include "analysis/SosPairCascade.h"

void ApplySos(const SosFilter& filter, double* x, std::size_t n) {
    if (n == 0)
        return;
    sos_kernel::RunPortableSingle(filter.sections.data(), static_cast<int>(filter.sections.size()),
                                  x, n);
}

void ApplySosPair(const SosFilter& filter, double* x, double* y, std::size_t n) {
    SosPairCascade(filter).Filter(x, y, x, y, n);
}
