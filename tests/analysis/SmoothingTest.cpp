#include "analysis/Smoothing.h"
#include "document/CVorlixDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace {

using Results = std::vector<std::pair<float, float>>; // value, distance

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
const std::vector<float> kSq = {1, 4, 9, 16, 25, 36, 49, 64, 81, 100, 121, 144};
const Results kUnchanged = {{-1, -1}}; // the marker left by a method that does not run

const Case kCases[] = {
    // Window 5 (3 for a count of 2): the value computed last is not counted.
    {"moving 5", 0, 5, kSq, {}, {{11, 102}, {18, 103}, {27, 104}, {38, 105}, {51, 106}, {66, 107}}},
    {"moving 4 is 5 wide", 0, 4, {1, 4, 9, 16, 25, 36, 49}, {}, {{11, 102}}},
    {"moving 2", 0, 2, {1, 4, 9, 16, 25, 36}, {}, {{14 / 3.0, 101}, {29 / 3.0, 102}}},
    {"moving one short", 0, 5, {0, 1, 4, 9, 16, 25}, {}, {}},
    {"moving wider than the cycles", 0, 1e9, {1, 2, 3}, {}, {}},
    {"moving of 99 points", 0, 5, kSq, {}, kUnchanged, 99},
    {"moving of count 1", 0, 1, kSq, {}, kUnchanged},
    // Blocks of `count`, each at its middle cycle; the short last one averages what it has.
    {"blocks of 5", 1, 5, kSq, {}, {{11, 102}, {66, 107}, {132.5, 111}}},
    {"same distance", 1, 2, {1, 3, 5, 7, 9, 11}, {5, 5, 5, 5, 6, 6}, {{2, 5}, {10, 6}}},
    {"blocks of 1", 1, 1, kSq, {}, kUnchanged},
    {"blocks of 99 points", 1, 5, kSq, {}, kUnchanged, 99},
    // Whole-foot intervals from the first distance; the last, open one is not stored; an
    // interval no cycle joined stores nothing.
    {"feet", 2, 1, {1, 3, 5, 7, 100}, {10.2, 10.6, 11.1, 11.9, 12}, {{2, 10.5}, {6, 11.5}}},
    {"a whole foot closes", 2, 1, {1, 3, 5, 7}, {10, 10.5, 11, 12}, {{2, 10.5}, {5, 11.5}}},
    {"half feet", 2, 0.5, {1, 3, 5}, {10.7, 10.8, 11.2}, {{1, 10.25}, {3, 10.25}}},
    {"two feet", 2, 2, {1, 3, 5, 7}, {10.9, 11.9, 12, 14}, {{2, 11}, {5, 13}}},
    {"nan distances", 2, 1, {1, 2, 3}, {NAN, 1e30, 5}, {}},
    {"distances past any int", 2, 1, {1, 2, 3}, {1e30, 1e30, 3e30}, {{1.5, 1e30}}},
    {"no cycles", 2, 1, {}, {}, {}},
    {"zero feet", 2, 0, kSq, {}, kUnchanged},
    {"nan feet", 2, NAN, kSq, {}, kUnchanged},
    {"feet of 99 points", 2, 1, kSq, {}, kUnchanged, 99},
    {"no such method", 3, 5, kSq, {}, kUnchanged}};

} // namespace

TEST(Smoothing, ChosenMethodGivesTheseResults) {
    auto doc = std::make_unique<CVorlixDoc>("/nonexistent");
    doc->options.smoothMethod = 3; // the options do nothing: the settings passed decide
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        doc->pointCount = c.points, doc->cycleCount = static_cast<int>(c.ratios.size());
        for (std::size_t i = 0; i < c.ratios.size() + 2; ++i) {
            // Entries past the cycle count are stale and must not be read.
            doc->cycleRatio[i] = i < c.ratios.size() ? c.ratios[i] : 1e9f;
            doc->cycleDistance[i] =
                i < c.distances.size() ? c.distances[i] : 100.0f + static_cast<float>(i);
        }
        doc->resultCount = 1, doc->resultValue[0] = doc->resultDistance[0] = -1;
        const int count = std::isnan(c.parameter) ? 0 : static_cast<int>(c.parameter);
        smoothing::SmoothResults(*doc, {c.method, count, count, c.parameter});
        Results actual;
        for (int i = 0; i < doc->resultCount; ++i)
            actual.emplace_back(doc->resultValue[i], doc->resultDistance[i]);
        EXPECT_EQ(actual, c.expected);
    }
}
