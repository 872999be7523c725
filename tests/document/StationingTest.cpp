#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

class StationingTest : public ::testing::Test {
protected:
    StationingTest() : doc(dir.Path()) {}

    // Loads a segment: `distances` holds D(0) .. D(n), the last entry being the extrapolated one.
    void SetGroups(float segmentStart, const std::vector<float>& distances) {
        doc.segmentStartDistance = segmentStart;
        for (std::size_t i = 0; i < distances.size(); ++i)
            doc.groupDistance[i] = distances[i];
        doc.groupCount = distances.empty() ? 0 : static_cast<int>(distances.size()) - 1;
        doc.pointCount = 250 * doc.groupCount;
    }
    void SetCycles(const std::vector<float>& distances) {
        for (std::size_t i = 0; i < distances.size(); ++i)
            doc.cycleDistance[i] = distances[i];
        doc.cycleCount = static_cast<int>(distances.size());
    }
    // The station text of a distance, through the first point of a one-group segment.
    std::string StationOf(float distance) {
        SetGroups(distance, {distance + 100.0f, distance + 200.0f});
        return doc.StationText(0);
    }

    TempDir dir;
    CVorlixDoc doc;
};

TEST_F(StationingTest, FirstGroupRunsFromSegmentStartAndLaterGroupsFromTheirOwnDistance) {
    SetGroups(1000.0f, {1100.0f, 1200.0f, 1300.0f, 1400.0f});
    EXPECT_FLOAT_EQ(doc.DistanceAtPoint(0), 1000.0f);
    EXPECT_FLOAT_EQ(doc.DistanceAtPoint(125), 1050.0f);
    EXPECT_FLOAT_EQ(doc.DistanceAtPoint(249), 1099.6f);
    // The step from about D(0) to D(1) between points 249 and 250.
    EXPECT_FLOAT_EQ(doc.DistanceAtPoint(250), 1200.0f);
    EXPECT_FLOAT_EQ(doc.DistanceAtPoint(375), 1250.0f);
    EXPECT_FLOAT_EQ(doc.DistanceAtPoint(499), 1299.6f);
}

TEST_F(StationingTest, LastGroupHasNoDistanceButStillAStation) {
    SetGroups(1000.0f, {1100.0f, 1200.0f, 1300.0f, 1400.0f});
    EXPECT_EQ(doc.DistanceAtPoint(500), CVorlixDoc::kNoDistance);
    EXPECT_EQ(doc.DistanceAtPoint(749), CVorlixDoc::kNoDistance);
    EXPECT_EQ(doc.StationText(500), "1300.0");
    // Interpolated towards the extrapolated D(n).
    EXPECT_EQ(doc.StationText(625), "1350.0");
    EXPECT_EQ(doc.StationText(749), "1399.6");
}

TEST_F(StationingTest, PointsOutsideTheSegmentGiveZeroAndBig) {
    SetGroups(1000.0f, {1100.0f, 1200.0f, 1300.0f, 1400.0f});
    EXPECT_EQ(doc.DistanceAtPoint(750), 0.0f);
    EXPECT_EQ(doc.StationText(750), "Big");
    EXPECT_EQ(doc.StationText(std::numeric_limits<int>::max()), "Big");

    SetGroups(0.0f, {});
    EXPECT_EQ(doc.DistanceAtPoint(0), 0.0f);
    EXPECT_EQ(doc.DistanceAtPoint(-5), 0.0f);
    EXPECT_EQ(doc.StationText(0), "Big");
    EXPECT_EQ(doc.StationText(1000), "Big");
    EXPECT_EQ(doc.StationText(-1), "No DMI");
}

TEST_F(StationingTest, OneGroupSegmentInterpolatesFromSegmentStart) {
    SetGroups(0.0f, {250.0f, 500.0f});
    EXPECT_FLOAT_EQ(doc.DistanceAtPoint(100), 100.0f);
    EXPECT_FLOAT_EQ(doc.DistanceAtPoint(249), 249.0f);
}

TEST_F(StationingTest, StationTextSplitsWholeMilesAndRoundsOnlyWhenFormatting) {
    EXPECT_EQ(StationOf(0.0f), "0.0");
    EXPECT_EQ(StationOf(12.34f), "12.3");
    EXPECT_EQ(StationOf(5279.96f), "5280.0");
    EXPECT_EQ(StationOf(5280.0f), "1+0.0");
    EXPECT_EQ(StationOf(10559.96f), "1+5280.0");
    EXPECT_EQ(StationOf(52799.99f), "9+5280.0");
    EXPECT_EQ(StationOf(5300.5f), "1+20.5");
    EXPECT_EQ(StationOf(10560.0f), "2+0.0");
    EXPECT_EQ(StationOf(-10.0f), "-10.0");
}

TEST_F(StationingTest, NonFiniteOrHugeDistancesGiveATextWithoutAnIntConversion) {
    SetGroups(kNaN, {1.0f, 2.0f});
    const std::string nanText = doc.StationText(0);
    EXPECT_TRUE(nanText == "nan" || nanText == "-nan") << nanText;
    SetGroups(0.0f, {kInf, kInf});
    EXPECT_EQ(doc.StationText(1), "inf");
    SetGroups(0.0f, {-kInf, 0.0f});
    EXPECT_EQ(doc.StationText(1), "-inf");
    // More miles than an int holds.
    EXPECT_EQ(StationOf(1e20f), "100000002004087734272.0");
}

TEST_F(StationingTest, DistanceBeyondFloatRangeBecomesInfinite) {
    // A negative point extrapolates the first group backwards.
    const float big = std::numeric_limits<float>::max();
    SetGroups(big, {-big, 0.0f});
    EXPECT_EQ(doc.DistanceAtPoint(-250), kInf);
}

TEST_F(StationingTest, PointAtDistanceMapsGroupSpansBackToPoints) {
    SetGroups(-100.0f, {0.0f, 100.0f, 200.0f, 300.0f, 400.0f});
    EXPECT_EQ(doc.PointAtDistance(0.0f), 0);
    EXPECT_EQ(doc.PointAtDistance(50.0f), 125);
    EXPECT_EQ(doc.PointAtDistance(99.9f), 249);
    EXPECT_EQ(doc.PointAtDistance(100.0f), 250);
    EXPECT_EQ(doc.PointAtDistance(250.0f), 625);
    // Exactly D(n - 1): the first point of the last group; anything past it is outside.
    EXPECT_EQ(doc.PointAtDistance(300.0f), 750);
    EXPECT_EQ(doc.PointAtDistance(300.01f), -1);
    // Between the segment start and D(0).
    EXPECT_EQ(doc.PointAtDistance(-50.0f), -1);
    EXPECT_EQ(doc.PointAtDistance(kNaN), -1);
}

TEST_F(StationingTest, PointAtDistanceWithTooFewGroupsMisses) {
    SetGroups(0.0f, {10.0f, 20.0f});
    EXPECT_EQ(doc.PointAtDistance(10.0f), -1);
    SetGroups(0.0f, {});
    EXPECT_EQ(doc.PointAtDistance(0.0f), -1);
}

TEST_F(StationingTest, StandingVehicleDoesNotDivideByZero) {
    SetGroups(0.0f, {50.0f, 50.0f, 100.0f, 150.0f});
    EXPECT_EQ(doc.PointAtDistance(50.0f), 0);
    EXPECT_EQ(doc.PointAtDistance(75.0f), 375);
    SetGroups(0.0f, {0.0f, 10.0f, 30.0f, 30.0f, 30.0f, 40.0f});
    EXPECT_EQ(doc.PointAtDistance(30.0f), 500);
}

TEST_F(StationingTest, InfiniteDistancesDoNotOverflowThePointIndex) {
    SetGroups(0.0f, {0.0f, 100.0f, kInf, kInf});
    EXPECT_EQ(doc.PointAtDistance(kInf), 250);
    EXPECT_EQ(doc.PointAtDistance(1e30f), 250);
}

TEST_F(StationingTest, CycleAtDistanceFindsTheUpperCycleOfAPair) {
    SetCycles({10.0f, 20.0f, 30.0f});
    EXPECT_EQ(doc.CycleAtDistance(10.0f), 1);
    EXPECT_EQ(doc.CycleAtDistance(20.0f), 1);
    EXPECT_EQ(doc.CycleAtDistance(25.0f), 2);
    EXPECT_EQ(doc.CycleAtDistance(30.0f), 2);
    EXPECT_EQ(doc.CycleAtDistance(30.5f), -1);
    EXPECT_EQ(doc.CycleAtDistance(9.0f), -1);
    EXPECT_EQ(doc.CycleAtDistance(kNaN), -1);
    SetCycles({10.0f});
    EXPECT_EQ(doc.CycleAtDistance(10.0f), -1);
    SetCycles({});
    EXPECT_EQ(doc.CycleAtDistance(0.0f), -1);
}

TEST(FloorIndex, FindsLargestIndexAtOrBelowKey) {
    const int values[] = {10, 20, 30, 40, 50};
    EXPECT_EQ(CVorlixDoc::FloorIndex(4, 0, 5, values), -1);
    EXPECT_EQ(CVorlixDoc::FloorIndex(4, 0, 10, values), 0);
    EXPECT_EQ(CVorlixDoc::FloorIndex(4, 0, 25, values), 1);
    EXPECT_EQ(CVorlixDoc::FloorIndex(4, 0, 30, values), 2);
    EXPECT_EQ(CVorlixDoc::FloorIndex(4, 0, 49, values), 3);
    EXPECT_EQ(CVorlixDoc::FloorIndex(4, 0, 50, values), 4);
    EXPECT_EQ(CVorlixDoc::FloorIndex(4, 0, 55, values), 4);
}

TEST(FloorIndex, SubrangeAndEmptyRange) {
    const int values[] = {10, 20, 30, 40, 50};
    EXPECT_EQ(CVorlixDoc::FloorIndex(4, 2, 25, values), 1); // below values[lo]: lo - 1
    EXPECT_EQ(CVorlixDoc::FloorIndex(3, 1, 45, values), 3);
    EXPECT_EQ(CVorlixDoc::FloorIndex(2, 2, 30, values), 2);
    EXPECT_EQ(CVorlixDoc::FloorIndex(1, 2, 30, values), -1);
}

} // namespace
