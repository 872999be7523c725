#include "analysis/AnalysisError.h"
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

// Index of the first sample whose bits differ (so -0 differs from +0), or -1; same sizes.
template <typename T> long FirstDifference(const std::vector<T>& a, const std::vector<T>& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(T)) != 0)
            return static_cast<long>(i);
    return -1;
}

// Float-exact samples: 20 zeros of both signs (sections not yet started must stay at +0, or
// b2 x - a2 y = -0 - (+0) would turn them into -0), then a 30 Hz sine in noise.
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

// Runs a and b through the cascade in blocks (the last takes the rest); with `mixed` the first
// and every second block go float to float, and `ra`, `rb` are rounded to float over those blocks.
void FilterInBlocks(SosPairCascade& cascade, std::vector<double>& a, std::vector<double>& b,
                    const std::vector<std::size_t>& blocks, bool mixed, std::vector<double>& ra,
                    std::vector<double>& rb) {
    std::size_t at = 0;
    for (std::size_t i = 0; i <= blocks.size(); ++i) {
        const std::size_t len = std::min(i < blocks.size() ? blocks[i] : a.size(), a.size() - at);
        if (mixed && i % 2 == 0) {
            std::vector<float> fa(a.begin() + at, a.begin() + at + len), oa(len);
            std::vector<float> fb(b.begin() + at, b.begin() + at + len), ob(len);
            cascade.Filter(fa.data(), fb.data(), oa.data(), ob.data(), len);
            std::copy(oa.begin(), oa.end(), a.begin() + at);
            std::copy(ob.begin(), ob.end(), b.begin() + at);
            for (std::size_t k = at; k < at + len; ++k)
                ra[k] = static_cast<float>(ra[k]), rb[k] = static_cast<float>(rb[k]);
        } else {
            cascade.Filter(a.data() + at, b.data() + at, a.data() + at, b.data() + at, len);
        }
        at += len;
    }
}

} // namespace

// Band-passes, low-passes with a first-order section, cascades at and past the 16 sections the
// vector kernels hold, one whose stale sections would give -0, and none; every path in blocks
// around the chunks of 1024 samples (and steps: n samples through S sections take n + S - 1),
// some float to float: the state carried between calls must give the bits of one call.
TEST(SosFilter, EveryPathAndEveryBlockSplitGiveTheBitsOfTheReference) {
    const SosFilter signedZero{std::vector<SosSection>(9, {-0.5, -0.25, -0.125, 0.5, 0.0625})};
    const SosFilter designs[] = {Design(1, 25, 35),  Design(3, 29, 31),  Design(4, 0.5, 200),
                                 Design(10, 1, 490), Design(11, 20, 40), Design(5, 0, 5),
                                 Design(2, 0, 100),  Design(16, 20, 40), Design(17, 20, 40),
                                 signedZero,         SosFilter{}};
    const std::vector<double> a = Signal(2500, 3), b = Signal(2500, 4);
    const SosPath fastest = SosPairCascade::Fastest();
    EXPECT_EQ(fastest, SosPairCascade::Supported(SosPath::Avx512) ? SosPath::Avx512
                       : SosPairCascade::Supported(SosPath::Avx2) ? SosPath::Avx2
                                                                  : SosPath::Portable);
    for (const SosFilter& f : designs) {
        const std::size_t s = f.sections.size();
        const std::vector<std::vector<std::size_t>> splits = {
            {}, {1, 0, 2, 3, 7, 1000, 1}, {3, 1025 - s, 1026 - s}, {1024, 8}, {1030, 0, 0, 13}};
        const std::vector<double> ra = Reference(f, a), rb = Reference(f, b);
        EXPECT_EQ(SosPairCascade(f).Path(), s > 16 ? SosPath::Portable : fastest);
        for (const SosPath path : kPaths) {
            SCOPED_TRACE(testing::Message() << s << " sections, path " << static_cast<int>(path));
            SosPairCascade cascade(f, path); // a path this CPU lacks falls back
            EXPECT_EQ(cascade.Path(), s > 16 ? SosPath::Portable : std::min(path, fastest));
            ASSERT_EQ(SosPairCascade::Supported(path), path <= fastest);
            if (path > fastest)
                continue;
            for (const bool mixed : {false, true}) {
                for (const auto& blocks : splits) {
                    SCOPED_TRACE(testing::Message() << (mixed ? "mixed, " : "") << blocks.size());
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
        double one = a[20]; // a single sample is filtered too
        ApplySos(f, &one, 1);
        EXPECT_EQ(one, Reference(f, {a[20]})[0]) << s;
        EXPECT_EQ(FirstDifference(pa, ra), -1) << s;
        EXPECT_EQ(FirstDifference(pb, rb), -1) << s;
    }
}

// The segment filter goes float to float except over the samples the start-up repair compares,
// which it filters in double: the result must be that of filtering all in double, narrowing,
// and repairing on the double output.
TEST(SegmentFilter, FiltersAndRepairsAsTheWholeDoubleOutputWould) {
    auto doc = std::make_unique<CVorlixDoc>("/nonexistent");
    for (const int n : {2, 3, deflection::kRepairReach, deflection::kRepairReach + 1, 5'000}) {
        doc->pointCount = n;
        const std::vector<double> geo = Signal(n, 11), load = Signal(n, 12);
        std::copy(geo.begin(), geo.end(), doc->geoSignal.data());
        std::copy(load.begin(), load.end(), doc->loadSignal.data());
        std::fill_n(doc->geoFiltered.data(), n, 99.0f); // a sample left unwritten shows
        std::fill_n(doc->loadFiltered.data(), n, 99.0f);
        deflection::FilterWorkspace workspace;
        deflection::FilterSignals(*doc, {25.0f, 35.0f}, workspace);
        const SosFilter f = Design(deflection::kBandPassOrder, 25, 35);
        const std::pair<const std::vector<double>*, const float*> signals[] = {
            {&geo, doc->geoFiltered.data()}, {&load, doc->loadFiltered.data()}};
        for (const auto& [input, output] : signals) {
            const std::vector<double> v = Reference(f, *input);
            std::vector<float> expected(v.begin(), v.end());
            EXPECT_EQ(deflection::RepairStartup(expected.data(), v.data(), n) >= 0, n > 3);
            EXPECT_EQ(FirstDifference(std::vector<float>(output, output + n), expected), -1) << n;
        }
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
    int cases = 0;
    for (std::string name; list >> name; ++cases) {
        SCOPED_TRACE(name);
        std::ifstream in(dir + name);
        std::string kind;
        int order = 0;
        double fs = 0, f1 = 0, f2 = 0;
        std::size_t sections = 0, count = 0, stride = 0;
        in >> kind >> order >> fs >> f1 >> f2 >> sections;
        SosFilter f;
        ASSERT_EQ(kind == "lowpass" ? DesignButterworthLowPass(order, fs, f1, f)
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
        // The output against the largest expected magnitude: round-off scales with the level.
        const std::vector<double> y = Reference(f, input);
        in >> count >> stride;
        double peak = 0.0, worst = 0.0, v = 0.0;
        for (std::size_t i = 0; i < count && in >> v; ++i) {
            peak = std::max(peak, std::fabs(v));
            worst = std::max(worst, std::fabs(y[i * stride] - v));
        }
        ASSERT_TRUE(in) << "short file";
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
    const int kOrder = kAnalysisBadOrder, kRate = kAnalysisBadSamplingRate;
    const int kBand = kAnalysisBadBand, kCut = kAnalysisBadCutoff;
    const double inf = INFINITY;
    const Case cases[] = {
        {0, 1000, 20, 40, kOrder}, {0, 1000, -1, 5, kOrder},  {0, 0, 40, 20, kOrder},
        {9, 0, 20, 40, kRate},     {5, -1000, -1, 5, kRate},  {5, nan, -1, 5, kRate},
        {5, inf, 1, 5, kRate},     {5, inf, -1, 5, kRate},    {9, 1000, 40, 20, kBand},
        {9, 1000, 30, 30, kBand},  {9, 1000, 0, 40, kBand},   {9, 1000, 20, 500, kBand},
        {9, 1000, 20, nan, kBand}, {5, 1000, -1, 0, kCut},    {5, 1000, -1, 500, kCut},
        {5, 1000, -1, nan, kCut},  {1, 1000, 1e-3, 499.9, 0}, {1, 1000, -1, 499.9, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.order << " " << c.fs << " " << c.lo << " " << c.hi);
        SosFilter f = Design(2, 0, 100);
        EXPECT_EQ(c.lo < 0 ? DesignButterworthLowPass(c.order, c.fs, c.hi, f)
                           : DesignButterworthBandPass(c.order, c.fs, c.lo, c.hi, f),
                  c.code);
        EXPECT_EQ(f.sections.size(), c.code == 0 ? 1u : 0u);
    }
}
