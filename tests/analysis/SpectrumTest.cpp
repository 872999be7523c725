#include "analysis/AnalysisError.h"
#include "analysis/AnalysisLibrary.h"
#include "analysis/PowerSpectrum.h"
#include "analysis/SpectrumData.h"
#include "document/CVorlixDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

namespace {

using namespace spectrum;

// Bin k by a direct DFT with the same single-sided scaling.
double SlowSpectrum(const std::vector<double>& x, std::size_t k) {
    const std::size_t n = x.size();
    long double re = 0.0L, im = 0.0L;
    for (std::size_t i = 0; i < n; ++i) {
        const long double a = -2.0L * std::numbers::pi_v<long double> *
                              static_cast<long double>((k * i) % n) / static_cast<long double>(n);
        re += x[i] * std::cos(a);
        im += x[i] * std::sin(a);
    }
    const double power = static_cast<double>((re * re + im * im) / (1.0L * n * n));
    return k == 0 ? power : 2.0 * power;
}

// The spectrum of x, written into a buffer two values longer than n / 2 whose tail must stay.
std::vector<double> Spectrum(const std::vector<double>& x, double dt, double* df = nullptr) {
    std::vector<double> out(x.size() / 2 + 2, -1.0);
    double spacing = 0.0;
    EXPECT_EQ(
        ComputeAutoPowerSpectrum(x.data(), static_cast<int>(x.size()), dt, out.data(), &spacing),
        0);
    EXPECT_EQ(out[out.size() - 2] + out.back(), -2.0) << "wrote beyond n / 2";
    out.resize(x.size() / 2);
    if (df)
        *df = spacing;
    return out;
}

std::vector<double> Random(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> dist(-1.0, 2.0); // a mean, so bin 0 counts
    std::vector<double> x(static_cast<std::size_t>(n));
    for (double& v : x)
        v = dist(rng);
    return x;
}

// Every length from 2 on, odd and even, more sizes than the plan cache holds (a stale plan or
// buffer of another size would show).
TEST(PowerSpectrum, MatchesADirectDftWithSingleSidedScaling) {
    for (int n = 2; n <= 41; ++n) {
        const std::vector<double> x = Random(n, static_cast<unsigned>(n));
        double df = 0.0;
        const std::vector<double> fast = Spectrum(x, 0.002, &df);
        EXPECT_EQ(df, 1.0 / (n * 0.002)) << n;
        for (std::size_t k = 0; k < fast.size(); ++k)
            EXPECT_NEAR(fast[k], SlowSpectrum(x, k), 1e-13) << "n=" << n << " k=" << k;
    }
    // A sine of amplitude 3 on bin 37 gives 3^2 / 2 there.
    std::vector<double> x(1000);
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = 3.0 * std::sin(2.0 * std::numbers::pi * 37.0 * static_cast<double>(i) / 1000.0);
    EXPECT_NEAR(Spectrum(x, 0.001)[37], 4.5, 1e-12);
}

// The cache keeps the four sizes used last: a fifth evicts the least recently used.
TEST(PowerSpectrum, PlanCacheKeepsTheSizesUsedLast) {
    const std::vector<double> reference = Spectrum(Random(1001, 1), 0.001);
    for (int n : {1002, 1003, 1004, 1001}) // fills the cache with these four only
        Spectrum(Random(n, 1), 0.001);
    const struct {
        int n;
        std::size_t made; // plans made by this call
    } calls[] = {{1002, 0}, {1005, 1}, {1003, 1}, {1002, 0}, {1004, 1}, {1005, 0}, {1001, 1}};
    for (const auto& c : calls) {
        const std::size_t before = PowerSpectrumPlansMade();
        const std::vector<double> p = Spectrum(Random(c.n, 1), 0.001);
        EXPECT_EQ(PowerSpectrumPlansMade() - before, c.made) << c.n;
        EXPECT_TRUE(c.n != 1001 || p == reference);
    }
}

TEST(PowerSpectrum, ConcurrentCallersGetTheSerialResults) {
    const int sizes[] = {500, 501, 2048, 7, 3001};
    std::vector<std::vector<double>> expected;
    for (int n : sizes)
        expected.push_back(Spectrum(Random(n, 5), 0.001));
    std::atomic<int> mismatches = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int rep = 0; rep < 10; ++rep)
                for (std::size_t i = 0; i < std::size(sizes); ++i) {
                    const std::size_t j = (i + static_cast<std::size_t>(t)) % std::size(sizes);
                    const std::vector<double> x = Random(sizes[j], 5);
                    std::vector<double> out(x.size() / 2);
                    double df = 0.0;
                    mismatches +=
                        ComputeAutoPowerSpectrum(x.data(), sizes[j], 0.001, out.data(), &df) != 0 ||
                        out != expected[j];
                }
        });
    for (std::thread& th : threads)
        th.join();
    EXPECT_EQ(mismatches, 0);
}

TEST(PowerSpectrum, InvalidArgumentsGiveCodesAndLeaveTheOutputAlone) {
    const double x[] = {1.0, 2.0, 3.0, 4.0};
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const double* x;
        int n;
        double dt;
        bool out;
        int code;
    } cases[] = {{x, 1, 0.001, true, kAnalysisTooFewSamples},
                 {x, -4, 0.001, true, kAnalysisTooFewSamples},
                 {x, 4, 0.0, true, kAnalysisBadSampleInterval},
                 {x, 4, -0.001, true, kAnalysisBadSampleInterval},
                 {x, 4, std::nan(""), true, kAnalysisBadSampleInterval},
                 {x, 4, inf, true, kAnalysisBadSampleInterval},
                 {nullptr, 4, 0.001, true, kAnalysisNullArray},
                 {x, 4, 0.001, false, kAnalysisNullArray}};
    for (const auto& c : cases) {
        double out[2] = {-7.0, -7.0}, df = -1.0;
        EXPECT_EQ(ComputeAutoPowerSpectrum(c.x, c.n, c.dt, c.out ? out : nullptr, &df), c.code)
            << c.n << " " << c.dt;
        EXPECT_EQ(out[0] + out[1] + df, -15.0);
    }
}

TEST(SpectrumWindow, LengthIsEvenAndCappedAndTitleNamesTheSignal) {
    const struct {
        int start, end, length;
    } windows[] = {{0, 5001, 5000},
                   {0, 5000, 5000},
                   {7, 5008, 5000},
                   {0, 262'145, 262'144},
                   {0, 262'146, 262'144},
                   {10, 12, 2},
                   {10, 11, 0},
                   {10, 10, 0},
                   {10, 4, 0},
                   {INT_MIN, INT_MAX, kMaxPoints}};
    for (const auto& w : windows)
        EXPECT_EQ(WindowLength(w.start, w.end), w.length) << w.start << " to " << w.end;

    EXPECT_EQ(Title(5, 0, 300'000, 12.5f, 1000.0f),
              "Load Power Spectrum from point:0 to 300000 or DMI from 12.50 ft to  1000.00 ft");
    EXPECT_EQ(Title(6, 250, 5250, -100.0f, 0.0f),
              "Geophone Power Spectrum from point:250 to 5250 or DMI from -100.00 ft to  0.00 ft");
    EXPECT_EQ(Title(4, 0, 10, 1.0f, 2.0f), "");
    // The largest floats still fit.
    EXPECT_EQ(Title(5, 0, 10, 3.4e38f, -3.4e38f),
              "Load Power Spectrum from point:0 to 10 or DMI from "
              "339999995214436424907732413799364296704.00 ft to  "
              "-339999995214436424907732413799364296704.00 ft");
}

float Log(double p) {
    return static_cast<float>(std::log10(p));
}

// Bins trunc(3 / df) up to trunc(75 / df), exclusive; the x axis runs from the first bin's
// frequency over the band's width (not to its upper end: the chart has always drawn it so).
TEST(SpectrumSeries, LogValuesOfTheBandWithTheirRange) {
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* name;
        double df;
        std::vector<double> power;
        int firstBin, endBin;
        std::vector<float> values;
        float minimum, maximum;
        double xMinimum, xMaximum;
    } cases[] = {
        {"band cut where the spectrum ends",
         1.0,
         {1e9, 1e9, 1e9, 0.01, 1000, 10},
         3,
         75,
         {Log(0.01), Log(1000), Log(10)},
         Log(0.01),
         Log(1000),
         3.0,
         72.0},
        {"zero, NaN and infinity drawn at the edges, a bin beyond the band unused",
         10.0,
         {100, 0, nan, inf, 1000, 0.1, 10, 1e9},
         0,
         7,
         {Log(100), Log(0.1), Log(0.1), Log(1000), Log(1000), Log(0.1), Log(10)},
         Log(0.1),
         Log(1000),
         0.0,
         70.0},
        {"one finite value: a flat range at its level",
         25.0,
         {10, 0, inf},
         0,
         3,
         {Log(10), Log(10), Log(10)},
         Log(10),
         Log(10),
         0.0,
         75.0},
        {"no finite value: a flat range at zero",
         25.0,
         {0, 0, 0},
         0,
         3,
         {0, 0, 0},
         0,
         0,
         0.0,
         75.0},
        {"no spacing", 0.0, {1, 2}, 0, 0, {}, 0, 0, 0.0, 0.0},
        {"negative spacing", -1.0, {1, 2}, 0, 0, {}, 0, 0, 0.0, 0.0},
        {"bins beyond an int", 1e-12, {1, 2}, INT_MAX, INT_MAX, {}, 0, 0, INT_MAX * 1e-12, 0.0},
    };
    SpectrumData data; // reused: nothing of an earlier series may stay
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FillSeries(c.power.data(), c.power.size(), c.df, data);
        EXPECT_EQ(data.df, c.df);
        EXPECT_EQ(data.firstBin, c.firstBin);
        EXPECT_EQ(data.endBin, c.endBin);
        EXPECT_EQ(data.values, c.values);
        EXPECT_EQ(data.minimum, c.minimum);
        EXPECT_EQ(data.maximum, c.maximum);
        EXPECT_EQ(data.xMinimum, c.xMinimum);
        EXPECT_EQ(data.xMaximum, c.xMaximum);
        EXPECT_EQ(data.xStep, c.df);
    }
}

class SpectrumDataTest : public ::testing::Test {
protected:
    // A loaded segment whose load is a 30 Hz sine and whose geophone is a 10 Hz sine.
    void Load(int points) {
        doc->pointCount = points;
        doc->groupCount = points / 250;
        doc->segmentStartDistance = 99.0f;
        for (int g = 0; g <= doc->groupCount; ++g)
            doc->groupDistance[g] = 100.0f + static_cast<float>(g);
        for (int i = 0; i < points; ++i) {
            const double t = i / 1000.0;
            doc->loadSignal[i] = static_cast<float>(std::sin(2 * std::numbers::pi * 30.0 * t));
            doc->geoSignal[i] = static_cast<float>(std::sin(2 * std::numbers::pi * 10.0 * t));
        }
    }

    std::unique_ptr<CVorlixDoc> doc = std::make_unique<CVorlixDoc>("/nonexistent");
    std::string error;
};

// The series is that of the window's own points of the chosen signal.
TEST_F(SpectrumDataTest, SpectrumOfTheWindowOfTheChosenSignal) {
    Load(300'000);
    const struct {
        int mode, start, end;
        int usedMode, points;
        const float* signal;
        double peakHz;
        std::string title;
    } cases[] = {
        {5, 100, 2101, 5, 2000, &doc->loadSignal[100], 30.0,
         "Load Power Spectrum from point:100 to 2101 or DMI from 99.40 ft to  108.40 ft"},
        {-6, 250, 5250, 6, 5000, &doc->geoSignal[250], 10.0,
         "Geophone Power Spectrum from point:250 to 5250 or DMI from 101.00 ft to  121.00 ft"},
        {5, 299'997, 300'000, 5, 2, &doc->loadSignal[299'997], 0.0,
         "Load Power Spectrum from point:299997 to 300000 or DMI from -100.00 ft to  0.00 ft"},
        {5, 0, 300'000, 5, kMaxPoints, &doc->loadSignal[0], 30.0,
         "Load Power Spectrum from point:0 to 300000 or DMI from 99.00 ft to  0.00 ft"},
        {7, 0, 1000, 7, 1000, nullptr, 0.0, ""},
        {INT_MIN, 0, 1000, 0, 1000, nullptr, 0.0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title + " mode " + std::to_string(c.mode));
        SpectrumData data;
        ASSERT_TRUE(ComputeSpectrum(*doc, c.mode, c.start, c.end, &data, &error)) << error;
        CNiScalarVector<double> x(c.points), power;
        for (int i = 0; i < c.points && c.signal; ++i)
            x[i] = c.signal[i];
        SpectrumData expected;
        double df = 0.0;
        AutoPowerSpectrum(x, kSampleSpacing, power, df);
        FillSeries(power.Data(), power.Size(), df, expected);
        EXPECT_EQ(data.mode, c.usedMode);
        EXPECT_EQ(data.start, c.start);
        EXPECT_EQ(data.end, c.end);
        EXPECT_EQ(data.pointCount, c.points);
        EXPECT_EQ(data.df, df);
        EXPECT_EQ(data.firstBin, expected.firstBin);
        EXPECT_EQ(data.values, expected.values);
        EXPECT_EQ(data.minimum, expected.minimum);
        EXPECT_EQ(data.xMaximum, expected.xMaximum);
        EXPECT_EQ(data.title, c.title);
        if (c.peakHz > 0.0) {
            const auto peak = std::max_element(data.values.begin(), data.values.end());
            EXPECT_NEAR(data.FrequencyAt(static_cast<std::size_t>(peak - data.values.begin())),
                        c.peakHz, data.df);
        }
    }
}

TEST_F(SpectrumDataTest, WindowOutsideTheSegmentOrTooShortIsRefused) {
    Load(2000);
    const struct {
        int start, end;
        std::string error;
    } cases[] = {
        {-1, 1000, "is not inside the loaded segment (0 to 2000)."},
        {0, 2001, "is not inside the loaded segment (0 to 2000)."},
        {500, 500, "is not inside the loaded segment (0 to 2000)."},
        {500, 499, "is not inside the loaded segment (0 to 2000)."},
        {500, 501, "needs at least 2 points."},
    };
    for (const auto& c : cases) {
        SpectrumData data;
        data.title = "kept";
        error.clear();
        EXPECT_FALSE(ComputeSpectrum(*doc, 5, c.start, c.end, &data, &error));
        EXPECT_EQ(error, "The spectrum window from point " + std::to_string(c.start) + " to " +
                             std::to_string(c.end) + " " + c.error);
        EXPECT_EQ(data.title, "kept");
    }
}

} // namespace
