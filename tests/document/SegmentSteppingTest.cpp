#include "document/SegmentStepping.h"
#include "analysis/CKVTcontrol.h"

#include <gtest/gtest.h>

TEST(SegmentStepping, MovesWithinTheSegmentsOnly) {
    CKVTcontrol options;
    options.segmentCount = 3;
    options.currentSegment = 0;
    EXPECT_FALSE(StepToPreviousSegment(options));
    EXPECT_EQ(options.currentSegment, 0);
    EXPECT_TRUE(StepToNextSegment(options));
    EXPECT_TRUE(StepToNextSegment(options));
    EXPECT_EQ(options.currentSegment, 2);
    EXPECT_FALSE(StepToNextSegment(options));
    EXPECT_EQ(options.currentSegment, 2);
    EXPECT_TRUE(StepToPreviousSegment(options));
    EXPECT_EQ(options.currentSegment, 1);
}

TEST(SegmentStepping, NothingHappensWithFewerThanTwoSegments) {
    CKVTcontrol options;
    for (int count : {0, 1}) {
        options.segmentCount = count;
        options.currentSegment = 0;
        EXPECT_FALSE(StepToNextSegment(options));
        EXPECT_FALSE(StepToPreviousSegment(options));
        EXPECT_EQ(options.currentSegment, 0);
    }
}
