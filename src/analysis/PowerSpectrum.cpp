#include "analysis/PowerSpectrum.h"

#include "analysis/AnalysisError.h"

#include <cmath>
#include <cstdint>
#include <fftw3.h>
#include <mutex>
#include <vector>

namespace {

// A real-to-complex plan with the buffers it was made for.
struct SpectrumPlan {
    int n = 0;
    fftw_plan plan = nullptr;
    double* in = nullptr;
    fftw_complex* out = nullptr;
    std::uint64_t lastUse = 0;
};

void Release(SpectrumPlan& p) {
    if (p.plan)
        fftw_destroy_plan(p.plan);
    fftw_free(p.in);
    fftw_free(p.out);
    p = SpectrumPlan{};
}

class PlanCache {
public:
    ~PlanCache() {
        for (SpectrumPlan& p : plans_)
            Release(p);
    }

    std::mutex mutex;

    // The plan for size n, made when missing. Null when memory runs out. Call with the lock.
    SpectrumPlan* Get(int n) {
        ++clock_;
        for (SpectrumPlan& p : plans_) {
            if (p.n == n) {
                p.lastUse = clock_;
                return &p;
            }
        }
        SpectrumPlan made;
        made.n = n;
        made.in = fftw_alloc_real(static_cast<std::size_t>(n));
        made.out = fftw_alloc_complex(static_cast<std::size_t>(n) / 2 + 1);
        if (made.in && made.out)
            // Estimated plans: made fast, and the same algorithm (so the same bits) every run.
            made.plan = fftw_plan_dft_r2c_1d(n, made.in, made.out, FFTW_ESTIMATE);
        if (!made.plan) {
            Release(made);
            return nullptr;
        }
        ++made_;
        made.lastUse = clock_;
        if (plans_.size() < kPowerSpectrumPlanCacheSize) {
            plans_.push_back(made);
            return &plans_.back();
        }
        SpectrumPlan* oldest = &plans_.front();
        for (SpectrumPlan& p : plans_)
            if (p.lastUse < oldest->lastUse)
                oldest = &p;
        Release(*oldest);
        *oldest = made;
        return oldest;
    }

    std::size_t Made() const { return made_; }

private:
    std::vector<SpectrumPlan> plans_;
    std::uint64_t clock_ = 0;
    std::size_t made_ = 0;
};

PlanCache& Cache() {
    static PlanCache cache;
    return cache;
}

} // namespace

int ComputeAutoPowerSpectrum(const double* x, int n, double dt, double* out, double* df) {
    if (n < 2)
        return kAnalysisTooFewSamples;
    if (!x || !out || !df)
        return kAnalysisNullArray;
    if (!(dt > 0.0) || !std::isfinite(dt))
        return kAnalysisBadSampleInterval;

    PlanCache& cache = Cache();
    std::lock_guard<std::mutex> lock(cache.mutex);
    SpectrumPlan* plan = nullptr;
    try {
        plan = cache.Get(n);
    } catch (const std::bad_alloc&) {
        plan = nullptr;
    }
    if (!plan)
        return kAnalysisOutOfMemory;
    for (int i = 0; i < n; ++i)
        plan->in[i] = x[i];
    fftw_execute(plan->plan);

    const double nn = static_cast<double>(n) * static_cast<double>(n);
    const int half = n / 2;
    for (int k = 0; k < half; ++k) {
        const double re = plan->out[k][0];
        const double im = plan->out[k][1];
        const double power = (re * re + im * im) / nn;
        out[k] = k == 0 ? power : 2.0 * power;
    }
    *df = 1.0 / (static_cast<double>(n) * dt);
    return kAnalysisNoError;
}

std::size_t PowerSpectrumPlansMade() {
    PlanCache& cache = Cache();
    std::lock_guard<std::mutex> lock(cache.mutex);
    return cache.Made();
}
