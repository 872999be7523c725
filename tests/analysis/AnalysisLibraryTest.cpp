#include "analysis/AnalysisLibrary.h"
#include "analysis/AnalysisError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <new>
#include <string>

namespace {

// The message of the error a call raises, "none" when it raises nothing.
std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const AnalysisError& e) {
        return e.what() + (" " + std::to_string(e.Code()));
    } catch (const std::bad_alloc&) {
        return "bad_alloc";
    }
    return "none";
}

std::string Error(int code) {
    return "Math Exception: " + std::string(AnalysisErrorText(code)) + " " + std::to_string(code);
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

TEST(AnalysisLibrary, EveryCodeRaisesItsOwnText) {
    const std::pair<int, const char*> cases[] = {
        {-5093, "The underlying analysis dll was not found."},
        {-5094, "The specified analysis function was not found."},
        {-20003, "The number of samples must not be negative."},
        {-20004, "The number of samples must be at least 2."},
        {-20005, "Sampling interval, dt, must be a finite value greater than zero."},
        {-20006, "Sampling frequency, fs, must be a finite value greater than zero."},
        {-20007, "An array argument is a null pointer."},
        {-20008, "The two signals must have the same number of samples."},
        {-20020, "Cut-off frequency, fc, must meet the condition 0 <= fc <= (fs/2)."},
        {-20021, "Order must be greater than zero."},
        {-20023, "Invalid band specification."},
        {-1, "Unknown math error."},
        {-20022, "Unknown math error."}};
    for (const auto& [code, text] : cases)
        EXPECT_EQ(ErrorOf([code] { CheckCode(code); }),
                  "Math Exception: " + std::string(text) + " " + std::to_string(code));
    EXPECT_EQ(ErrorOf([] { CheckCode(-20001); }), "bad_alloc");
    EXPECT_EQ(ErrorOf([] { CheckCode(0); }) + ErrorOf([] { CheckCode(12); }), "nonenone");
}

// A refused call raises its code's error and leaves its signals as they were.
TEST(AnalysisLibrary, InvalidArgumentsRaiseAndLeaveTheSignalsUnchanged) {
    CNiScalarVector<double> x = Ramp(50), y = Ramp(50), z = Ramp(51);
    double df = 0.0;
    const std::pair<std::function<void()>, int> cases[] = {
        {[&] { LowPass(x, 1000.0, 0.0, 5); }, kAnalysisBadCutoff},
        {[&] { LowPass(x, 1000.0, 500.0, 5); }, kAnalysisBadCutoff},
        {[&] { LowPass(x, 1000.0, 5.0, 0); }, kAnalysisBadOrder},
        {[&] { BandPass(x, 1000.0, 35.0, 25.0, 9); }, kAnalysisBadBand},
        {[&] { BandPass(x, 1000.0, 25.0, 35.0, -1); }, kAnalysisBadOrder},
        {[&] { BandPass(x, 0.0, 25.0, 35.0, 9); }, kAnalysisBadSamplingRate},
        {[&] { BandPassPair(x, y, 1000.0, 0.0, 35.0, 9); }, kAnalysisBadBand},
        {[&] { BandPassPair(x, z, 1000.0, 25.0, 35.0, 9); }, kAnalysisSizeMismatch},
        {[&] { AutoPowerSpectrum(Ramp(1), 0.001, y, df); }, kAnalysisTooFewSamples},
        {[&] { AutoPowerSpectrum(z, 0.0, y, df); }, kAnalysisBadSampleInterval}};
    for (const auto& [call, code] : cases)
        EXPECT_EQ(ErrorOf(call), Error(code));
    EXPECT_TRUE(Same(x, Ramp(50)) && Same(z, Ramp(51)));

    // The raw routines give the codes; an empty signal may be null, its design is still checked.
    double raw[4] = {1, 2, 3, 4};
    EXPECT_EQ(LowPassCode(raw, -1, 1000.0, 5.0, 5), kAnalysisNegativeSampleCount);
    EXPECT_EQ(BandPassCode(raw, -1, 1000.0, 25.0, 35.0, 9), kAnalysisNegativeSampleCount);
    EXPECT_EQ(BandPassCode(nullptr, 4, 1000.0, 25.0, 35.0, 9), kAnalysisNullArray);
    EXPECT_EQ(BandPassPairCode(raw, nullptr, 4, 1000.0, 25.0, 35.0, 9), kAnalysisNullArray);
    EXPECT_EQ(BandPassPairCode(nullptr, raw, 4, 1000.0, 25.0, 35.0, 9), kAnalysisNullArray);
    EXPECT_EQ(LowPassCode(nullptr, 0, 1000.0, 5.0, 5), kAnalysisNoError);
    EXPECT_EQ(LowPassCode(nullptr, 0, 1000.0, 5.0, 0), kAnalysisBadOrder);
    EXPECT_EQ(BandPassPairCode(nullptr, nullptr, 0, 1000.0, 25.0, 35.0, 0), kAnalysisBadOrder);
    EXPECT_EQ(std::vector<double>(raw, raw + 4), (std::vector<double>{1, 2, 3, 4}));
}

TEST(AnalysisLibrary, FiltersWorkInPlaceAndThePairMatchesTwoSingleCalls) {
    CNiScalarVector<double> one(1);
    one[0] = 2.0;
    LowPass(one, 1000.0, 5.0, 5);
    EXPECT_GT(one[0], 0.0);
    EXPECT_LT(one[0], 2.0e-6);

    CNiScalarVector<double> a = Ramp(3000), b(3000);
    for (int i = 0; i < 3000; ++i)
        b[i] = std::sin(0.2 * i);
    CNiScalarVector<double> a1 = a, b1 = b, c = a;
    BandPassPair(a, b, 1000.0, 25.0, 35.0, 9);
    BandPass(a1, 1000.0, 25.0, 35.0, 9);
    BandPass(b1, 1000.0, 25.0, 35.0, 9);
    EXPECT_FALSE(Same(a, Ramp(3000)));
    EXPECT_TRUE(Same(a, a1) && Same(b, b1));
    // The same vector given twice is filtered once, not twice.
    BandPassPair(c, c, 1000.0, 25.0, 35.0, 9);
    EXPECT_TRUE(Same(c, a1));
}

// The binding sizes the output to n / 2, even when it is the input.
TEST(AnalysisLibrary, SpectrumSizesItsOutputEvenIntoItsOwnInput) {
    CNiScalarVector<double> x(1001), out(3);
    for (int i = 0; i < 1001; ++i)
        x[i] = 4.0 * std::cos(2.0 * 3.141592653589793 * 50.0 * i / 1001.0);
    double df = 0.0;
    AutoPowerSpectrum(x, 0.001, out, df);
    ASSERT_EQ(out.Size(), 500u);
    EXPECT_EQ(df, 1.0 / (1001 * 0.001));
    EXPECT_NEAR(out[50], 8.0, 1e-11);
    AutoPowerSpectrum(x, 0.5, x, df);
    ASSERT_EQ(x.Size(), 500u);
    EXPECT_EQ(x[50], out[50]);
    EXPECT_EQ(df, 1.0 / 500.5);
}

} // namespace
