#include "document/CkelDMI.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

// The document's thinned station table: every (n / 1002)-th entry of the source, 1000 of them.
TEST(StationTableTest, DecimateTakesEveryStrideThEntry) {
    struct Case {
        int n;
        int stride;
        int entryCount;
        float entry999;
    };
    const Case cases[] = {
        {5010, 5, 1000, 4995.0f}, // stride 5: entries 0, 5, … 4995
        {500, 0, 1000, 0.0f},     // fewer than 1002: every entry repeats source[0]
        {1002, 1, 1000, 999.0f},
    };
    for (const Case& c : cases) {
        std::vector<std::int32_t> source(static_cast<std::size_t>(c.n));
        std::iota(source.begin(), source.end(), 0);
        CkelDMI table;
        EXPECT_EQ(table.Decimate(source.data(), c.n), 0);
        EXPECT_EQ(table.stride, c.stride) << c.n;
        EXPECT_EQ(table.entryCount, c.entryCount) << c.n;
        EXPECT_EQ(table.entries[1], static_cast<float>(c.stride)) << c.n;
        EXPECT_EQ(table.entries[999], c.entry999) << c.n;
    }
}

TEST(StationTableTest, EmptySourceReadsNothing) {
    CkelDMI table;
    EXPECT_EQ(table.Decimate(nullptr, 10), -1);
    const std::int32_t one = 7;
    EXPECT_EQ(table.Decimate(&one, 0), -1);
    EXPECT_EQ(table.entryCount, 0);
}
