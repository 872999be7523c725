#include "analysis/AnalysisError.h"
#include "analysis/AnalysisLibrary.h"
#include "analysis/ButterworthDesign.h"
#include "analysis/SosFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

// Golden vectors written by tools/golden/make_filter_vectors.py: the reference design's
// sections and its one-pass filter output for a test signal of 2000 samples at 1000 Hz.

namespace {

const std::string kDir = std::string(VORLIX_TEST_DATA_DIR) + "/filter_golden/";

struct GoldenCase {
    std::string name;
    std::string kind;
    int order = 0;
    double fs = 0.0;
    double f1 = 0.0;
    double f2 = 0.0;
    std::vector<std::vector<double>> sos; // b0 b1 b2 a0 a1 a2 per section
    int stride = 1;
    std::vector<double> output; // y[0], y[stride], ...
};

std::vector<double> ReadInput() {
    std::ifstream in(kDir + "input.txt");
    std::vector<double> x;
    double v = 0.0;
    while (in >> v)
        x.push_back(v);
    return x;
}

GoldenCase ReadCase(const std::string& name) {
    GoldenCase c;
    c.name = name;
    std::ifstream in(kDir + name);
    std::size_t sections = 0;
    in >> c.kind >> c.order >> c.fs >> c.f1 >> c.f2 >> sections;
    c.sos.assign(sections, std::vector<double>(6));
    for (auto& row : c.sos)
        for (double& v : row)
            in >> v;
    std::size_t count = 0;
    in >> count >> c.stride;
    c.output.resize(count);
    for (double& v : c.output)
        in >> v;
    if (!in)
        c.kind = "unreadable";
    return c;
}

std::vector<GoldenCase> ReadCases() {
    std::ifstream in(kDir + "cases.txt");
    std::vector<GoldenCase> cases;
    std::string name;
    while (in >> name)
        cases.push_back(ReadCase(name));
    return cases;
}

int Design(const GoldenCase& c, SosFilter& f) {
    return c.kind == "lowpass" ? DesignButterworthLowPass(c.order, c.fs, c.f1, f)
                               : DesignButterworthBandPass(c.order, c.fs, c.f1, c.f2, f);
}

class FilterGolden : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        input_ = new std::vector<double>(ReadInput());
        cases_ = new std::vector<GoldenCase>(ReadCases());
    }
    static void TearDownTestSuite() {
        delete input_;
        delete cases_;
    }
    static std::vector<double>* input_;
    static std::vector<GoldenCase>* cases_;
};
std::vector<double>* FilterGolden::input_ = nullptr;
std::vector<GoldenCase>* FilterGolden::cases_ = nullptr;

} // namespace

TEST_F(FilterGolden, DataIsPresent) {
    EXPECT_EQ(input_->size(), 2000u);
    EXPECT_GE(cases_->size(), 50u);
    for (const GoldenCase& c : *cases_)
        EXPECT_NE(c.kind, "unreadable") << c.name;
}

// The sections themselves: same count, same order, same pairing of poles and zeros and the gain
// in the first section. The reference's tangent differs from the C library's by an ulp now and
// then, so the coefficients agree to round-off rather than bit for bit.
TEST_F(FilterGolden, SectionsMatchTheReferenceDesign) {
    for (const GoldenCase& c : *cases_) {
        SosFilter f;
        ASSERT_EQ(Design(c, f), 0) << c.name;
        ASSERT_EQ(f.sections.size(), c.sos.size()) << c.name;
        for (std::size_t s = 0; s < c.sos.size(); ++s) {
            const SosSection& g = f.sections[s];
            const std::vector<double>& e = c.sos[s];
            ASSERT_EQ(e[3], 1.0);
            const double got[5] = {g.b0, g.b1, g.b2, g.a1, g.a2};
            const double want[5] = {e[0], e[1], e[2], e[4], e[5]};
            const double bScale = std::max({std::fabs(e[0]), std::fabs(e[1]), std::fabs(e[2])});
            for (int i = 0; i < 5; ++i) {
                const double scale = i < 3 ? bScale : 1.0;
                EXPECT_LE(std::fabs(got[i] - want[i]) / scale, 1e-12)
                    << c.name << " section " << s << " coefficient " << i;
            }
        }
    }
}

// The whole cascade against the reference output. The error is measured against the largest
// magnitude of the expected signal: the cascade's round-off scales with the signal level, and a
// per-sample relative error would blow up at every zero crossing and in the start-up samples.
TEST_F(FilterGolden, OutputMatchesTheReferenceWithinOnePartInABillion) {
    for (const GoldenCase& c : *cases_) {
        CNiScalarVector<double> x;
        x.Assign(input_->data(), static_cast<std::int64_t>(input_->size()));
        if (c.kind == "lowpass")
            LowPass(x, c.fs, c.f1, c.order);
        else
            BandPass(x, c.fs, c.f1, c.f2, c.order);
        double peak = 0.0;
        for (double v : c.output)
            peak = std::max(peak, std::fabs(v));
        ASSERT_GT(peak, 0.0) << c.name;
        double worst = 0.0;
        for (std::size_t i = 0; i < c.output.size(); ++i) {
            const double got = x[static_cast<std::int64_t>(i) * c.stride];
            worst = std::max(worst, std::fabs(got - c.output[i]) / peak);
        }
        EXPECT_LE(worst, 1e-9) << c.name;
    }
}

TEST_F(FilterGolden, PairedFilteringGivesTheSameBitsAsSingle) {
    std::vector<double> other(input_->rbegin(), input_->rend());
    for (const GoldenCase& c : *cases_) {
        if (c.kind != "bandpass")
            continue;
        std::vector<double> a = *input_, b = other, a1 = *input_, b1 = other;
        ASSERT_EQ(BandPassPairCode(a.data(), b.data(), static_cast<int>(a.size()), c.fs, c.f1, c.f2,
                                   c.order),
                  0);
        ASSERT_EQ(BandPassCode(a1.data(), static_cast<int>(a1.size()), c.fs, c.f1, c.f2, c.order),
                  0);
        ASSERT_EQ(BandPassCode(b1.data(), static_cast<int>(b1.size()), c.fs, c.f1, c.f2, c.order),
                  0);
        EXPECT_EQ(a, a1) << c.name;
        EXPECT_EQ(b, b1) << c.name;
    }
}

TEST(ButterworthDesign, SectionCountFollowsTheOrder) {
    SosFilter f;
    for (int order = 1; order <= 12; ++order) {
        ASSERT_EQ(DesignButterworthBandPass(order, 1000.0, 20.0, 40.0, f), 0);
        EXPECT_EQ(f.sections.size(), static_cast<std::size_t>(order));
        ASSERT_EQ(DesignButterworthLowPass(order, 1000.0, 5.0, f), 0);
        EXPECT_EQ(f.sections.size(), static_cast<std::size_t>((order + 1) / 2));
    }
}

// Unit gain at the geometric centre of the (pre-warped) band and at DC for the low-pass.
TEST(ButterworthDesign, PassbandGainIsOne) {
    const auto gain = [](const SosFilter& f, double w) {
        double re = 1.0, im = 0.0;
        for (const SosSection& s : f.sections) {
            const double c1 = std::cos(w), s1 = -std::sin(w);
            const double c2 = std::cos(2 * w), s2 = -std::sin(2 * w);
            const double nr = s.b0 + s.b1 * c1 + s.b2 * c2, ni = s.b1 * s1 + s.b2 * s2;
            const double dr = 1.0 + s.a1 * c1 + s.a2 * c2, di = s.a1 * s1 + s.a2 * s2;
            const double den = dr * dr + di * di;
            const double hr = (nr * dr + ni * di) / den, hi = (ni * dr - nr * di) / den;
            const double r = re * hr - im * hi;
            im = re * hi + im * hr;
            re = r;
        }
        return std::hypot(re, im);
    };
    const double pi = 3.141592653589793;
    SosFilter f;
    ASSERT_EQ(DesignButterworthBandPass(9, 1000.0, 25.0, 35.0, f), 0);
    const double w0 = std::tan(pi * 25.0 / 1000.0), w1 = std::tan(pi * 35.0 / 1000.0);
    EXPECT_NEAR(gain(f, 2.0 * std::atan(std::sqrt(w0 * w1))), 1.0, 1e-9);
    EXPECT_NEAR(gain(f, 2.0 * pi * 25.0 / 1000.0), std::sqrt(0.5), 1e-9);
    EXPECT_LT(gain(f, 2.0 * pi * 5.0 / 1000.0), 1e-6);
    ASSERT_EQ(DesignButterworthLowPass(5, 1000.0, 5.0, f), 0);
    EXPECT_NEAR(gain(f, 0.0), 1.0, 1e-12);
    EXPECT_NEAR(gain(f, 2.0 * pi * 5.0 / 1000.0), std::sqrt(0.5), 1e-9);
}

TEST(ButterworthDesign, InvalidSpecificationsGiveTheirCodesAndNoSections) {
    SosFilter f;
    const double nan = std::nan("");
    EXPECT_EQ(DesignButterworthBandPass(0, 1000.0, 20.0, 40.0, f), kAnalysisBadOrder);
    EXPECT_EQ(DesignButterworthBandPass(-3, 1000.0, 20.0, 40.0, f), kAnalysisBadOrder);
    EXPECT_EQ(DesignButterworthLowPass(0, 1000.0, 5.0, f), kAnalysisBadOrder);
    EXPECT_EQ(DesignButterworthBandPass(9, 0.0, 20.0, 40.0, f), kAnalysisBadSamplingRate);
    EXPECT_EQ(DesignButterworthLowPass(5, -1000.0, 5.0, f), kAnalysisBadSamplingRate);
    EXPECT_EQ(DesignButterworthLowPass(5, nan, 5.0, f), kAnalysisBadSamplingRate);
    for (const double fc : {0.0, -5.0, 500.0, 600.0, nan})
        EXPECT_EQ(DesignButterworthLowPass(5, 1000.0, fc, f), kAnalysisBadCutoff) << fc;
    const double bands[][2] = {{40, 20},  {30, 30},  {0, 40},   {-5, 40},
                               {20, 500}, {20, 501}, {nan, 40}, {20, nan}};
    for (const auto& b : bands)
        EXPECT_EQ(DesignButterworthBandPass(9, 1000.0, b[0], b[1], f), kAnalysisBadBand)
            << b[0] << "-" << b[1];
    ASSERT_EQ(DesignButterworthLowPass(5, 1000.0, 5.0, f), 0);
    EXPECT_EQ(DesignButterworthLowPass(5, 1000.0, 0.0, f), kAnalysisBadCutoff);
    EXPECT_TRUE(f.sections.empty());
}
