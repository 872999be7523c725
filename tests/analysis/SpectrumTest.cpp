#include "analysis/AnalysisError.h"
#include "analysis/AnalysisLibrary.h"
#include "analysis/PowerSpectrum.h"
#include "analysis/SpectrumData.h"
#include "document/CVorlixDoc.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <complex>
#include <limits>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace {

using namespace spectrum;

const double kInf = std::numeric_limits<double>::infinity(), kNan = std::nan("");

std::vector<double> Random(int n) {
    std::mt19937 rng(static_cast<unsigned>(n));
    std::uniform_real_distribution<double> dist(-1.0, 2.0); // a mean, so bin 0 counts
    std::vector<double> x(static_cast<std::size_t>(n));
    for (double& v : x)
        v = dist(rng);
    return x;
}

// The spectrum of x into a buffer two values longer than n / 2, whose tail must stay untouched.
std::vector<double> Spectrum(const std::vector<double>& x, double* df) {
    std::vector<double> out(x.size() / 2 + 2, -1.0);
    const int n = static_cast<int>(x.size());
    EXPECT_EQ(ComputeAutoPowerSpectrum(x.data(), n, 0.002, out.data(), df), 0);
    EXPECT_EQ(out[out.size() - 2] + out.back(), -2.0) << "wrote beyond n / 2";
    out.resize(x.size() / 2);
    return out;
}

// Every length from 2 to 41, more sizes than the plan cache holds, against a direct DFT with
// the single-sided scaling: |X0|^2 / n^2, then 2 |Xk|^2 / n^2.
TEST(PowerSpectrum, MatchesADirectDftWithSingleSidedScaling) {
    for (int n = 2; n <= 41; ++n) {
        const std::vector<double> x = Random(n);
        double df = 0.0;
        const std::vector<double> p = Spectrum(x, &df);
        EXPECT_EQ(df, 1.0 / (n * 0.002)) << n;
        for (std::size_t k = 0; k < p.size(); ++k) {
            std::complex<long double> sum = 0.0L;
            for (std::size_t i = 0; i < x.size(); ++i)
                sum += static_cast<long double>(x[i]) *
                       std::polar(1.0L, -2.0L * std::numbers::pi_v<long double> *
                                            static_cast<long double>(k * i % x.size()) / n);
            const double power = static_cast<double>(std::norm(sum) / (1.0L * n * n));
            EXPECT_NEAR(p[k], k == 0 ? power : 2.0 * power, 1e-13) << "n=" << n << " k=" << k;
        }
    }
}

// The cache keeps the four sizes used last: a fifth evicts the least recently used.
TEST(PowerSpectrum, PlanCacheKeepsTheSizesUsedLast) {
    double df = 0.0;
    const std::vector<double> reference = Spectrum(Random(1001), &df);
    for (int n : {1002, 1003, 1004, 1001}) // the cache holds these four only
        Spectrum(Random(n), &df);
    // Size, then the plans made by its call.
    const int calls[][2] = {{1002, 0}, {1005, 1}, {1003, 1}, {1002, 0},
                            {1004, 1}, {1005, 0}, {1001, 1}};
    for (const auto& c : calls) {
        const std::size_t before = PowerSpectrumPlansMade();
        const std::vector<double> p = Spectrum(Random(c[0]), &df);
        EXPECT_EQ(PowerSpectrumPlansMade() - before, static_cast<std::size_t>(c[1])) << c[0];
        EXPECT_TRUE(c[0] != 1001 || p == reference);
    }
}

TEST(PowerSpectrum, InvalidArgumentsGiveCodesAndLeaveTheOutputAlone) {
    double x[] = {1.0, 2.0, 3.0, 4.0}, out[2] = {-7.0, -7.0}, df = -1.0;
    const struct {
        const double* x;
        int n;
        double dt;
        double* out;
        int code;
    } cases[] = {{x, 1, 0.001, out, kAnalysisTooFewSamples},
                 {x, -4, 0.001, out, kAnalysisTooFewSamples},
                 {x, 4, 0.0, out, kAnalysisBadSampleInterval},
                 {x, 4, -0.001, out, kAnalysisBadSampleInterval},
                 {x, 4, kNan, out, kAnalysisBadSampleInterval},
                 {x, 4, kInf, out, kAnalysisBadSampleInterval},
                 {nullptr, 4, 0.001, out, kAnalysisNullArray},
                 {x, 4, 0.001, nullptr, kAnalysisNullArray}};
    for (const auto& c : cases)
        EXPECT_EQ(ComputeAutoPowerSpectrum(c.x, c.n, c.dt, c.out, &df), c.code) << c.n << c.dt;
    EXPECT_EQ(out[0] + out[1] + df, -15.0);
}

TEST(SpectrumWindow, LengthIsEvenAndCappedAndTitleNamesTheSignal) {
    // Start, end, then the points used.
    const int windows[][3] = {{0, 5001, 5000},
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
        EXPECT_EQ(WindowLength(w[0], w[1]), w[2]) << w[0] << " to " << w[1];

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

// Fills `data` (reused: nothing of an earlier series may stay) and checks it whole.
void ExpectSeries(SpectrumData& data, double df, const std::vector<double>& power, int first,
                  int end, const std::vector<float>& values, float low, float high, double x0,
                  double width) {
    FillSeries(power.data(), power.size(), df, data);
    EXPECT_EQ(data.df, df);
    EXPECT_EQ(data.firstBin, first);
    EXPECT_EQ(data.endBin, end);
    EXPECT_EQ(data.values, values);
    EXPECT_EQ(data.minimum, low);
    EXPECT_EQ(data.maximum, high);
    EXPECT_EQ(data.xMinimum, x0);
    EXPECT_EQ(data.xMaximum, width);
    EXPECT_EQ(data.xStep, df);
}

// Bins trunc(3 / df) up to trunc(75 / df), exclusive, those the spectrum has; the x axis runs
// from the first bin's frequency over the band's width (not to its upper end: the chart has
// always drawn it so). Values without a finite logarithm are drawn at the range's edges; the
// range is that of the finite values, 0 to 0 when there is none.
TEST(SpectrumSeries, LogValuesOfTheBandWithTheirRange) {
    SpectrumData d;
    SCOPED_TRACE("band cut where the spectrum ends");
    ExpectSeries(d, 1.0, {1e9, 1e9, 1e9, 0.01, 1000, 10}, 3, 75, {Log(0.01), Log(1000), Log(10)},
                 Log(0.01), Log(1000), 3.0, 72.0);
    SCOPED_TRACE("zero, NaN and infinity at the edges, a bin beyond the band unused");
    ExpectSeries(d, 10.0, {100, 0, kNan, kInf, 1000, 0.1, 10, 1e9}, 0, 7,
                 {Log(100), Log(0.1), Log(0.1), Log(1000), Log(1000), Log(0.1), Log(10)}, Log(0.1),
                 Log(1000), 0.0, 70.0);
    SCOPED_TRACE("one finite value: a flat range at its level");
    ExpectSeries(d, 25.0, {10, 0, kInf}, 0, 3, {1, 1, 1}, 1, 1, 0.0, 75.0);
    SCOPED_TRACE("no finite value");
    ExpectSeries(d, 25.0, {0, 0, 0}, 0, 3, {0, 0, 0}, 0, 0, 0.0, 75.0);
    SCOPED_TRACE("no spacing, a negative one, bins beyond an int: no bins");
    ExpectSeries(d, 0.0, {1, 2}, 0, 0, {}, 0, 0, 0.0, 0.0);
    ExpectSeries(d, -1.0, {1, 2}, 0, 0, {}, 0, 0, 0.0, 0.0);
    ExpectSeries(d, 1e-12, {1, 2}, INT_MAX, INT_MAX, {}, 0, 0, INT_MAX * 1e-12, 0.0);
}

// The series is that of the window's own points of the chosen signal: the load a 30 Hz sine,
// the geophone a 10 Hz one.
TEST(SpectrumData, SpectrumOfTheWindowOfTheChosenSignal) {
    auto doc = std::make_unique<CVorlixDoc>("/nonexistent");
    doc->pointCount = 300'000;
    doc->groupCount = 1200;
    doc->segmentStartDistance = 99.0f;
    for (int g = 0; g <= doc->groupCount; ++g)
        doc->groupDistance[g] = 100.0f + static_cast<float>(g);
    for (int i = 0; i < doc->pointCount; ++i) {
        doc->loadSignal[i] = static_cast<float>(std::sin(2 * std::numbers::pi * 0.03 * i));
        doc->geoSignal[i] = static_cast<float>(std::sin(2 * std::numbers::pi * 0.01 * i));
    }
    const std::string load = "Load Power Spectrum from point:", geo = "Geophone " + load.substr(5);
    const struct {
        int mode, start, end, usedMode, points;
        const float* signal;
        std::string title;
    } cases[] = {{5, 100, 2101, 5, 2000, &doc->loadSignal[100],
                  load + "100 to 2101 or DMI from 99.40 ft to  108.40 ft"},
                 {-6, 250, 5250, 6, 5000, &doc->geoSignal[250],
                  geo + "250 to 5250 or DMI from 101.00 ft to  121.00 ft"},
                 {5, 299'997, 300'000, 5, 2, &doc->loadSignal[299'997],
                  load + "299997 to 300000 or DMI from -100.00 ft to  0.00 ft"},
                 {5, 0, 300'000, 5, kMaxPoints, &doc->loadSignal[0],
                  load + "0 to 300000 or DMI from 99.00 ft to  0.00 ft"},
                 {7, 0, 1000, 7, 1000, nullptr, ""},
                 {INT_MIN, 0, 1000, 0, 1000, nullptr, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " from " + std::to_string(c.start));
        SpectrumData data, expected;
        std::string error;
        ASSERT_TRUE(ComputeSpectrum(*doc, c.mode, c.start, c.end, &data, &error)) << error;
        CNiScalarVector<double> x(c.points), power;
        for (int i = 0; i < c.points && c.signal; ++i)
            x[i] = c.signal[i];
        double df = 0.0;
        AutoPowerSpectrum(x, kSampleSpacing, power, df);
        FillSeries(power.Data(), power.Size(), df, expected);
        EXPECT_EQ(data.mode, c.usedMode);
        EXPECT_EQ(std::pair(data.start, data.end), std::pair(c.start, c.end));
        EXPECT_EQ(data.pointCount, c.points);
        EXPECT_EQ(data.df, df);
        EXPECT_EQ(data.values, expected.values);
        EXPECT_EQ(data.minimum, expected.minimum);
        EXPECT_EQ(data.title, c.title);
    }
    // Refused windows leave the result alone.
    SpectrumData data;
    data.title = "kept";
    std::string error;
    doc->pointCount = 2000;
    const std::string outside = "is not inside the loaded segment (0 to 2000).";
    const struct {
        int start, end;
        std::string error;
    } refused[] = {{-1, 1000, outside},
                   {0, 2001, outside},
                   {500, 500, outside},
                   {500, 499, outside},
                   {500, 501, "needs at least 2 points."}};
    for (const auto& r : refused) {
        EXPECT_FALSE(ComputeSpectrum(*doc, 5, r.start, r.end, &data, &error));
        EXPECT_EQ(error, "The spectrum window from point " + std::to_string(r.start) + " to " +
                             std::to_string(r.end) + " " + r.error);
    }
    EXPECT_EQ(data.title, "kept");
}

} // namespace
