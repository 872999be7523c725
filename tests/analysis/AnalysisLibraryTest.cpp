#include "analysis/AnalysisLibrary.h"
#include "analysis/AnalysisError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <vector>

namespace {

// The message of a band the band-pass cannot design (its exact text is checked once below).
const std::string kBadBandError = std::string("Math Exception: ") + AnalysisErrorText(-20023);

// The message of the error a call raises, "none" when it raises nothing.
template <typename F> std::string ErrorOf(F&& call) {
    try {
        call();
    } catch (const AnalysisError& e) {
        return e.what();
    }
    return "none";
}

CNiScalarVector<double> Ramp(int n) {
    CNiScalarVector<double> v(n);
    for (int i = 0; i < n; ++i)
        v[i] = 0.5 * i - 3.0;
    return v;
}

bool SameValues(const CNiScalarVector<double>& a, const CNiScalarVector<double>& b) {
    return a.Size() == b.Size() && std::equal(a.begin(), a.end(), b.begin());
}

} // namespace

TEST(AnalysisLibrary, ErrorCodesGiveTheLibraryTexts) {
    const auto text = [](int code) { return ErrorOf([code] { CheckCode(code); }); };
    EXPECT_EQ(text(-20020),
              "Math Exception: Cut-off frequency, fc, must meet the condition 0 <= fc <= (fs/2).");
    EXPECT_EQ(text(-20021), "Math Exception: Order must be greater than zero.");
    EXPECT_EQ(text(-20023), "Math Exception: Invalid band specification.");
    EXPECT_EQ(text(-5093), "Math Exception: The underlying analysis dll was not found.");
    EXPECT_EQ(text(-5094), "Math Exception: The specified analysis function was not found.");
    EXPECT_EQ(text(-20004), "Math Exception: The number of samples must be at least 2.");
    EXPECT_EQ(text(-20005),
              "Math Exception: Sampling interval, dt, must be a finite value greater than zero.");
    EXPECT_EQ(text(-1), "Math Exception: Unknown math error.");
    EXPECT_EQ(text(-20022), "Math Exception: Unknown math error.");
    EXPECT_EQ(text(0), "none");
    EXPECT_EQ(text(12), "none"); // warnings are not reported
    EXPECT_THROW(CheckCode(-20001), std::bad_alloc);
    try {
        CheckCode(-20023);
    } catch (const AnalysisError& e) {
        EXPECT_EQ(e.Code(), -20023);
    }
}

TEST(AnalysisLibrary, EveryCodeHasItsOwnText) {
    const int codes[] = {-5093,  -5094,  -20003, -20004, -20005, -20006,
                         -20007, -20008, -20020, -20021, -20023};
    std::vector<std::string> texts;
    for (int c : codes) {
        const std::string t = AnalysisErrorText(c);
        EXPECT_NE(t, "Unknown math error.") << c;
        for (const std::string& other : texts)
            EXPECT_NE(t, other) << c;
        texts.push_back(t);
    }
}

TEST(AnalysisLibrary, InvalidFilterArgumentsRaiseAndLeaveTheSignalUnchanged) {
    const CNiScalarVector<double> original = Ramp(50);
    CNiScalarVector<double> x = original;
    EXPECT_EQ(ErrorOf([&] { LowPass(x, 1000.0, 0.0, 5); }),
              "Math Exception: Cut-off frequency, fc, must meet the condition 0 <= fc <= (fs/2).");
    EXPECT_EQ(ErrorOf([&] { LowPass(x, 1000.0, 500.0, 5); }),
              "Math Exception: Cut-off frequency, fc, must meet the condition 0 <= fc <= (fs/2).");
    EXPECT_EQ(ErrorOf([&] { LowPass(x, 1000.0, 5.0, 0); }),
              "Math Exception: Order must be greater than zero.");
    EXPECT_EQ(ErrorOf([&] { BandPass(x, 1000.0, 35.0, 25.0, 9); }), kBadBandError);
    EXPECT_EQ(ErrorOf([&] { BandPass(x, 1000.0, 25.0, 500.0, 9); }), kBadBandError);
    EXPECT_EQ(ErrorOf([&] { BandPass(x, 1000.0, 25.0, 35.0, -1); }),
              "Math Exception: Order must be greater than zero.");
    EXPECT_EQ(ErrorOf([&] { BandPass(x, 0.0, 25.0, 35.0, 9); }),
              "Math Exception: Sampling frequency, fs, must be a finite value greater than zero.");
    CNiScalarVector<double> y = original;
    EXPECT_EQ(ErrorOf([&] { BandPassPair(x, y, 1000.0, 0.0, 35.0, 9); }), kBadBandError);
    EXPECT_TRUE(SameValues(x, original));
    EXPECT_TRUE(SameValues(y, original));
}

TEST(AnalysisLibrary, RawRoutinesRefuseNegativeCountsAndNullSignals) {
    double x[4] = {1, 2, 3, 4};
    EXPECT_EQ(LowPassCode(x, -1, 1000.0, 5.0, 5), kAnalysisNegativeSampleCount);
    EXPECT_EQ(BandPassCode(x, -1, 1000.0, 25.0, 35.0, 9), kAnalysisNegativeSampleCount);
    EXPECT_EQ(BandPassCode(nullptr, 4, 1000.0, 25.0, 35.0, 9), kAnalysisNullArray);
    EXPECT_EQ(BandPassPairCode(x, nullptr, 4, 1000.0, 25.0, 35.0, 9), kAnalysisNullArray);
    EXPECT_EQ(LowPassCode(nullptr, 0, 1000.0, 5.0, 5), 0);
    // The design is still checked for an empty signal.
    EXPECT_EQ(LowPassCode(nullptr, 0, 1000.0, 5.0, 0), kAnalysisBadOrder);
}

TEST(AnalysisLibrary, EmptyAndOneSampleSignalsFilterWithoutError) {
    CNiScalarVector<double> empty;
    EXPECT_NO_THROW(BandPass(empty, 1000.0, 25.0, 35.0, 9));
    EXPECT_NO_THROW(LowPass(empty, 1000.0, 5.0, 5));
    CNiScalarVector<double> one(1);
    one[0] = 2.0;
    LowPass(one, 1000.0, 5.0, 5);
    EXPECT_GT(one[0], 0.0);
    EXPECT_LT(one[0], 2.0e-6);
}

TEST(AnalysisLibrary, PairOfDifferentSizesIsRefused) {
    CNiScalarVector<double> a = Ramp(10), b = Ramp(11);
    EXPECT_EQ(ErrorOf([&] { BandPassPair(a, b, 1000.0, 25.0, 35.0, 9); }),
              "Math Exception: The two signals must have the same number of samples.");
    EXPECT_TRUE(SameValues(a, Ramp(10)));
}

TEST(AnalysisLibrary, PairMatchesTwoSingleCallsEvenWhenBothAreOneVector) {
    CNiScalarVector<double> a = Ramp(3000), b(3000);
    for (int i = 0; i < 3000; ++i)
        b[i] = std::sin(0.2 * i);
    CNiScalarVector<double> a1 = a, b1 = b;
    BandPassPair(a, b, 1000.0, 25.0, 35.0, 9);
    BandPass(a1, 1000.0, 25.0, 35.0, 9);
    BandPass(b1, 1000.0, 25.0, 35.0, 9);
    EXPECT_TRUE(SameValues(a, a1));
    EXPECT_TRUE(SameValues(b, b1));
    // The same vector given twice is filtered once, not twice.
    CNiScalarVector<double> c = Ramp(3000);
    BandPassPair(c, c, 1000.0, 25.0, 35.0, 9);
    EXPECT_TRUE(SameValues(c, a1));
}

TEST(AnalysisLibrary, SpectrumSizesItsOutputAndReportsTheSpacing) {
    CNiScalarVector<double> x(1001), out(3);
    for (int i = 0; i < 1001; ++i)
        x[i] = 4.0 * std::cos(2.0 * 3.141592653589793 * 50.0 * i / 1001.0);
    double df = 0.0;
    AutoPowerSpectrum(x, 0.001, out, df);
    ASSERT_EQ(out.Size(), 500u);
    EXPECT_DOUBLE_EQ(df, 1.0 / 1.001);
    EXPECT_NEAR(out[50], 8.0, 1e-11);

    CNiScalarVector<double> one(1);
    EXPECT_EQ(ErrorOf([&] { AutoPowerSpectrum(one, 0.001, out, df); }),
              "Math Exception: The number of samples must be at least 2.");
    EXPECT_EQ(ErrorOf([&] { AutoPowerSpectrum(x, 0.0, out, df); }),
              "Math Exception: Sampling interval, dt, must be a finite value greater than zero.");
}

TEST(AnalysisLibrary, SpectrumIntoItsOwnInputVectorUsesTheInputFirst) {
    CNiScalarVector<double> x(8);
    for (int i = 0; i < 8; ++i)
        x[i] = 3.0;
    double df = 0.0;
    AutoPowerSpectrum(x, 0.5, x, df);
    ASSERT_EQ(x.Size(), 4u);
    EXPECT_DOUBLE_EQ(x[0], 9.0);
    EXPECT_DOUBLE_EQ(df, 0.25);
}
