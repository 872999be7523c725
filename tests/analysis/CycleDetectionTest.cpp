#include "analysis/CycleFinders.h"
#include "analysis/DeflectionAnalysis.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr int L = 33;

std::vector<float> Sine(int n, double amplitude, double phase = 0.0, double hz = 30.0) {
    std::vector<float> y(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        y[i] = static_cast<float>(amplitude *
                                  std::sin(2.0 * std::numbers::pi * hz * i / 1000.0 + phase));
    return y;
}

FilteredSignal View(const std::vector<float>& y) {
    return {y.data(), static_cast<int>(y.size())};
}

// A flat signal with single dips (negative depth) or bumps placed at given samples.
std::vector<float> Spikes(int n, std::initializer_list<std::pair<int, float>> spikes) {
    std::vector<float> y(static_cast<std::size_t>(n), 0.0f);
    for (auto [at, value] : spikes) {
        y[at] = value;
        y[at - 1] = y[at + 1] = value / 2;
    }
    return y;
}

TEST(LoadFinders, StageOneLooksOneCycleAhead) {
    auto y = Spikes(400, {{10 + L - 2, -1.0f}, {10 + L / 2 + 1, -5.0f}});
    EXPECT_EQ(FindLoadTrough(View(y), 10, -0.8, L), 10 + L - 2);
}

TEST(LoadFinders, StageTwoComesBeforeStageThree) {
    // -0.7 passes 0.75 x -0.8 but not -0.8; -0.5 passes only half the threshold (stage 3),
    // which would find it first.
    auto y = Spikes(400, {{10 + L / 5 + 5, -0.5f}, {10 + L / 2 + 50, -0.7f}});
    EXPECT_EQ(FindLoadTrough(View(y), 10, -0.8, L), 10 + L / 2 + 50);
    // Past the hundred samples of stage 2, stage 3 takes the first that passes.
    auto beyond = Spikes(400, {{10 + L / 5 + 5, -0.5f}, {10 + L / 2 + 100, -0.7f}});
    EXPECT_EQ(FindLoadTrough(View(beyond), 10, -0.8, L), 10 + L / 5 + 5);
}

TEST(LoadFinders, StageThreeScansToTheEndAtHalfTheThreshold) {
    auto y = Spikes(800, {{10 + L / 5 + 1, -0.3f}, {600, -0.45f}});
    EXPECT_EQ(FindLoadTrough(View(y), 10, -0.8, L), 600);
    auto peak = Spikes(800, {{700, 0.45f}});
    EXPECT_EQ(FindLoadPeak(View(peak), 10, 0.8, L), 700);
    // Within the last five samples nothing is taken.
    auto late = Spikes(800, {{796, -0.6f}});
    EXPECT_EQ(FindLoadTrough(View(late), 10, -0.8, L), -1);
}

TEST(LoadFinders, NeverReadOutsideTheSignal) {
    // Candidates at the edges would need samples before 0 or after n - 1.
    std::vector<float> y = {-5.0f, 0.0f, 0.0f, 0.0f, -5.0f};
    EXPECT_EQ(FindLoadTrough(View(y), -L + 3, -0.8, L), -1);
    EXPECT_EQ(FindLoadTrough(View(y), 2 - L + 3, -0.8, L), -1);
    std::vector<float> nan(200, std::nanf(""));
    EXPECT_EQ(FindLoadTrough(View(nan), 0, -0.8, L), -1);
    EXPECT_EQ(FindGeoPeak(View(nan), 0, L), -1);
}

TEST(GeoFinders, StageTwoAcceptsFlatBottoms) {
    std::vector<float> y(300, 0.0f);
    for (int i = 100; i < 105; ++i)
        y[i] = -0.1f; // flat: fails the strict outer test of stage 1
    EXPECT_EQ(FindGeoTrough(View(y), 100 - L + 2, L), 100);
    auto shallow = Spikes(300, {{100, -0.03f}});
    EXPECT_EQ(FindGeoTrough(View(shallow), 100 - L + 2, L), -1);
}

class CycleDetectionTest : public ::testing::Test {
protected:
    void SetUp() override { doc = std::make_unique<CVorlixDoc>(dir.Path()); }

    // Filtered signals and one distance per group rising by 1 ft.
    void Load(const std::vector<float>& load, const std::vector<float>& geo) {
        const int n = static_cast<int>(load.size());
        doc->pointCount = n;
        doc->groupCount = n / 250;
        for (int i = 0; i < n; ++i) {
            doc->loadFiltered[i] = load[i];
            doc->geoFiltered[i] = geo[i];
        }
        for (int g = 0; g <= doc->groupCount; ++g)
            doc->groupDistance[g] = 100.0f + static_cast<float>(g);
        doc->segmentStartDistance = 99.0f;
    }

    TempDir dir;
    std::unique_ptr<CVorlixDoc> doc;
};

TEST_F(CycleDetectionTest, RegularSignalsGiveOneResultPerCycle) {
    const int n = 10'000;
    Load(Sine(n, 5.0), Sine(n, 1.0, -0.3));
    int stored = deflection::DetectLoadCycles(*doc);
    EXPECT_EQ(doc->cycleLength, 33);
    EXPECT_EQ(doc->loadCycleCount, stored - 3);
    EXPECT_GT(doc->loadCycleCount, 290);
    deflection::DetectGeoCycles(*doc);
    EXPECT_GT(doc->geoCycleCount, 290);
    int cycles = deflection::PairCycles(*doc, stored);
    ASSERT_GT(cycles, 280);
    for (int j = 0; j < cycles; ++j) {
        ASSERT_NEAR(doc->cycleLoadAmplitude[j], 10.0f, 0.05f) << j;
        ASSERT_NEAR(doc->cycleGeoAmplitude[j], 2.0f, 0.02f) << j;
        ASSERT_NEAR(doc->cycleRatio[j], 2.0f, 0.02f) << j;
        ASSERT_GT(doc->cycleDistance[j], 99.0f);
    }
    // Pairing stops before the last group, where points have no distance.
    EXPECT_LT(doc->cycleDistance[cycles - 1], doc->groupDistance[doc->groupCount - 1]);
}

TEST_F(CycleDetectionTest, NoCycleFoundMeansZeroCyclesNotStaleCounts) {
    Load(std::vector<float>(5000, 0.0f), std::vector<float>(5000, 0.0f));
    doc->loadCycleCount = 77;
    doc->geoCycleCount = 55;
    doc->cycleCount = 33;
    int stored = deflection::DetectLoadCycles(*doc);
    deflection::DetectGeoCycles(*doc);
    EXPECT_EQ(doc->loadCycleCount, 0);
    EXPECT_EQ(doc->geoCycleCount, 0);
    EXPECT_EQ(deflection::PairCycles(*doc, stored), 0);
    EXPECT_EQ(doc->cycleCount, 0);
}

TEST_F(CycleDetectionTest, SmallLoadAmplitudeGivesZeroRatioButKeepsAmplitudes) {
    const int n = 5000;
    Load(Sine(n, 1.95), Sine(n, 1.0));
    int stored = deflection::DetectLoadCycles(*doc);
    deflection::DetectGeoCycles(*doc);
    ASSERT_GT(deflection::PairCycles(*doc, stored), 10);
    EXPECT_NEAR(doc->cycleLoadAmplitude[5], 3.9f, 0.01f);
    EXPECT_EQ(doc->cycleRatio[5], 0.0f);
    EXPECT_GT(doc->cycleGeoAmplitude[5], 1.9f);
}

// Index lists set by hand: pairing starts at the first load cycle within one cycle length.
TEST_F(CycleDetectionTest, PairingStartsAtTheLoadCycleNearTheFirstGeophoneCycle) {
    Load(std::vector<float>(5000, 0.0f), std::vector<float>(5000, 0.0f));
    doc->cycleLength = L;
    // Load cycle k has its middle at 460 + 33k (the first 40 samples from the geophone's 500).
    const int loadStored = 20;
    doc->loadCycleCount = loadStored - 3;
    for (int k = 0; k < loadStored; ++k) {
        doc->loadTroughIndex[k] = 450 + 33 * k;
        doc->loadPeakIndex[k] = 470 + 33 * k;
        doc->loadFiltered[450 + 33 * k] = -1.0f * static_cast<float>(k + 1);
        doc->loadFiltered[470 + 33 * k] = 1.0f * static_cast<float>(k + 1);
    }
    doc->geoCycleCount = 5;
    for (int j = 0; j <= 5; ++j) {
        doc->geoTroughIndex[j] = 490 + 33 * j;
        doc->geoPeakIndex[j] = 510 + 33 * j;
        doc->geoFiltered[510 + 33 * j] = 1.0f;
    }
    ASSERT_EQ(deflection::PairCycles(*doc, loadStored), 4);
    // Load cycle 1 (middle 493, 7 from 500) is used first: amplitude 2 x 2.
    EXPECT_FLOAT_EQ(doc->cycleLoadAmplitude[0], 4.0f);
    EXPECT_FLOAT_EQ(doc->cycleRatio[0], 2.5f);
    EXPECT_FLOAT_EQ(doc->cycleLoadAmplitude[1], 6.0f);
}

TEST_F(CycleDetectionTest, LeadingCyclesWithoutDistanceAreDropped) {
    const int n = 10'000;
    Load(Sine(n, 5.0), Sine(n, 1.0, -0.3));
    for (int g = 0; g < 6; ++g)
        doc->groupDistance[g] = 0.0f;
    doc->segmentStartDistance = 0.0f;
    int stored = deflection::DetectLoadCycles(*doc);
    deflection::DetectGeoCycles(*doc);
    int cycles = deflection::PairCycles(*doc, stored);
    ASSERT_GT(cycles, 0);
    EXPECT_GT(doc->cycleDistance[0], 0.001f);
    // The first kept cycle lies in group 5, interpolated from 0 up to group 6's distance.
    EXPECT_LT(doc->cycleDistance[0], 106.0f);

    for (int g = 0; g <= doc->groupCount; ++g)
        doc->groupDistance[g] = 0.0f;
    EXPECT_EQ(deflection::PairCycles(*doc, stored), 0);
}

TEST(StartupRepair, MirrorsAroundTheFirstPeakFromSample1500) {
    const int n = 4000;
    std::vector<double> v(n, 0.0);
    for (int i = 0; i < n; ++i)
        v[i] = std::sin(0.01 * i) + 0.001 * i;
    v[1510] = 10.0; // first local maximum at distance 2 from 1500
    std::vector<float> f(v.begin(), v.end());
    EXPECT_EQ(deflection::RepairStartup(f.data(), v.data(), n), 1510);
    for (int k = 0; k <= 1510; ++k)
        ASSERT_EQ(f[1510 - k], f[1510 + k]) << k;
}

TEST(StartupRepair, NoRepairWhenTheMirrorDoesNotFitOrTheSignalIsShort) {
    std::vector<double> v(3020, 0.0);
    v[1510] = 10.0;
    std::vector<float> f(v.begin(), v.end());
    f[0] = 42.0f;
    EXPECT_EQ(deflection::RepairStartup(f.data(), v.data(), 3020), -1);
    EXPECT_EQ(f[0], 42.0f);
    EXPECT_EQ(deflection::RepairStartup(f.data(), v.data(), 1500), -1);
}

TEST(StartupRepair, SearchEndsAtTheSixteenBitLimit) {
    const int n = 80'000;
    std::vector<double> v(n, 0.0);
    v[32'768] = 1.0; // beyond the limit
    std::vector<float> f(v.begin(), v.end());
    EXPECT_EQ(deflection::RepairStartup(f.data(), v.data(), n), -1);
    v[32'767] = 1.0;
    EXPECT_EQ(deflection::RepairStartup(f.data(), v.data(), n), 32'767);
}

} // namespace
