#include "analysis/CycleFinders.h"
#include "analysis/DeflectionAnalysis.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int L = 33;

// Samples set at `at`, `at` + 1, ... of an otherwise flat zero signal.
struct Shape {
    int at;
    std::vector<float> values;
};
Shape Dip(int at, float depth) {
    return {at - 1, {depth / 2, depth, depth / 2}};
}
Shape Flat(int at, int width, float depth) {
    return {at, std::vector<float>(width, depth)};
}

// The signal sits between two guard samples on each side: reading past either end would see
// them and take an edge candidate for an extremum.
struct Guarded {
    std::vector<float> buffer;
    Guarded(int n, const std::vector<Shape>& shapes, float sign) : buffer(n + 4, 10.0f * sign) {
        std::fill(buffer.begin() + 2, buffer.end() - 2, 0.0f);
        for (const Shape& s : shapes)
            for (std::size_t i = 0; i < s.values.size(); ++i)
                buffer[2 + s.at + i] = sign * s.values[i];
    }
    FilteredSignal View() const { return {buffer.data() + 2, static_cast<int>(buffer.size()) - 4}; }
};

// Trough searches; every row is also run mirrored through the peak finder.
struct FinderRow {
    const char* what;
    bool geo;
    std::vector<Shape> shapes;
    int expected, n = 200, a = 10;
};

// Load (x = -1, a = 10): stage 1 tests 40..42 below -1, stage 2 26..125 below -0.75, stage 3
// 16..n - 6 below -0.5. Geophone (a = 10): stage 1 tests 41..44 strictly, stage 2 from 24 on
// with every neighbour no lower; both below -0.04.
// clang-format off
const FinderRow kFinderRows[] = {
    {"load stage 1 before an earlier, deeper dip", false, {Dip(41, -1.5f), Dip(30, -5)}, 41},
    {"load stage 1 from a + L - 3", false, {Dip(40, -1.5f), Dip(30, -0.8f)}, 40},
    {"load stage 1 up to a + L - 1", false, {Dip(42, -1.5f), Dip(30, -0.8f)}, 42},
    {"load before stage 1: stage 2", false, {Dip(39, -1.5f), Dip(30, -0.8f)}, 30},
    {"load after stage 1: stage 2", false, {Dip(43, -1.5f), Dip(30, -0.8f)}, 30},
    {"load threshold is strict", false, {Dip(41, -1), Dip(30, -0.8f)}, 30},
    {"load stage 2 from a + L/2 for 100", false, {Dip(25, -0.8f), Dip(125, -0.8f)}, 125},
    {"load past stage 2: stage 3", false, {Dip(25, -0.8f), Dip(126, -0.8f)}, 25},
    {"load stage 3 from a + L/5", false, {Dip(16, -0.6f)}, 16},
    {"load before stage 3", false, {Dip(15, -0.6f)}, -1},
    {"load stage 3 up to n - 6", false, {Dip(194, -0.6f)}, 194},
    {"load stage 3 not at n - 5", false, {Dip(195, -0.6f)}, -1},
    {"load needs two samples before", false, {Dip(1, -2)}, -1, 50, -5},
    {"load at sample 2", false, {Dip(2, -2)}, 2, 50, -4},
    {"two-sample bottom: the first", false, {Flat(60, 2, -2)}, 60},
    {"three-sample bottom: the middle", false, {Flat(59, 3, -2)}, 60},
    {"four-sample bottom: none", false, {Flat(59, 4, -2)}, -1},
    {"equal lows two apart: none", false, {Dip(58, -2), Dip(60, -2)}, -1},
    {"lower just before stage 3: none", false, {Flat(15, 1, -2), Flat(16, 1, -1)}, -1},
    {"lower just after stage 3: none", false, {Flat(194, 1, -1), Flat(195, 1, -2)}, -1},
    {"geo stage 1 up to a + L + 1", true, {Dip(44, -0.1f), Flat(30, 4, -0.1f)}, 44},
    {"geo stage 1 from a + L - 2", true, {Dip(41, -0.1f), Flat(30, 4, -0.1f)}, 41},
    {"geo before stage 1: stage 2", true, {Dip(40, -0.1f), Flat(30, 4, -0.1f)}, 30},
    {"geo after stage 1: stage 2", true, {Dip(45, -0.1f), Flat(30, 4, -0.1f)}, 30},
    {"geo stage 2 from a + L/2 - 2", true, {Dip(24, -0.1f)}, 24},
    {"geo before stage 2", true, {Dip(23, -0.1f)}, -1},
    {"geo too shallow", true, {Dip(60, -0.03f)}, -1},
    {"geo stage 2 flat bottom: the first", true, {Flat(60, 4, -0.1f)}, 60},
    {"geo stage 2 flat bottom entering the window", true, {Flat(22, 3, -0.1f)}, 24},
    {"geo stage 2 lower two before", true,
     {Flat(22, 1, -0.2f), Flat(24, 1, -0.1f), Flat(26, 1, -0.1f)}, 26},
    {"geo stage 2 lower two after", true, {Flat(60, 1, -0.1f), Flat(62, 1, -0.2f)}, 62},
    {"geo stage 2 up to n - 3", true, {Dip(197, -0.1f)}, 197},
    {"geo stage 2 not at n - 2", true, {Dip(198, -0.1f)}, -1},
};
// clang-format on

TEST(CycleFinders, FindTheFirstExtremumStageByStage) {
    for (const FinderRow& row : kFinderRows) {
        const Guarded troughs(row.n, row.shapes, 1.0f), peaks(row.n, row.shapes, -1.0f);
        if (row.geo) {
            EXPECT_EQ(FindGeoTrough(troughs.View(), row.a, L), row.expected) << row.what;
            EXPECT_EQ(FindGeoPeak(peaks.View(), row.a, L), row.expected) << row.what;
        } else {
            EXPECT_EQ(FindLoadTrough(troughs.View(), row.a, -1.0, L), row.expected) << row.what;
            EXPECT_EQ(FindLoadPeak(peaks.View(), row.a, 1.0, L), row.expected) << row.what;
        }
    }
}

class CycleDetectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc = std::make_unique<CVorlixDoc>(dir.Path());
        doc->groupCount = 20; // 5000 samples, one foot a group from 100 ft
        Distances(0);
    }
    void Distances(int groupsWithout) {
        doc->segmentStartDistance = groupsWithout > 0 ? 0.0f : 99.0f;
        for (int g = 0; g <= 20; ++g)
            doc->groupDistance[g] = g < groupsWithout ? 0.0f : 100.0f + static_cast<float>(g);
    }

    TempDir dir;
    std::unique_ptr<CVorlixDoc> doc;
};

TEST_F(CycleDetectionTest, DetectionsFollowTheCyclesToTheSegmentEnd) {
    // Both signals: a trough every 24 samples from 4 up to waveEnd, a peak 12 after each. The
    // first trough past n - 1.5 L (360.5), or the first one missing, ends both detections.
    const struct {
        const char* what;
        float depth, height;
        int loadStored, geoCount, paired, waveEnd = 410;
    } rows[] = {{"regular", 1.0f, 1.0f, 15, 11, 10},
                {"wave ends early", 1.0f, 1.0f, 11, 7, 6, 300},
                {"one load cycle", 1.0f, 1.0f, 1, 0, 0, 60},
                {"below the load thresholds", 0.3f, 0.3f, 0, 11, 0},
                {"no peaks", 1.0f, 0.0f, 0, 0, 0},
                {"no cycle: no stale counts", 0.0f, 0.0f, 0, 0, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        doc->pointCount = 410;
        std::fill_n(doc->loadFiltered.data(), 410, 0.0f);
        for (int at = 4; at + 2 < row.waveEnd; at += 12) {
            const Shape s = Dip(at, at % 24 == 4 ? -row.depth : row.height);
            std::copy(s.values.begin(), s.values.end(), doc->loadFiltered.data() + s.at);
        }
        std::copy_n(doc->loadFiltered.data(), 410, doc->geoFiltered.data());
        doc->loadCycleCount = doc->geoCycleCount = 77;
        EXPECT_EQ(deflection::DetectLoadCycles(*doc), row.loadStored);
        EXPECT_EQ(doc->cycleLength, 33);
        EXPECT_EQ(doc->loadCycleCount, std::max(row.loadStored - 3, 0));
        for (int k = 0; k < row.loadStored; ++k) {
            EXPECT_EQ(doc->loadTroughIndex[k], 28 + 24 * k);
            EXPECT_EQ(doc->loadPeakIndex[k], 40 + 24 * k);
        }
        EXPECT_EQ(deflection::DetectGeoCycles(*doc), row.geoCount);
        EXPECT_EQ(doc->geoCycleCount, row.geoCount);
        for (int j = 0; row.geoCount > 0 && j <= row.geoCount; ++j) {
            EXPECT_EQ(doc->geoTroughIndex[j], 100 + 24 * j); // searched from 100
            EXPECT_EQ(doc->geoPeakIndex[j], 112 + 24 * j);
        }
        doc->cycleCount = 77;
        EXPECT_EQ(deflection::PairCycles(*doc, row.loadStored), row.paired);
        EXPECT_EQ(doc->cycleCount, row.paired);
    }
}

TEST_F(CycleDetectionTest, DetectionsStopAtTheCycleCapacityOfAFullSegment) {
    // A full segment of 24-sample cycles holds 133,331 of them: more than the 130,000 the
    // index lists have room for.
    const int n = static_cast<int>(kSignalCapacity);
    doc->pointCount = n, doc->groupCount = kMaxSegmentGroups;
    for (int g = 0; g <= kMaxSegmentGroups; ++g)
        doc->groupDistance[g] = 100.0f + static_cast<float>(g);
    float* y = doc->loadFiltered.data();
    std::fill_n(y, n, 0.0f);
    for (int at = 4; at + 2 < n; at += 12) {
        const float d = at % 24 == 4 ? -1.0f : 1.0f;
        y[at - 1] = y[at + 1] = d / 2, y[at] = d;
    }
    std::copy_n(y, n, doc->geoFiltered.data());
    const int capacity = static_cast<int>(kCycleCapacity);
    EXPECT_EQ(deflection::DetectLoadCycles(*doc), capacity);
    EXPECT_EQ(doc->loadCycleCount, capacity - 3);
    EXPECT_EQ(deflection::DetectGeoCycles(*doc), capacity - 1);
    EXPECT_EQ(deflection::PairCycles(*doc, capacity), capacity - 2);
}

// Index lists set by hand by their middles (trough 5 before, peak 5 after). Load cycle k has
// the amplitude 3 + k, geophone cycle j 2 + j; `pairedWith` lists the load cycle of each
// counted geophone cycle from `firstKept` on.
struct PairingRow {
    const char* what;
    std::vector<int> loadMiddles;
    int loadCounted;
    std::vector<int> geoMiddles, pairedWith;
    int n = 5000, groupsWithoutDistance = 0, firstKept = 0;
};

// `count` middles 34 samples apart from `from`, after those given first.
std::vector<int> Every34(int from, int count, std::vector<int> v = {}) {
    for (int k = 0; k < count; ++k)
        v.push_back(from + 34 * k);
    return v;
}

// clang-format off
const PairingRow kPairingRows[] = {
    {"nearest load cycle is cycle 0", Every34(500, 12), 9, Every34(500, 6), {0, 1, 2, 3, 4}},
    {"first load cycle 40 away", Every34(460, 12), 9, Every34(500, 6), {1, 2, 3, 4, 5}},
    {"start not L away, counted only", Every34(500, 4, {467}), 2, Every34(500, 6), {1, 2, 3, 4, 4}},
    {"else within 2L from cycle 0", Every34(533, 11, {467}), 9, Every34(500, 6), {0, 1, 2, 3, 4}},
    {"else start within 2L", Every34(550, 10, {400, 450}), 9, Every34(500, 6), {1, 2, 2, 3, 4}},
    {"else start within 2L, at the last counted", {300, 467, 600, 634, 668}, 2, Every34(500, 6),
     {1, 1, 2, 2, 3}},
    {"none within 2L: cycle 0", Every34(700, 12), 9, Every34(500, 6), {0, 0, 0, 0, 0}},
    {"a match L away is taken", Every34(533, 11, {450}), 9, Every34(500, 6), {1, 1, 2, 3, 4}},
    {"re-sync up to 29 ahead", Every34(500, 32), 29, {500, 1486, 1520, 1554}, {0, 29, 30}},
    {"re-sync back to 10 before", Every34(500, 32), 29, {1010, 660, 704}, {15, 5}},
    {"re-sync back to cycle 0", Every34(500, 32), 29, {840, 500, 534}, {10, 0}},
    {"none near: the last kept", Every34(500, 12), 9, {500, 534, 2000, 2034}, {0, 1, 1}},
    {"only stored load cycles", Every34(500, 12), 9, {500, 874, 908, 942}, {0, 11, 11}},
    {"stops L/2 before the end", {916, 949, 983}, 0, {916, 950, 983, 984, 990}, {0, 1, 2}, 1000},
    {"stops in the last group", Every34(4690, 6), 3, Every34(4690, 5), {0, 1}},
    {"leading cycles dropped", Every34(400, 12), 9, Every34(400, 8), {3, 4, 5, 6}, 5000, 3, 3},
    {"no cycle with a distance", Every34(500, 12), 9, Every34(500, 6), {}, 5000, 21},
};
// clang-format on

TEST_F(CycleDetectionTest, PairingTakesTheLoadCycleAtTheSamePlace) {
    for (const PairingRow& row : kPairingRows) {
        SCOPED_TRACE(row.what);
        doc->pointCount = row.n, doc->cycleLength = L;
        auto put = [](auto& troughs, auto& peaks, auto& y, int i, int m, float amplitude) {
            troughs[i] = m - 5;
            peaks[i] = m + 5;
            y[m - 5] = -amplitude / 2, y[m + 5] = amplitude / 2;
        };
        const int loadStored = static_cast<int>(row.loadMiddles.size());
        doc->loadCycleCount = row.loadCounted;
        for (int k = 0; k <= loadStored; ++k) // and a stale entry after the stored ones
            put(doc->loadTroughIndex, doc->loadPeakIndex, doc->loadFiltered, k,
                k < loadStored ? row.loadMiddles[k] : row.loadMiddles.back() + 33, 3.0f + k);
        doc->geoCycleCount = static_cast<int>(row.geoMiddles.size());
        for (int j = 0; j < doc->geoCycleCount; ++j)
            put(doc->geoTroughIndex, doc->geoPeakIndex, doc->geoFiltered, j, row.geoMiddles[j],
                2.0f + j);
        Distances(row.groupsWithoutDistance);

        const int count = static_cast<int>(row.pairedWith.size());
        ASSERT_EQ(deflection::PairCycles(*doc, loadStored), count);
        EXPECT_EQ(doc->cycleCount, count);
        for (int i = 0; i < count; ++i) {
            const int j = row.firstKept + i, k = row.pairedWith[i];
            const double l = 3 + k, g = 2 + j;
            EXPECT_EQ(doc->cycleLoadAmplitude[i], l) << i;
            EXPECT_EQ(doc->cycleGeoAmplitude[i], g) << i;
            // Below a load amplitude of 4 the ratio is 0.
            EXPECT_EQ(doc->cycleRatio[i], l < 4 ? 0.0f : static_cast<float>(g * 10 / l)) << i;
            EXPECT_EQ(doc->cycleDistance[i], doc->DistanceAtPoint(row.geoMiddles[j])) << i;
            EXPECT_GT(doc->cycleDistance[i], 0.001f) << i;
        }
    }
}

TEST(StartupRepair, MirrorsAroundTheFirstPeakFrom1500WithinSixteenBitsWhenItFits) {
    const struct {
        int n, peak, expected;
        bool flatTop = false; // a second peak 2 after the first
    } rows[] = {{4000, 1600, -1, true}, {4000, 1510, 1510},       {4000, 1500, 1500},
                {4000, 1499, -1},       {3021, 1510, 1510},       {3020, 1510, -1},
                {1512, 1510, -1},       {80'000, 32'767, 32'767}, {80'000, 32'768, -1}};
    for (const auto& row : rows) {
        std::vector<double> v(std::max(row.n, row.peak + 3));
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = 0.001 * static_cast<double>(i); // rising: no peak but the one set
        v[row.peak] = 1e6;
        if (row.flatTop)
            v[row.peak + 2] = 1e6;
        std::vector<float> f(v.begin(), v.end());
        ASSERT_EQ(deflection::RepairStartup(f.data(), v.data(), row.n), row.expected) << row.n;
        const int b = std::max(row.expected, 0);
        for (int k = 0; k <= b; ++k)
            ASSERT_EQ(f[b - k], row.expected < 0 ? v[b - k] : f[b + k]) << row.n << " " << k;
    }
}

} // namespace
