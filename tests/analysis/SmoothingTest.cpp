#include "analysis/Smoothing.h"
#include "document/CVorlixDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace {

using Results = std::vector<std::pair<float, float>>; // value, distance

constexpr float kNan = NAN;

struct Case {
    const char* name;
    int method;
    float parameter;
    std::vector<float> ratios;
    std::vector<float> distances; // empty: 100 + i
    Results expected;
    int points = 100; // the fewest that smoothing runs on
};

// Squares, so a window or block one cycle off changes the mean.
const std::vector<float> kSquares = {0, 1, 4, 9, 16, 25, 36, 49, 64, 81, 100, 121};

const Case kCases[] = {
    // Window 5 (3 for a count of 2): the value computed last is not counted.
    {"moving 5",
     0,
     5,
     kSquares,
     {},
     {{6, 102}, {11, 103}, {18, 104}, {27, 105}, {38, 106}, {51, 107}}},
    {"moving 4 is 5 wide", 0, 4, {0, 1, 4, 9, 16, 25, 36}, {}, {{6, 102}}},
    {"moving 2", 0, 2, {0, 1, 4, 9, 16, 25}, {}, {{5 / 3.0f, 101}, {14 / 3.0f, 102}}},
    {"moving one short", 0, 5, {0, 1, 4, 9, 16, 25}, {}, {}},
    {"moving wider than the cycles", 0, 1e9f, {1, 2, 3}, {}, {}},
    {"moving of 99 points", 0, 5, kSquares, {}, {{-1, -1}}, 99},
    {"moving of count 1", 0, 1, kSquares, {}, {{-1, -1}}},
    // Blocks of `count`, each at its middle cycle; the short last one averages what it has.
    {"blocks of 5", 1, 5, kSquares, {}, {{6, 102}, {51, 107}, {110.5f, 111}}},
    {"blocks of 2 at the same distance",
     1,
     2,
     {1, 3, 5, 7, 9, 11},
     {10, 10, 10.005f, 10.005f, 10.025f, 10.025f},
     {{2, 10}, {10, 10.025f}}},
    {"blocks of 1", 1, 1, kSquares, {}, {{-1, -1}}},
    {"blocks of 99 points", 1, 5, kSquares, {}, {{-1, -1}}, 99},
    // Whole-foot intervals from the first distance; the last, open one is not stored; an
    // interval no cycle joined stores nothing.
    {"feet", 2, 1, {1, 3, 5, 7, 100}, {10.2f, 10.6f, 11.1f, 11.9f, 12}, {{2, 10.5f}, {6, 11.5f}}},
    {"a whole foot closes", 2, 1, {1, 3, 5, 7}, {10, 10.5f, 11, 12}, {{2, 10.5f}, {5, 11.5f}}},
    {"half feet",
     2,
     0.5f,
     {1, 3, 5, 7},
     {10.7f, 10.8f, 11.2f, 12.5f},
     {{1, 10.25f}, {3, 10.25f}, {5, 11.25f}}},
    {"two feet", 2, 2, {1, 3, 5, 7}, {10.9f, 11.9f, 12, 14}, {{2, 11}, {5, 13}}},
    {"nan distances", 2, 1, {1, 2, 3}, {kNan, 1e30f, 5}, {}},
    {"distances past any int", 2, 1, {1, 2, 3}, {1e30f, 1e30f, 3e30f}, {{1.5f, 1e30f}}},
    {"no cycles", 2, 1, {}, {}, {}},
    {"zero feet", 2, 0, kSquares, {}, {{-1, -1}}},
    {"nan feet", 2, kNan, kSquares, {}, {{-1, -1}}},
    {"feet of 99 points", 2, 1, kSquares, {}, {{-1, -1}}, 99},
    {"no such method", 3, 5, kSquares, {}, {{-1, -1}}},
};

} // namespace

// Results {-1, -1} are the marker left in place by a method that does not run.
TEST(Smoothing, ChosenMethodGivesTheseResults) {
    auto doc = std::make_unique<CVorlixDoc>("/nonexistent");
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        doc->pointCount = c.points;
        doc->cycleCount = static_cast<int>(c.ratios.size());
        for (std::size_t i = 0; i < c.ratios.size() + 2; ++i) {
            // Entries past the cycle count are stale and must not be read.
            doc->cycleRatio[i] = i < c.ratios.size() ? c.ratios[i] : 1e9f;
            doc->cycleDistance[i] =
                i < c.distances.size() ? c.distances[i] : 100.0f + static_cast<float>(i);
        }
        doc->resultCount = 1;
        doc->resultValue[0] = doc->resultDistance[0] = -1;
        doc->options.smoothMethod = c.method;
        doc->options.movingAverageCount = c.method == 0 ? static_cast<int>(c.parameter) : 99;
        doc->options.averageCount = c.method == 1 ? static_cast<int>(c.parameter) : 99;
        doc->options.averageDistance = c.method == 2 ? c.parameter : 99;
        smoothing::SmoothResults(*doc);
        Results actual;
        for (int i = 0; i < doc->resultCount; ++i)
            actual.emplace_back(doc->resultValue[i], doc->resultDistance[i]);
        EXPECT_EQ(actual, c.expected);
    }
}
