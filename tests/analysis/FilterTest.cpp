#include "analysis/AnalysisError.h"
#include "analysis/AnalysisLibrary.h"
#include "analysis/ButterworthDesign.h"
#include "analysis/CNiScalarVector.h"
#include "analysis/DeflectionAnalysis.h"
#include "analysis/SosFilter.h"
#include "analysis/SosPairCascade.h"
#include "document/CVorlixDoc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr SosPath kPaths[] = {SosPath::Portable, SosPath::Avx2, SosPath::Avx512};

// One section after another over the whole signal, in plain scalar code.
std::vector<double> Reference(const SosFilter& f, std::vector<double> x) {
    for (const SosSection& s : f.sections) {
        double s0 = 0.0, s1 = 0.0;
        for (double& v : x) {
            const double y = s.b0 * v + s0;
            s0 = s.b1 * v - s.a1 * y + s1;
            s1 = s.b2 * v - s.a2 * y;
            v = y;
        }
    }
    return x;
}

// Index of the first sample whose bits differ (so -0 differs from +0), or -1.
template <typename T> long FirstDifference(const std::vector<T>& a, const std::vector<T>& b) {
    if (a.size() != b.size())
        return -2;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(T)) != 0)
            return static_cast<long>(i);
    return -1;
}

// Float-exact samples: 20 zeros of both signs (sections not yet started in the first steps of
// the skewed cascade must stay at +0, or b2 x - a2 y = -0 - (+0) would turn them into -0), then
// a 30 Hz sine in noise.
std::vector<double> Signal(std::size_t n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = i < 20 ? (i % 3 ? -0.0 : 0.0)
                      : static_cast<float>(5.0 * std::sin(0.06 * M_PI * static_cast<double>(i)) +
                                           noise(rng));
    return x;
}

SosFilter Design(int order, double lo, double hi) { // lo 0: low-pass at hi
    SosFilter f;
    EXPECT_EQ(lo > 0.0 ? DesignButterworthBandPass(order, 1000.0, lo, hi, f)
                       : DesignButterworthLowPass(order, 1000.0, hi, f),
              0);
    return f;
}

// Runs a and b through the cascade in blocks (the last takes the rest); with `mixed` every
// second block goes float to float, and `ra`, `rb` are rounded to float over those blocks.
void FilterInBlocks(SosPairCascade& cascade, std::vector<double>& a, std::vector<double>& b,
                    const std::vector<std::size_t>& blocks, bool mixed, std::vector<double>& ra,
                    std::vector<double>& rb) {
    std::size_t at = 0;
    for (std::size_t i = 0; i <= blocks.size(); ++i) {
        const std::size_t len = std::min(i < blocks.size() ? blocks[i] : a.size(), a.size() - at);
        if (mixed && i % 2 == 1) {
            std::vector<float> fa(a.begin() + at, a.begin() + at + len), oa(len);
            std::vector<float> fb(b.begin() + at, b.begin() + at + len), ob(len);
            cascade.Filter(fa.data(), fb.data(), oa.data(), ob.data(), len);
            std::copy(oa.begin(), oa.end(), a.begin() + at);
            std::copy(ob.begin(), ob.end(), b.begin() + at);
            for (std::size_t k = at; k < at + len; ++k) {
                ra[k] = static_cast<float>(ra[k]);
                rb[k] = static_cast<float>(rb[k]);
            }
        } else {
            cascade.Filter(a.data() + at, b.data() + at, a.data() + at, b.data() + at, len);
        }
        at += len;
    }
}

} // namespace

// Narrow odd and wide band-passes, low-passes with a first-order section, cascades at and past
// the 16 sections the vector kernels hold, and one whose stale sections would give -0. Every
// path, double in place and float to float, in one call of lengths around the chunks of 1024
// samples (and steps: a call of n samples through S sections takes n + S - 1), and in uneven
// blocks: the state carried between calls must give the bits of one call; Reset starts again.
TEST(SosFilter, EveryPathAndEveryBlockSplitGiveTheBitsOfTheReference) {
    SosFilter signedZero;
    signedZero.sections.assign(9, {-0.5, -0.25, -0.125, 0.5, 0.0625});
    const SosFilter designs[] = {Design(1, 25, 35),  Design(3, 29, 31),  Design(4, 0.5, 200),
                                 Design(10, 1, 490), Design(11, 20, 40), Design(5, 0, 5),
                                 Design(2, 0, 100),  Design(16, 20, 40), Design(17, 20, 40),
                                 signedZero};
    const std::vector<std::vector<std::size_t>> splits = {
        {1, 0, 2, 3, 7, 1000, 1}, {8, 8, 1025}, {1030, 0, 0, 13}};
    const std::vector<double> a = Signal(2500, 3), b = Signal(2500, 4);
    const std::vector<float> fa(a.begin(), a.end()), fb(b.begin(), b.end());
    for (const SosFilter& f : designs) {
        const std::size_t s = f.sections.size();
        const std::vector<double> ra = Reference(f, a), rb = Reference(f, b);
        for (const SosPath path : kPaths) {
            if (!SosPairCascade::Supported(path))
                continue;
            SCOPED_TRACE(testing::Message() << s << " sections, path " << static_cast<int>(path));
            for (const std::size_t n : {std::size_t{1}, std::size_t{3}, std::size_t{1024}, 1025 - s,
                                        1026 - s, std::size_t{2500}}) {
                SCOPED_TRACE(n);
                const std::vector<double> ea(ra.begin(), ra.begin() + n),
                    eb(rb.begin(), rb.begin() + n);
                std::vector<double> da(a.begin(), a.begin() + n), db(b.begin(), b.begin() + n);
                SosPairCascade(f, path).Filter(da.data(), db.data(), da.data(), db.data(), n);
                EXPECT_EQ(FirstDifference(da, ea), -1);
                EXPECT_EQ(FirstDifference(db, eb), -1);
                std::vector<float> oa(n), ob(n);
                SosPairCascade(f, path).Filter(fa.data(), fb.data(), oa.data(), ob.data(), n);
                EXPECT_EQ(FirstDifference(oa, std::vector<float>(ea.begin(), ea.end())), -1);
                EXPECT_EQ(FirstDifference(ob, std::vector<float>(eb.begin(), eb.end())), -1);
            }
            SosPairCascade cascade(f, path);
            EXPECT_EQ(cascade.Path(), s > 16 ? SosPath::Portable : path);
            for (const bool mixed : {false, true}) {
                for (const auto& blocks : splits) {
                    SCOPED_TRACE(testing::Message() << (mixed ? "mixed, " : "") << blocks[0]);
                    std::vector<double> ea = ra, eb = rb, ba = a, bb = b;
                    FilterInBlocks(cascade, ba, bb, blocks, mixed, ea, eb);
                    EXPECT_EQ(FirstDifference(ba, ea), -1);
                    EXPECT_EQ(FirstDifference(bb, eb), -1);
                    cascade.Reset();
                }
            }
        }
        std::vector<double> single = a, pa = a, pb = b;
        ApplySos(f, single.data(), a.size());
        ApplySosPair(f, pa.data(), pb.data(), a.size());
        EXPECT_EQ(FirstDifference(single, ra), -1) << s;
        EXPECT_EQ(FirstDifference(pa, ra), -1) << s;
        EXPECT_EQ(FirstDifference(pb, rb), -1) << s;
    }
}

TEST(SosFilter, NoSectionsCopyAndNoSamplesWriteNothing) {
    const std::vector<float> a = {1.5f, -0.0f}, b = {2.5f, 3.5f};
    std::vector<float> oa(2), ob(2);
    SosPairCascade(SosFilter{}).Filter(a.data(), b.data(), oa.data(), ob.data(), 2);
    EXPECT_EQ(FirstDifference(oa, a), -1);
    EXPECT_EQ(FirstDifference(ob, b), -1);
    std::vector<double> x = {1.0, 2.0};
    ApplySos(SosFilter{}, x.data(), 2);
    ApplySosPair(SosFilter{}, x.data(), x.data(), 2);
    EXPECT_EQ(x, (std::vector<double>{1.0, 2.0}));
    const SosFilter f = Design(5, 0, 5);
    ApplySos(f, nullptr, 0);
    ApplySosPair(f, nullptr, nullptr, 0);
}

TEST(SosFilter, PathsThisCpuLacksFallBackToTheFastestItRuns) {
    const SosFilter sixteen = Design(16, 20, 40);
    EXPECT_EQ(SosPairCascade(sixteen).Path(), SosPairCascade::Fastest());
    EXPECT_TRUE(SosPairCascade::Supported(SosPairCascade::Fastest()));
    for (const SosPath path : kPaths) {
        const SosPath used = SosPairCascade(sixteen, path).Path();
        EXPECT_EQ(used, std::min(path, SosPairCascade::Fastest())) << static_cast<int>(path);
        EXPECT_EQ(used == path, SosPairCascade::Supported(path)) << static_cast<int>(path);
    }
}

// The segment filter goes float to float except over the samples the start-up repair compares,
// which it filters in double: the result must be that of filtering all in double, narrowing,
// and repairing on the double output.
TEST(SegmentFilter, FiltersAndRepairsAsTheWholeDoubleOutputWould) {
    auto doc = std::make_unique<CVorlixDoc>("/nonexistent");
    for (const int n : {3, deflection::kRepairReach, deflection::kRepairReach + 1, 5'000}) {
        doc->pointCount = n;
        doc->options.bandpassLow = 25.0f;
        doc->options.bandpassHigh = 35.0f;
        const std::vector<double> geo = Signal(n, 11);
        std::vector<double> load = Signal(n, 12);
        for (int i = 0; i < n; ++i) {
            load[i] = static_cast<float>(4.0 * load[i] + 50.0);
            doc->geoSignal[i] = static_cast<float>(geo[i]);
            doc->loadSignal[i] = static_cast<float>(load[i]);
        }
        deflection::FilterWorkspace workspace;
        deflection::FilterSignals(*doc, workspace);
        const SosFilter f = Design(deflection::kBandPassOrder, 25, 35);
        int repaired = 0;
        const std::pair<const std::vector<double>*, const float*> signals[] = {
            {&geo, doc->geoFiltered.data()}, {&load, doc->loadFiltered.data()}};
        for (const auto& [input, output] : signals) {
            const std::vector<double> v = Reference(f, *input);
            std::vector<float> expected(v.begin(), v.end());
            repaired += deflection::RepairStartup(expected.data(), v.data(), n) >= 0 ? 1 : 0;
            EXPECT_EQ(FirstDifference(std::vector<float>(output, output + n), expected), -1) << n;
        }
        EXPECT_EQ(repaired, n == 5'000 ? 2 : repaired) << "the repair did not run";
    }
}

// Golden vectors of tools/golden/make_filter_vectors.py: per case "kind order fs f1 f2",
// the sections (b0 b1 b2 a0 a1 a2), then "count stride" and the one-pass output y[0],
// y[stride], ... of input.txt (2000 samples at 1000 Hz).
TEST(ButterworthDesign, SectionsAndOutputMatchTheReferenceDesign) {
    const std::string dir = std::string(VORLIX_TEST_DATA_DIR) + "/filter_golden/";
    std::ifstream inputFile(dir + "input.txt"), list(dir + "cases.txt");
    std::vector<double> input;
    for (double v; inputFile >> v;)
        input.push_back(v);
    ASSERT_EQ(input.size(), 2000u);
    const std::vector<double> reversed(input.rbegin(), input.rend());
    int cases = 0;
    for (std::string name; list >> name; ++cases) {
        SCOPED_TRACE(name);
        std::ifstream in(dir + name);
        std::string kind;
        int order = 0;
        double fs = 0, f1 = 0, f2 = 0;
        std::size_t sections = 0, count = 0, stride = 0;
        in >> kind >> order >> fs >> f1 >> f2 >> sections;
        const bool low = kind == "lowpass";
        SosFilter f;
        ASSERT_EQ(low ? DesignButterworthLowPass(order, fs, f1, f)
                      : DesignButterworthBandPass(order, fs, f1, f2, f),
                  0);
        ASSERT_EQ(f.sections.size(), sections);
        // The reference's tangent differs from the C library's by an ulp now and then, so the
        // coefficients agree to round-off, relative to the largest b of the section.
        for (const SosSection& s : f.sections) {
            double e[6];
            for (double& v : e)
                in >> v;
            const double bMax = std::max({std::fabs(e[0]), std::fabs(e[1]), std::fabs(e[2])});
            const double got[] = {s.b0 / bMax, s.b1 / bMax, s.b2 / bMax, 1.0, s.a1, s.a2};
            for (int i = 0; i < 6; ++i)
                EXPECT_NEAR(got[i], e[i] / (i < 3 ? bMax : e[3]), 1e-12) << i;
        }
        std::vector<double> a = input, b = reversed, golden;
        in >> count >> stride;
        for (double v; golden.size() < count && in >> v;)
            golden.push_back(v);
        ASSERT_EQ(golden.size(), count);
        if (low) {
            ASSERT_EQ(LowPassCode(a.data(), 2000, fs, f1, order), 0);
        } else {
            ASSERT_EQ(BandPassPairCode(a.data(), b.data(), 2000, fs, f1, f2, order), 0);
            EXPECT_EQ(FirstDifference(b, Reference(f, reversed)), -1);
        }
        // Against the largest expected magnitude: round-off scales with the signal level.
        double peak = 0.0, worst = 0.0;
        for (std::size_t i = 0; i < count; ++i) {
            peak = std::max(peak, std::fabs(golden[i]));
            worst = std::max(worst, std::fabs(a[i * stride] - golden[i]));
        }
        EXPECT_LE(worst, 1e-9 * peak);
    }
    EXPECT_GE(cases, 50);
}

TEST(ButterworthDesign, InvalidDesignsGiveTheirCodesAndNoSections) {
    const double nan = std::nan("");
    struct Case {
        int order;
        double fs, lo, hi; // lo < 0: low-pass at hi
        int code;
    };
    const Case cases[] = {{0, 1000, 20, 40, kAnalysisBadOrder},
                          {-3, 1000, 20, 40, kAnalysisBadOrder},
                          {0, 1000, -1, 5, kAnalysisBadOrder},
                          {0, 0, 40, 20, kAnalysisBadOrder},
                          {9, 0, 20, 40, kAnalysisBadSamplingRate},
                          {5, -1000, -1, 5, kAnalysisBadSamplingRate},
                          {5, nan, -1, 5, kAnalysisBadSamplingRate},
                          {5, 1e300 * 1e10, 1, 5, kAnalysisBadSamplingRate},
                          {9, 1000, 40, 20, kAnalysisBadBand},
                          {9, 1000, 30, 30, kAnalysisBadBand},
                          {9, 1000, 0, 40, kAnalysisBadBand},
                          {9, 1000, 20, 500, kAnalysisBadBand},
                          {9, 1000, nan, 40, kAnalysisBadBand},
                          {9, 1000, 20, nan, kAnalysisBadBand},
                          {5, 1000, -1, 0, kAnalysisBadCutoff},
                          {5, 1000, -1, -5, kAnalysisBadCutoff},
                          {5, 1000, -1, 500, kAnalysisBadCutoff},
                          {5, 1000, -1, nan, kAnalysisBadCutoff},
                          {1, 1000, 0.001, 499.999, kAnalysisNoError},
                          {1, 1000, -1, 499.999, kAnalysisNoError}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.order << " " << c.fs << " " << c.lo << " " << c.hi);
        SosFilter f = Design(2, 0, 100);
        EXPECT_EQ(c.lo < 0 ? DesignButterworthLowPass(c.order, c.fs, c.hi, f)
                           : DesignButterworthBandPass(c.order, c.fs, c.lo, c.hi, f),
                  c.code);
        EXPECT_EQ(f.sections.size(), c.code == 0 ? 1u : 0u);
    }
}

// The vector that hands signals to the library: a reused vector is cleared, every access is
// checked with these texts, and a count beyond 32 bits is refused before anything changes.
TEST(CNiScalarVector, ReuseClearsAndAccessOutsideIsRefusedWithItsText) {
    CNiScalarVector<float> v(3);
    v[2] = 2.0f;
    v.SetSize(2);
    v.SetSize(3);
    EXPECT_EQ(v[2], 0.0f);
    const CNiScalarVector<double> d(v);
    const auto message = [&d](std::int64_t i) -> std::string {
        try {
            (void)d.at(i);
        } catch (const VectorAccessError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(message(-1), "Invalid vector access: index value cannot be negative.");
    EXPECT_EQ(message(3), "Invalid vector access: index = 3. Vector size is 3.");
    EXPECT_EQ(message(2), "no error");
    EXPECT_THROW(v.SetSize(std::int64_t{1} << 32), std::length_error);
    EXPECT_THROW(v.SetSize(-1), std::length_error);
    EXPECT_EQ(v.Size(), 3u);
}
