#include "analysis/Smoothing.h"
#include "document/CVorlixDoc.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

class SmoothingTest : public ::testing::Test {
protected:
    void SetUp() override {
        doc = std::make_unique<CVorlixDoc>(dir.Path());
        doc->pointCount = 10'000;
    }
    void SetCycles(const std::vector<float>& ratios, const std::vector<float>& distances) {
        doc->cycleCount = static_cast<int>(ratios.size());
        for (std::size_t i = 0; i < ratios.size(); ++i) {
            doc->cycleRatio[i] = ratios[i];
            doc->cycleDistance[i] = distances[i];
        }
    }
    void SetRamp(int count) {
        std::vector<float> r, d;
        for (int i = 0; i < count; ++i) {
            r.push_back(static_cast<float>(i));
            d.push_back(100.0f + 0.5f * static_cast<float>(i));
        }
        SetCycles(r, d);
    }
    void MarkResults(int count, float value) {
        doc->resultCount = count;
        doc->resultValue[0] = value;
    }

    TempDir dir;
    std::unique_ptr<CVorlixDoc> doc;
};

TEST_F(SmoothingTest, MovingAverageOfTwentyOverThirtyCyclesGivesEightResults) {
    SetRamp(30);
    smoothing::MovingAverage(*doc, 20);
    ASSERT_EQ(doc->resultCount, 8);
    // Window of 21 cycles centred on cycle 10, then 11, ...
    EXPECT_FLOAT_EQ(doc->resultValue[0], 10.0f);
    EXPECT_EQ(doc->resultDistance[0], doc->cycleDistance[10]);
    EXPECT_FLOAT_EQ(doc->resultValue[1], 11.0f);
    EXPECT_EQ(doc->resultDistance[1], doc->cycleDistance[11]);
    EXPECT_EQ(doc->resultDistance[7], doc->cycleDistance[17]);
}

TEST_F(SmoothingTest, MovingAverageWindowIsOddForOddCounts) {
    SetRamp(12);
    smoothing::MovingAverage(*doc, 5); // window 5, h 3: 12 - 6 = 6 results
    ASSERT_EQ(doc->resultCount, 6);
    EXPECT_FLOAT_EQ(doc->resultValue[0], 2.0f);
    EXPECT_EQ(doc->resultDistance[0], doc->cycleDistance[2]);
}

TEST_F(SmoothingTest, MethodsOutOfUseLeaveTheResultsAsTheyWere) {
    SetRamp(50);
    MarkResults(3, -7.0f);
    smoothing::MovingAverage(*doc, 1);
    smoothing::BlockAverage(*doc, 1);
    smoothing::DistanceAverage(*doc, 0.0f);
    smoothing::DistanceAverage(*doc, std::nanf(""));
    EXPECT_EQ(doc->resultCount, 3);
    EXPECT_EQ(doc->resultValue[0], -7.0f);

    doc->pointCount = 99;
    smoothing::MovingAverage(*doc, 20);
    smoothing::BlockAverage(*doc, 30);
    smoothing::DistanceAverage(*doc, 1.0f);
    EXPECT_EQ(doc->resultCount, 3);
}

TEST_F(SmoothingTest, MovingAverageWiderThanTheCyclesReadsNothingStale) {
    SetRamp(10);
    doc->cycleRatio[10] = std::nanf(""); // stale entries past the count
    smoothing::MovingAverage(*doc, 1'000'000'000);
    EXPECT_EQ(doc->resultCount, 0);
}

TEST_F(SmoothingTest, BlockAverageOfThirtyOverNinetyFiveCycles) {
    SetRamp(95);
    doc->cycleRatio[95] = 1e9f; // stale: must not enter the last block
    smoothing::BlockAverage(*doc, 30);
    ASSERT_EQ(doc->resultCount, 4);
    EXPECT_FLOAT_EQ(doc->resultValue[0], 14.5f);
    EXPECT_EQ(doc->resultDistance[0], doc->cycleDistance[15]);
    EXPECT_EQ(doc->resultDistance[2], doc->cycleDistance[75]);
    // The short last block averages its own five cycles at their middle.
    EXPECT_FLOAT_EQ(doc->resultValue[3], 92.0f);
    EXPECT_EQ(doc->resultDistance[3], doc->cycleDistance[92]);
}

TEST_F(SmoothingTest, BlockAverageKeepsOnlyTheFirstOfTwoBlocksAtTheSameDistance) {
    std::vector<float> r(4, 1.0f), d = {105.0f, 105.0f, 105.005f, 105.005f};
    r[2] = r[3] = 3.0f;
    SetCycles(r, d);
    smoothing::BlockAverage(*doc, 2);
    ASSERT_EQ(doc->resultCount, 1);
    EXPECT_FLOAT_EQ(doc->resultValue[0], 1.0f);
}

TEST_F(SmoothingTest, DistanceAverageGroupsWholeFeetAndDropsTheOpenLastGroup) {
    SetCycles({1, 3, 5, 7, 100}, {10.2f, 10.6f, 11.1f, 11.9f, 12.0f});
    smoothing::DistanceAverage(*doc, 1.0f);
    ASSERT_EQ(doc->resultCount, 2);
    EXPECT_FLOAT_EQ(doc->resultValue[0], 2.0f);
    EXPECT_FLOAT_EQ(doc->resultDistance[0], 10.5f);
    EXPECT_FLOAT_EQ(doc->resultValue[1], 6.0f);
    EXPECT_FLOAT_EQ(doc->resultDistance[1], 11.5f);
}

TEST_F(SmoothingTest, DistanceAverageBelowOneFootNeverDividesZeroByZero) {
    // The fraction of the first distance already exceeds the interval.
    SetCycles({1, 3, 5, 7}, {10.7f, 10.8f, 11.2f, 12.5f});
    smoothing::DistanceAverage(*doc, 0.5f);
    for (int i = 0; i < doc->resultCount; ++i)
        EXPECT_TRUE(std::isfinite(doc->resultValue[i])) << i;
    // The first cycle closes an empty group, which stores nothing.
    ASSERT_EQ(doc->resultCount, 3);
    EXPECT_FLOAT_EQ(doc->resultValue[0], 1.0f);
    EXPECT_FLOAT_EQ(doc->resultDistance[0], 10.25f);
}

TEST_F(SmoothingTest, DistanceAverageWithNanDistancesStaysDefined) {
    SetCycles({1, 2, 3}, {std::nanf(""), 1e30f, 5.0f});
    smoothing::DistanceAverage(*doc, 1.0f);
    EXPECT_EQ(doc->resultCount, 0);
}

TEST_F(SmoothingTest, ChosenMethodRuns) {
    SetRamp(95);
    doc->options.smoothMethod = 1;
    doc->options.averageCount = 30;
    smoothing::SmoothResults(*doc);
    EXPECT_EQ(doc->resultCount, 4);
    MarkResults(9, 0.0f);
    doc->options.smoothMethod = 7;
    smoothing::SmoothResults(*doc);
    EXPECT_EQ(doc->resultCount, 9);
}

} // namespace
