#include "analysis/SosFilter.h"
#include "analysis/ButterworthDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

std::vector<double> Noise(std::size_t n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> dist(0.0, 1.0);
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = 5.0 * std::sin(2.0 * 3.141592653589793 * 30.0 * static_cast<double>(i) / 1000.0) +
               dist(rng);
    return x;
}

} // namespace

TEST(SosFilter, OneSectionFollowsTheDifferenceEquation) {
    // y[n] = 0.5 x[n] + 0.25 x[n-1] - 0.125 x[n-2] + 0.5 y[n-1] - 0.0625 y[n-2]
    SosFilter f;
    f.sections.push_back({0.5, 0.25, -0.125, -0.5, 0.0625});
    std::vector<double> x = {1.0, -2.0, 0.5, 3.0, 0.0, 0.0, 1.5};
    std::vector<double> y(x.size());
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double x1 = n >= 1 ? x[n - 1] : 0.0, x2 = n >= 2 ? x[n - 2] : 0.0;
        const double y1 = n >= 1 ? y[n - 1] : 0.0, y2 = n >= 2 ? y[n - 2] : 0.0;
        y[n] = 0.5 * x[n] + 0.25 * x1 - 0.125 * x2 + 0.5 * y1 - 0.0625 * y2;
    }
    ApplySos(f, x.data(), x.size());
    for (std::size_t n = 0; n < x.size(); ++n)
        EXPECT_NEAR(x[n], y[n], 1e-15) << n;
}

// Long cascades run in several passes over the signal; that must not change a bit.
TEST(SosFilter, CascadeEqualsSectionsAppliedOneAfterAnother) {
    SosFilter f;
    ASSERT_EQ(DesignButterworthBandPass(13, 1000.0, 25.0, 35.0, f), 0);
    std::vector<double> whole = Noise(5000, 1), bySection = whole;
    ApplySos(f, whole.data(), whole.size());
    for (const SosSection& s : f.sections) {
        SosFilter one;
        one.sections.push_back(s);
        ApplySos(one, bySection.data(), bySection.size());
    }
    EXPECT_EQ(whole, bySection);
}

TEST(SosFilter, NoSectionsOrNoSamplesLeaveTheSignalAlone) {
    std::vector<double> x = {1.0, 2.0, 3.0};
    ApplySos(SosFilter{}, x.data(), x.size());
    ApplySosPair(SosFilter{}, x.data(), x.data(), x.size());
    EXPECT_EQ(x, (std::vector<double>{1.0, 2.0, 3.0}));
    SosFilter f;
    ASSERT_EQ(DesignButterworthLowPass(5, 1000.0, 5.0, f), 0);
    ApplySos(f, nullptr, 0);
    ApplySosPair(f, nullptr, nullptr, 0);
}

// The pair kernel runs both signals side by side in vector registers; each lane must round
// exactly as the scalar kernel does (no fused multiply-add, same operation order).
TEST(SosFilter, PairKernelGivesTheSameBitsAsTheSingleKernel) {
    SosFilter bp, lp, longer;
    ASSERT_EQ(DesignButterworthBandPass(9, 1000.0, 20.0, 40.0, bp), 0);
    ASSERT_EQ(DesignButterworthLowPass(5, 1000.0, 5.0, lp), 0);
    ASSERT_EQ(DesignButterworthBandPass(12, 1000.0, 20.0, 40.0, longer), 0);
    for (const SosFilter* f : {&bp, &lp, &longer}) {
        for (const std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{3},
                                    std::size_t{1023}, std::size_t{1024}, std::size_t{100'003}}) {
            std::vector<double> a = Noise(n, 7), b = Noise(n, 8);
            std::vector<double> a1 = a, b1 = b;
            ApplySosPair(*f, a.data(), b.data(), n);
            ApplySos(*f, a1.data(), n);
            ApplySos(*f, b1.data(), n);
            EXPECT_EQ(a, a1) << n;
            EXPECT_EQ(b, b1) << n;
        }
    }
}

TEST(SosFilter, BandPassRemovesDcAndKeepsTheLoadFrequency) {
    SosFilter f;
    ASSERT_EQ(DesignButterworthBandPass(9, 1000.0, 25.0, 35.0, f), 0);
    const std::size_t n = 20'000;
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = 100.0 +
               2.0 * std::sin(2.0 * 3.141592653589793 * 30.0 * static_cast<double>(i) / 1000.0);
    ApplySos(f, x.data(), n);
    double peak = 0.0;
    for (std::size_t i = n - 1000; i < n; ++i)
        peak = std::max(peak, std::fabs(x[i]));
    EXPECT_NEAR(peak, 2.0, 0.02);
}
