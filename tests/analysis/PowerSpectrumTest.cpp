#include "analysis/PowerSpectrum.h"
#include "analysis/AnalysisError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr double kPi = 3.141592653589793;

std::vector<double> Sine(int n, double amplitude, int bin, double phase = 0.3) {
    std::vector<double> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[static_cast<std::size_t>(i)] = amplitude * std::sin(2.0 * kPi * bin * i / n + phase);
    return x;
}

// Bin k by a direct DFT with the same single-sided scaling, for checking the FFT path.
double SlowSpectrum(const std::vector<double>& x, std::size_t k) {
    const std::size_t n = x.size();
    long double re = 0.0L, im = 0.0L;
    for (std::size_t i = 0; i < n; ++i) {
        const long double a =
            -2.0L * 3.14159265358979323846L * static_cast<long double>((k * i) % n) / n;
        re += x[i] * std::cos(a);
        im += x[i] * std::sin(a);
    }
    const double power = static_cast<double>((re * re + im * im) / (1.0L * n * n));
    return k == 0 ? power : 2.0 * power;
}

std::vector<double> Spectrum(const std::vector<double>& x, double dt, double* df = nullptr) {
    std::vector<double> out(x.size() / 2, -1.0);
    double spacing = 0.0;
    EXPECT_EQ(
        ComputeAutoPowerSpectrum(x.data(), static_cast<int>(x.size()), dt, out.data(), &spacing),
        0);
    if (df)
        *df = spacing;
    return out;
}

} // namespace

TEST(PowerSpectrum, SineOfAmplitudeAOnBinKGivesHalfASquared) {
    for (const int n : {1000, 999, 1024, 5000, 4097}) {
        const int bin = 37;
        double df = 0.0;
        const std::vector<double> p = Spectrum(Sine(n, 3.0, bin), 0.001, &df);
        ASSERT_EQ(p.size(), static_cast<std::size_t>(n / 2));
        EXPECT_DOUBLE_EQ(df, 1.0 / (n * 0.001)) << n;
        EXPECT_NEAR(p[bin], 4.5, 4.5e-12) << n;
        for (std::size_t k = 0; k < p.size(); ++k)
            if (k != static_cast<std::size_t>(bin)) {
                EXPECT_LT(p[k], 1e-20) << n << " bin " << k;
            }
    }
}

TEST(PowerSpectrum, ConstantSignalPutsItsSquareInBinZero) {
    const std::vector<double> x(600, -2.5);
    const std::vector<double> p = Spectrum(x, 0.01);
    EXPECT_NEAR(p[0], 6.25, 1e-12);
    for (std::size_t k = 1; k < p.size(); ++k)
        EXPECT_LT(p[k], 1e-20);
}

TEST(PowerSpectrum, SmallestSignalsAndOddLengths) {
    double df = 0.0;
    std::vector<double> p = Spectrum({3.0, 1.0}, 0.5, &df);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_DOUBLE_EQ(p[0], 4.0); // mean 2, squared
    EXPECT_DOUBLE_EQ(df, 1.0);
    p = Spectrum({1.0, 2.0, 6.0}, 1.0);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_DOUBLE_EQ(p[0], 9.0);
}

// The bins (with the one an odd length leaves out, bin (n - 1) / 2) add up to the mean square
// of the signal, whatever the signal.
TEST(PowerSpectrum, BinsAddUpToTheMeanSquare) {
    std::mt19937 rng(3);
    std::normal_distribution<double> dist(1.0, 2.0);
    std::vector<double> x(1001);
    double meanSquare = 0.0;
    for (double& v : x) {
        v = dist(rng);
        meanSquare += v * v;
    }
    meanSquare /= static_cast<double>(x.size());
    const std::vector<double> p = Spectrum(x, 0.001);
    ASSERT_EQ(p.size(), 500u);
    const double leftOut = SlowSpectrum(x, 500);
    double sum = leftOut;
    for (double v : p)
        sum += v;
    EXPECT_NEAR(sum, meanSquare, 1e-12 * meanSquare);
}

TEST(PowerSpectrum, RepeatedSizeReusesItsPlan) {
    const std::vector<double> x = Sine(777, 1.0, 5);
    const std::vector<double> first = Spectrum(x, 0.001);
    const std::size_t made = PowerSpectrumPlansMade();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Spectrum(x, 0.001), first);
    EXPECT_EQ(PowerSpectrumPlansMade(), made);
}

// Cycling through more sizes than the cache holds evicts and remakes plans; every result must
// still be that of a direct DFT (a stale plan or buffer of another size would show).
TEST(PowerSpectrum, StaysCorrectWhenPlansAreEvictedAndRemade) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    for (int round = 0; round < 3; ++round) {
        for (int n = 2; n <= 41; n += (round + 1)) {
            std::vector<double> x(static_cast<std::size_t>(n));
            for (double& v : x)
                v = dist(rng);
            const std::vector<double> fast = Spectrum(x, 0.002);
            ASSERT_EQ(fast.size(), static_cast<std::size_t>(n / 2));
            for (std::size_t k = 0; k < fast.size(); ++k)
                EXPECT_NEAR(fast[k], SlowSpectrum(x, k), 1e-13) << "n=" << n << " k=" << k;
        }
    }
}

TEST(PowerSpectrum, ConcurrentCallersGetTheSerialResults) {
    const std::vector<int> sizes = {500, 501, 1000, 2048, 3001, 4096, 6000, 7};
    std::vector<std::vector<double>> expected;
    for (int n : sizes)
        expected.push_back(Spectrum(Sine(n, 2.0, 3), 0.001));
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int rep = 0; rep < 25; ++rep)
                for (std::size_t i = 0; i < sizes.size(); ++i) {
                    const std::size_t j = (i + static_cast<std::size_t>(t)) % sizes.size();
                    const std::vector<double> x = Sine(sizes[j], 2.0, 3);
                    std::vector<double> out(x.size() / 2);
                    double df = 0.0;
                    if (ComputeAutoPowerSpectrum(x.data(), sizes[j], 0.001, out.data(), &df) != 0 ||
                        out != expected[j])
                        ++mismatches[static_cast<std::size_t>(t)];
                }
        });
    }
    for (std::thread& th : threads)
        th.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST(PowerSpectrum, InvalidArgumentsGiveCodesAndLeaveTheOutputAlone) {
    const std::vector<double> x = {1.0, 2.0, 3.0, 4.0};
    std::vector<double> out(2, -7.0);
    double df = -1.0;
    EXPECT_EQ(ComputeAutoPowerSpectrum(x.data(), 1, 0.001, out.data(), &df),
              kAnalysisTooFewSamples);
    EXPECT_EQ(ComputeAutoPowerSpectrum(x.data(), 0, 0.001, out.data(), &df),
              kAnalysisTooFewSamples);
    EXPECT_EQ(ComputeAutoPowerSpectrum(x.data(), -4, 0.001, out.data(), &df),
              kAnalysisTooFewSamples);
    EXPECT_EQ(ComputeAutoPowerSpectrum(x.data(), 4, 0.0, out.data(), &df),
              kAnalysisBadSampleInterval);
    EXPECT_EQ(ComputeAutoPowerSpectrum(x.data(), 4, -0.001, out.data(), &df),
              kAnalysisBadSampleInterval);
    EXPECT_EQ(ComputeAutoPowerSpectrum(x.data(), 4, std::nan(""), out.data(), &df),
              kAnalysisBadSampleInterval);
    EXPECT_EQ(ComputeAutoPowerSpectrum(x.data(), 4, INFINITY, out.data(), &df),
              kAnalysisBadSampleInterval);
    EXPECT_EQ(ComputeAutoPowerSpectrum(nullptr, 4, 0.001, out.data(), &df), kAnalysisNullArray);
    EXPECT_EQ(ComputeAutoPowerSpectrum(x.data(), 4, 0.001, nullptr, &df), kAnalysisNullArray);
    EXPECT_EQ(out, std::vector<double>(2, -7.0));
    EXPECT_EQ(df, -1.0);
}
