#include "analysis/AnalysisLibrary.h"
#include "analysis/AnalysisError.h"
#include "analysis/PowerSpectrum.h"
#include "analysis/SpectrumData.h"
#include "document/CVorlixDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <complex>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

namespace {

const double kInf = std::numeric_limits<double>::infinity(), kNan = std::nan("");

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const AnalysisError& e) {
        return e.what() + (" " + std::to_string(e.Code()));
    }
    return "none";
}

CNiScalarVector<double> Ramp(int n) {
    CNiScalarVector<double> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = 0.5 * i - 3.0;
    return v;
}

bool Same(const CNiScalarVector<double>& a, const CNiScalarVector<double>& b) {
    return a.Size() == b.Size() && std::equal(a.begin(), a.end(), b.begin());
}

// A refused call raises its code's error and leaves its signals as they were.
TEST(AnalysisLibrary, InvalidArgumentsRaiseAndLeaveTheSignalsUnchanged) {
    CNiScalarVector<double> x = Ramp(50), y = Ramp(50), z = Ramp(51);
    double df = 0.0;
    const std::pair<std::function<void()>, int> cases[] = {
        {[&] { LowPass(x, 1000.0, 5.0, 0); }, kAnalysisBadOrder},
        {[&] { BandPass(x, 1000.0, 35.0, 25.0, 9); }, kAnalysisBadBand},
        {[&] { BandPass(x, 0.0, 25.0, 35.0, 9); }, kAnalysisBadSamplingRate},
        {[&] { BandPassPair(x, y, 1000.0, 0.0, 35.0, 9); }, kAnalysisBadBand},
        {[&] { BandPassPair(x, z, 1000.0, 25.0, 35.0, 9); }, kAnalysisSizeMismatch},
        {[&] { AutoPowerSpectrum(Ramp(1), 0.001, y, df); }, kAnalysisTooFewSamples},
        {[&] { AutoPowerSpectrum(z, 0.0, y, df); }, kAnalysisBadSampleInterval},
        {[&] { AutoPowerSpectrum(z, kNan, y, df); }, kAnalysisBadSampleInterval},
        {[&] { AutoPowerSpectrum(z, kInf, y, df); }, kAnalysisBadSampleInterval}};
    for (const auto& [call, code] : cases)
        EXPECT_EQ(ErrorOf(call), ErrorOf([code] { CheckCode(code); }));
    EXPECT_TRUE(Same(x, Ramp(50)) && Same(z, Ramp(51)));
    EXPECT_THROW(CheckCode(kAnalysisOutOfMemory), std::bad_alloc);
    EXPECT_EQ(ErrorOf([] { CheckCode(0); }) + ErrorOf([] { CheckCode(12); }), "nonenone");
    // The raw routines give the codes; an empty signal may be null, its design is still checked.
    double raw[4] = {1, 2, 3, 4};
    EXPECT_EQ(LowPassCode(raw, -1, 1000.0, 5.0, 5), kAnalysisNegativeSampleCount);
    EXPECT_EQ(BandPassCode(nullptr, 4, 1000.0, 25.0, 35.0, 9), kAnalysisNullArray);
    EXPECT_EQ(BandPassPairCode(raw, nullptr, 4, 1000.0, 25.0, 35.0, 9), kAnalysisNullArray);
    EXPECT_EQ(BandPassPairCode(nullptr, raw, 4, 1000.0, 25.0, 35.0, 9), kAnalysisNullArray);
    EXPECT_EQ(LowPassCode(nullptr, 0, 1000.0, 5.0, 5), kAnalysisNoError);
    EXPECT_EQ(LowPassCode(nullptr, 0, 1000.0, 5.0, 0), kAnalysisBadOrder);
    EXPECT_EQ(BandPassPairCode(nullptr, nullptr, 0, 1000.0, 25.0, 35.0, 0), kAnalysisBadOrder);
    EXPECT_EQ(AutoPowerSpectrumCode(raw, 4, 0.001, nullptr, &df), kAnalysisNullArray);
    EXPECT_EQ(AutoPowerSpectrumCode(nullptr, 4, 0.001, raw, &df), kAnalysisNullArray);
}

TEST(AnalysisLibrary, RoutinesWorkInPlaceAndThePairMatchesTwoSingleCalls) {
    CNiScalarVector<double> a = Ramp(3000), b(3000);
    for (int i = 0; i < 3000; ++i)
        b[i] = std::sin(0.2 * i);
    CNiScalarVector<double> a1 = a, b1 = b, c = a;
    BandPassPair(a, b, 1000.0, 25.0, 35.0, 9);
    BandPass(a1, 1000.0, 25.0, 35.0, 9);
    BandPass(b1, 1000.0, 25.0, 35.0, 9);
    EXPECT_TRUE(!Same(a, Ramp(3000)) && Same(a, a1) && Same(b, b1));
    CNiScalarVector<double> low = Ramp(3000);
    LowPass(low, 1000.0, 5.0, 5);
    EXPECT_FALSE(Same(low, Ramp(3000)));
    // The same vector given twice is filtered once, not twice.
    BandPassPair(c, c, 1000.0, 25.0, 35.0, 9);
    EXPECT_TRUE(Same(c, a1));
    // The spectrum binding sizes its output to n / 2, even when it is the input.
    CNiScalarVector<double> p;
    double df = 0.0;
    AutoPowerSpectrum(c, 0.001, p, df);
    AutoPowerSpectrum(c, 0.5, c, df);
    EXPECT_TRUE(p.Size() == 1500 && Same(c, p));
    EXPECT_EQ(df, 1.0 / 1500);
}

using namespace spectrum;

std::vector<double> Random(int n) {
    std::mt19937 rng(static_cast<unsigned>(n));
    std::uniform_real_distribution<double> dist(-1.0, 2.0); // a mean, so bin 0 counts
    std::vector<double> x(static_cast<std::size_t>(n));
    std::generate(x.begin(), x.end(), [&] { return dist(rng); });
    return x;
}

// The spectrum of x into a buffer two values longer than n / 2, whose tail must stay untouched.
std::vector<double> Spectrum(const std::vector<double>& x, double* df) {
    std::vector<double> out(x.size() / 2 + 2, -1.0);
    EXPECT_EQ(ComputeAutoPowerSpectrum(x.data(), static_cast<int>(x.size()), 0.002, out.data(), df),
              0);
    EXPECT_EQ(out[out.size() - 2] + out.back(), -2.0) << "wrote beyond n / 2";
    out.resize(x.size() / 2);
    return out;
}

// Lengths 2 to 41 (more than the plan cache holds) against a DFT: |X0|^2/n^2, 2 |Xk|^2/n^2.
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

float Log(double p) {
    return static_cast<float>(std::log10(p));
}

// Fills `data` (reused: nothing of an earlier series may stay) and checks it whole.
void ExpectSeries(const char* name, SpectrumData& data, double df, const std::vector<double>& power,
                  int first, int end, const std::vector<float>& values, float low, float high,
                  double x0, double width) {
    SCOPED_TRACE(name);
    FillSeries(power.data(), power.size(), df, data);
    EXPECT_EQ(std::tuple(data.df, data.firstBin, data.endBin, data.minimum, data.maximum),
              std::tuple(df, first, end, low, high));
    EXPECT_EQ(std::tuple(data.xMinimum, data.xMaximum, data.xStep), std::tuple(x0, width, df));
    EXPECT_EQ(data.values, values);
}

// Bins trunc(3 / df) up to trunc(75 / df), exclusive, those the spectrum has; the x axis runs
// from the first bin's frequency over the band's width (not to its upper end: the chart has
// always drawn it so). Values without a finite logarithm are drawn at the range's edges; the
// range is that of the finite values, 0 to 0 when there is none.
TEST(SpectrumSeries, LogValuesOfTheBandWithTheirRange) {
    SpectrumData d;
    ExpectSeries("band cut where the spectrum ends", d, 1.0, {1e9, 1e9, 1e9, 0.01, 1000, 10}, 3, 75,
                 {Log(0.01), Log(1000), Log(10)}, Log(0.01), Log(1000), 3.0, 72.0);
    ExpectSeries("zero, NaN and infinity at the edges, a bin beyond the band unused", d, 10.0,
                 {100, 0, kNan, kInf, 1000, 0.1, 10, 1e9}, 0, 7,
                 {Log(100), Log(0.1), Log(0.1), Log(1000), Log(1000), Log(0.1), Log(10)}, Log(0.1),
                 Log(1000), 0.0, 70.0);
    ExpectSeries("one finite value", d, 25.0, {10, 0, kInf}, 0, 3, {1, 1, 1}, 1, 1, 0.0, 75.0);
    ExpectSeries("no finite value", d, 25.0, {0, 0, 0}, 0, 3, {0, 0, 0}, 0, 0, 0.0, 75.0);
    ExpectSeries("no spacing", d, 0.0, {1, 2}, 0, 0, {}, 0, 0, 0.0, 0.0);
    ExpectSeries("negative spacing", d, -1.0, {1, 2}, 0, 0, {}, 0, 0, 0.0, 0.0);
    ExpectSeries("bins beyond an int", d, 1e-12, {1, 2}, INT_MAX, INT_MAX, {}, 0, 0,
                 INT_MAX * 1e-12, 0.0);
}

// The series is that of the window's own points of the chosen signal (load or geophone).
TEST(SpectrumData, SpectrumOfTheWindowOfTheChosenSignal) {
    auto doc = std::make_unique<CVorlixDoc>("/nonexistent");
    doc->pointCount = 300'000, doc->groupCount = 1200, doc->segmentStartDistance = 99.0f;
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
        EXPECT_EQ(std::tuple(data.mode, data.start, data.end, data.pointCount, data.df),
                  std::tuple(c.usedMode, c.start, c.end, c.points, df));
        EXPECT_EQ(data.values, expected.values);
        EXPECT_EQ(data.title, c.title);
    }
    // Refused windows leave the result alone.
    SpectrumData data;
    data.title = "kept";
    std::string error;
    doc->pointCount = 2000;
    for (const auto& [start, end] :
         {std::pair(-1, 1000), {0, 2001}, {500, 500}, {500, 499}, {500, 501}}) {
        EXPECT_FALSE(ComputeSpectrum(*doc, 5, start, end, &data, &error));
        EXPECT_EQ(error, "The spectrum window from point " + std::to_string(start) + " to " +
                             std::to_string(end) +
                             (end - start == 1 ? " needs at least 2 points."
                                               : " is not inside the loaded segment (0 to 2000)."));
    }
    EXPECT_EQ(data.title, "kept");
}

} // namespace
