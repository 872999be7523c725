#include "analysis/SosFilter.h"
#include "analysis/ButterworthDesign.h"
#include "analysis/DeflectionAnalysis.h"
#include "analysis/SosPairCascade.h"
#include "document/CVorlixDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr SosPath kPaths[] = {SosPath::Portable, SosPath::Avx2, SosPath::Avx512};

std::string Name(SosPath path) {
    switch (path) {
    case SosPath::Portable:
        return "portable";
    case SosPath::Avx2:
        return "avx2";
    case SosPath::Avx512:
        return "avx512";
    }
    return "?";
}

// The recurrence as the filter has always computed it: one section after another over the
// whole signal, in plain scalar code.
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

std::vector<float> Narrow(const std::vector<double>& x) {
    return std::vector<float>(x.begin(), x.end());
}

// Index of the first sample whose bits differ (so -0 differs from +0), or -1.
template <typename T> long FirstDifference(const std::vector<T>& a, const std::vector<T>& b) {
    if (a.size() != b.size())
        return 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(T)) != 0)
            return static_cast<long>(i);
    return -1;
}

// Float samples (so that the float and double runs see the same input): a few signed zeros,
// then a 30 Hz sine in noise.
std::vector<double> Signal(std::size_t n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double v =
            i < 4
                ? (i % 2 ? -0.0 : 0.0)
                : 5.0 * std::sin(2.0 * 3.141592653589793 * 30.0 * static_cast<double>(i) / 1000.0) +
                      noise(rng);
        x[i] = static_cast<float>(v);
    }
    return x;
}

struct Design {
    const char* name;
    int order;
    double lo; // 0: low-pass with cut-off hi
    double hi;
};

// Band-passes of orders 1 to 10, narrow and wide, low-passes, and cascades longer than the
// vector kernels hold (16 sections).
const Design kDesigns[] = {
    {"bp1 narrow", 1, 25.0, 35.0},   {"bp2 wide", 2, 1.0, 450.0},
    {"bp3 narrow", 3, 29.0, 31.0},   {"bp4 wide", 4, 0.5, 200.0},
    {"bp5 narrow", 5, 25.0, 35.0},   {"bp6 wide", 6, 5.0, 400.0},
    {"bp7 narrow", 7, 20.0, 40.0},   {"bp8 wide", 8, 2.0, 300.0},
    {"bp9 narrow", 9, 25.0, 35.0},   {"bp10 wide", 10, 1.0, 490.0},
    {"bp10 narrow", 10, 28.0, 32.0}, {"lp1", 1, 0.0, 5.0},
    {"lp2", 2, 0.0, 100.0},          {"lp5", 5, 0.0, 5.0},
    {"lp9", 9, 0.0, 60.0},           {"bp16", 16, 20.0, 40.0},
    {"bp17", 17, 20.0, 40.0},
};

SosFilter Make(const Design& d) {
    SosFilter f;
    const int code = d.lo > 0.0 ? DesignButterworthBandPass(d.order, 1000.0, d.lo, d.hi, f)
                                : DesignButterworthLowPass(d.order, 1000.0, d.hi, f);
    EXPECT_EQ(code, 0) << d.name;
    return f;
}

// A cascade whose stale sections would turn zeros into -0: each zero sample makes
// b2 x - a2 y = -0 - (+0).
SosFilter SignedZeroCascade(int sections) {
    SosFilter f;
    for (int k = 0; k < sections; ++k)
        f.sections.push_back({-0.5, -0.25, -0.125, 0.5, 0.0625});
    return f;
}

// Runs a and b through a cascade in blocks of the given sizes (the last block takes the
// rest), alternating double and float blocks when mixed, as the segment filter does.
void FilterInBlocks(const SosFilter& f, SosPath path, std::vector<double>& a,
                    std::vector<double>& b, const std::vector<std::size_t>& blocks, bool mixed) {
    SosPairCascade cascade(f, path);
    std::size_t at = 0;
    for (std::size_t i = 0; i <= blocks.size() && at <= a.size(); ++i) {
        const std::size_t len =
            i < blocks.size() ? std::min(blocks[i], a.size() - at) : a.size() - at;
        if (mixed && i % 2 == 1) {
            std::vector<float> fa(a.begin() + at, a.begin() + at + len);
            std::vector<float> fb(b.begin() + at, b.begin() + at + len);
            std::vector<float> oa(len), ob(len);
            cascade.Filter(fa.data(), fb.data(), oa.data(), ob.data(), len);
            // Keep the float result exact in the double arrays: narrowing again is a no-op.
            std::copy(oa.begin(), oa.end(), a.begin() + at);
            std::copy(ob.begin(), ob.end(), b.begin() + at);
        } else {
            cascade.Filter(a.data() + at, b.data() + at, a.data() + at, b.data() + at, len);
        }
        at += len;
    }
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

TEST(SosFilter, NoSectionsOrNoSamplesLeaveTheSignalAlone) {
    std::vector<double> x = {1.0, 2.0, 3.0};
    ApplySos(SosFilter{}, x.data(), x.size());
    ApplySosPair(SosFilter{}, x.data(), x.data(), x.size());
    EXPECT_EQ(x, (std::vector<double>{1.0, 2.0, 3.0}));
    // Without sections the float outputs are the inputs.
    const std::vector<float> a = {1.5f, -0.0f}, b = {2.5f, 3.5f};
    std::vector<float> oa(2), ob(2);
    SosPairCascade(SosFilter{}).Filter(a.data(), b.data(), oa.data(), ob.data(), 2);
    EXPECT_EQ(FirstDifference(oa, a), -1);
    EXPECT_EQ(FirstDifference(ob, b), -1);
    SosFilter f;
    ASSERT_EQ(DesignButterworthLowPass(5, 1000.0, 5.0, f), 0);
    ApplySos(f, nullptr, 0);
    ApplySosPair(f, nullptr, nullptr, 0);
}

// Every path, in one call, double in place and float to float, against the reference; the
// single-signal kernel too.
TEST(SosFilter, EveryPathGivesTheBitsOfTheReferenceInOneCall) {
    const std::size_t lengths[] = {0, 1, 2, 3, 5, 1023, 1033, 4099, 200'000};
    for (const Design& d : kDesigns) {
        const SosFilter f = Make(d);
        for (const std::size_t n : lengths) {
            const std::vector<double> a = Signal(n, 7), b = Signal(n, 8);
            const std::vector<double> ra = Reference(f, a), rb = Reference(f, b);
            std::vector<double> single = a;
            ApplySos(f, single.data(), n);
            EXPECT_EQ(FirstDifference(single, ra), -1) << d.name << " n=" << n << " single";
            for (const SosPath path : kPaths) {
                if (!SosPairCascade::Supported(path))
                    continue;
                const std::string where =
                    std::string(d.name) + " n=" + std::to_string(n) + " " + Name(path);
                SosPairCascade cascade(f, path);
                EXPECT_EQ(cascade.Path(), f.sections.size() > 16 ? SosPath::Portable : path)
                    << where;
                std::vector<double> da = a, db = b;
                cascade.Filter(da.data(), db.data(), da.data(), db.data(), n);
                EXPECT_EQ(FirstDifference(da, ra), -1) << where << " double a";
                EXPECT_EQ(FirstDifference(db, rb), -1) << where << " double b";

                const std::vector<float> fa = Narrow(a), fb = Narrow(b);
                std::vector<float> oa(n), ob(n);
                SosPairCascade(f, path).Filter(fa.data(), fb.data(), oa.data(), ob.data(), n);
                EXPECT_EQ(FirstDifference(oa, Narrow(ra)), -1) << where << " float a";
                EXPECT_EQ(FirstDifference(ob, Narrow(rb)), -1) << where << " float b";
            }
        }
    }
}

// Each call ends its cascade and the next starts it again; the state carried between them
// must give the bits of one call, however short the blocks and whatever their type.
TEST(SosFilter, UnevenBlocksGiveTheBitsOfOneCall) {
    const std::vector<std::vector<std::size_t>> splits = {
        {1, 0, 2, 3, 7, 1000, 1},
        {8, 8, 8, 1025},
        {32'770},
        {4099, 0, 0, 13, 20'000},
    };
    const std::size_t n = 40'011;
    const std::vector<double> a = Signal(n, 3), b = Signal(n, 4);
    for (const Design& d : {kDesigns[8], kDesigns[0], kDesigns[13], kDesigns[15], kDesigns[16]}) {
        const SosFilter f = Make(d);
        for (const bool mixed : {false, true}) {
            // A float block rounds its outputs, so the reference rounds the same samples.
            for (const auto& blocks : splits) {
                std::vector<double> ra = Reference(f, a), rb = Reference(f, b);
                if (mixed) {
                    std::size_t at = 0;
                    for (std::size_t i = 0; i <= blocks.size() && at <= n; ++i) {
                        const std::size_t len =
                            i < blocks.size() ? std::min(blocks[i], n - at) : n - at;
                        if (i % 2 == 1)
                            for (std::size_t k = at; k < at + len; ++k) {
                                ra[k] = static_cast<float>(ra[k]);
                                rb[k] = static_cast<float>(rb[k]);
                            }
                        at += len;
                    }
                }
                for (const SosPath path : kPaths) {
                    if (!SosPairCascade::Supported(path))
                        continue;
                    std::vector<double> ba = a, bb = b;
                    FilterInBlocks(f, path, ba, bb, blocks, mixed);
                    const std::string where = std::string(d.name) + " " + Name(path) +
                                              (mixed ? " mixed" : "") + " first block " +
                                              std::to_string(blocks[0]);
                    EXPECT_EQ(FirstDifference(ba, ra), -1) << where;
                    EXPECT_EQ(FirstDifference(bb, rb), -1) << where;
                }
            }
        }
    }
}

// In its first steps the skewed cascade runs sections that have no sample yet; they must stay
// at +0 or a run of zeros would come out with the wrong sign.
TEST(SosFilter, SectionsNotYetStartedStayAtPositiveZero) {
    for (const int sections : {1, 2, 5, 9, 16}) {
        const SosFilter f = SignedZeroCascade(sections);
        for (const std::size_t n :
             {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{17}, std::size_t{40}}) {
            const std::vector<double> zeros(n, 0.0);
            const std::vector<double> expected = Reference(f, zeros);
            for (const SosPath path : kPaths) {
                if (!SosPairCascade::Supported(path))
                    continue;
                std::vector<double> a = zeros, b = zeros;
                // A first block of zeros, then the rest in a second block.
                FilterInBlocks(f, path, a, b, {n / 2}, false);
                EXPECT_EQ(FirstDifference(a, expected), -1)
                    << sections << " sections n=" << n << " " << Name(path);
                EXPECT_EQ(FirstDifference(b, expected), -1)
                    << sections << " sections n=" << n << " " << Name(path);
            }
        }
    }
}

TEST(SosFilter, PathsThisCpuLacksOrLongCascadesFallBack) {
    SosFilter nine, seventeen;
    ASSERT_EQ(DesignButterworthBandPass(9, 1000.0, 25.0, 35.0, nine), 0);
    ASSERT_EQ(DesignButterworthBandPass(17, 1000.0, 25.0, 35.0, seventeen), 0);
    EXPECT_EQ(SosPairCascade(seventeen, SosPath::Avx512).Path(), SosPath::Portable);
    EXPECT_EQ(SosPairCascade(nine, SosPath::Portable).Path(), SosPath::Portable);
    EXPECT_EQ(SosPairCascade(nine).Path(), SosPairCascade::Fastest());
    for (const SosPath path : kPaths) {
        const SosPath used = SosPairCascade(nine, path).Path();
        EXPECT_LE(used, path);
        EXPECT_TRUE(SosPairCascade::Supported(used));
        EXPECT_EQ(used == path, SosPairCascade::Supported(path)) << Name(path);
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

// The segment filter goes float to float except over the samples the start-up repair compares,
// which it filters in double: the result must be that of filtering all in double, narrowing,
// and repairing on the double output.
TEST(SegmentFilter, FiltersAndRepairsAsTheWholeDoubleOutputWould) {
    for (const int n : {2, 3, 5'000, deflection::kRepairReach - 1, deflection::kRepairReach,
                        deflection::kRepairReach + 1, 70'000}) {
        auto doc = std::make_unique<CVorlixDoc>("/nonexistent");
        doc->pointCount = n;
        doc->options.bandpassLow = 25.0f;
        doc->options.bandpassHigh = 35.0f;
        const std::vector<double> geo = Signal(static_cast<std::size_t>(n), 11);
        std::vector<double> load = Signal(static_cast<std::size_t>(n), 12);
        for (double& v : load)
            v = static_cast<float>(4.0 * v + 50.0);
        for (int i = 0; i < n; ++i) {
            doc->geoSignal[i] = static_cast<float>(geo[i]);
            doc->loadSignal[i] = static_cast<float>(load[i]);
        }
        deflection::FilterWorkspace workspace;
        deflection::FilterSignals(*doc, workspace);

        SosFilter f;
        ASSERT_EQ(DesignButterworthBandPass(deflection::kBandPassOrder, 1000.0,
                                            doc->options.bandpassLow, doc->options.bandpassHigh, f),
                  0);
        int repaired = 0;
        const std::pair<const std::vector<double>*, const float*> signals[] = {
            {&geo, doc->geoFiltered.data()}, {&load, doc->loadFiltered.data()}};
        for (const auto& [input, output] : signals) {
            const std::vector<double> v = Reference(f, *input);
            std::vector<float> expected = Narrow(v);
            if (deflection::RepairStartup(expected.data(), v.data(), n) >= 0)
                ++repaired;
            const std::vector<float> actual(output, output + n);
            EXPECT_EQ(FirstDifference(actual, expected), -1) << "n=" << n;
        }
        if (n >= 5'000) {
            EXPECT_EQ(repaired, 2) << "the repair did not run at n=" << n;
        }
    }
}
