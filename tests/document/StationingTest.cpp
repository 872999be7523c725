// Stationing of the loaded segment, the floor look-up among scan distances and the thinned
// station table.
#include "document/CVorlixDoc.h"
#include "document/CkelDMI.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <limits>
#include <sys/mman.h>
#include <tuple>
#include <vector>

namespace {

using Floats = std::vector<float>;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kBig = std::numeric_limits<float>::max();
constexpr float kNone = CVorlixDoc::kNoDistance;

struct Stationing : ::testing::Test {
    Stationing() : doc(dir.Path()) {}
    // D(0) .. D(n), the last entry being the extrapolated one.
    void SetGroups(float start, const Floats& d) {
        doc.segmentStartDistance = start;
        std::copy(d.begin(), d.end(), doc.groupDistance.begin());
        doc.groupCount = d.empty() ? 0 : static_cast<int>(d.size()) - 1;
    }
    TempDir dir;
    CVorlixDoc doc;
};

TEST_F(Stationing, DistanceAndStationOfAPoint) {
    // The first group runs from the segment start to D(0), later ones from D(k) to D(k + 1);
    // the last group has a station but no distance.
    const Floats four = {1100, 1200, 1300, 1400}, one = {250, 500}, two = {100, 200, 300},
                 none = {}, huge = {-kBig, 0}, minf = {-kInf, 0};
    // clang-format off
    const std::tuple<float, Floats, int, float, const char*> cases[] = {
        {1000, four, 0, 1000, "1000.0"},      {1000, four, 125, 1050, "1050.0"},
        {1000, four, 249, 1099.6f, "1099.6"}, {1000, four, 250, 1200, "1200.0"},
        {1000, four, 499, 1299.6f, "1299.6"}, {1000, four, 500, kNone, "1300.0"},
        {1000, four, 749, kNone, "1399.6"},   {1000, four, 750, 0, "Big"},
        {1000, four, -5, 998, "998.0"},       {0, one, 249, 249, "249.0"},
        {0, one, 250, 0, "Big"},              {0, two, 250, kNone, "200.0"},
        {0, none, 0, 0, "Big"},               {0, none, -1, 0, "No DMI"},
        {kBig, huge, -250, kInf, "inf"},      {0, minf, 1, -kInf, "-inf"}};
    // clang-format on
    for (const auto& [start, groups, point, distance, text] : cases) {
        SCOPED_TRACE(std::to_string(start) + " point " + std::to_string(point));
        SetGroups(start, groups);
        EXPECT_EQ(doc.DistanceAtPoint(point), distance);
        EXPECT_EQ(doc.StationText(point), text);
    }
    // Whole miles split off; rounding only when formatting; miles beyond an int, and distances
    // at the ends of the float range, still give a text.
    // clang-format off
    const std::pair<float, const char*> texts[] = {
        {5279.96f, "5280.0"}, {5280, "1+0.0"}, {5300.5f, "1+20.5"}, {10559.96f, "1+5280.0"},
        {10560, "2+0.0"}, {-10, "-10.0"}, {1e20f, "100000002004087734272.0"},
        {kBig, "340282346638528859811704183484516925440.0"},
        {-kBig, "-340282346638528859811704183484516925440.0"}};
    // clang-format on
    for (const auto& [distance, text] : texts) {
        SetGroups(distance, {distance, distance});
        EXPECT_EQ(doc.DistanceAtPoint(0), distance);
        EXPECT_EQ(doc.StationText(0), text);
    }
}

TEST_F(Stationing, GroupCountBeyondTheTableUsesItsLastAddressableGroup) {
    const int last = static_cast<int>(kGroupCapacity) - 2;
    doc.groupCount = static_cast<int>(kGroupCapacity);
    std::copy_n(Floats{900, 1000, 1100}.begin(), 3, doc.groupDistance.begin() + last - 1);
    EXPECT_EQ(doc.StationText(250 * last), "1000.0");
    EXPECT_EQ(doc.StationText(250 * (last + 1)), "Big");
    EXPECT_EQ(doc.DistanceAtPoint(250 * last), kNone);
    EXPECT_EQ(doc.DistanceAtPoint(250 * (last - 1)), 900);
    EXPECT_EQ(doc.PointAtDistance(1000), 250 * last);
    EXPECT_EQ(doc.PointAtDistance(1001), -1);
}

TEST_F(Stationing, PointAndCycleAtADistance) {
    const Floats five = {0, 100, 200, 300, 400}, two = {10, 20, 30}, one = {10, 20}, none = {},
                 stand = {50, 50, 100, 150}, stand3 = {0, 10, 30, 30, 30, 40},
                 inf = {0, 100, kInf, kInf};
    const std::tuple<Floats, float, int> points[] = {
        {five, 0, 0},      {five, 50, 125},  {five, 99.9f, 249},  {five, 100, 250},
        {five, 250, 625},  {five, 300, 750}, {five, 300.01f, -1}, {five, -0.01f, -1},
        {five, kNaN, -1},  {two, 10, 0},     {two, 15, 125},      {two, 20, 250},
        {one, 10, -1},     {none, 0, -1},    {stand, 50, 0},      {stand, 75, 375},
        {stand3, 30, 500}, {inf, kInf, 250}, {inf, 1e30f, 250}};
    for (const auto& [groups, distance, point] : points) {
        SetGroups(-100, groups);
        EXPECT_EQ(doc.PointAtDistance(distance), point) << groups.size() << " " << distance;
    }
    const Floats three = {10, 20, 30}, pair = {10, 20}, single = {10};
    const std::tuple<Floats, float, int> cycles[] = {
        {three, 10, 1}, {three, 20, 1},    {three, 25, 2}, {three, 30, 2},   {three, 30.5f, -1},
        {three, 9, -1}, {three, kNaN, -1}, {pair, 15, 1},  {single, 10, -1}, {none, 0, -1}};
    for (const auto& [distances, distance, cycle] : cycles) {
        std::copy(distances.begin(), distances.end(), doc.cycleDistance.begin());
        doc.cycleCount = static_cast<int>(distances.size());
        EXPECT_EQ(doc.CycleAtDistance(distance), cycle) << distances.size() << " " << distance;
    }
}

// Every sub-range of nine values, and every key at, between, below and above them: the largest
// index whose value is at most the key, or one below the range.
TEST(FloorIndex, LargestIndexAtOrBelowTheKeyOrOneBelowTheRange) {
    const int values[] = {-40, -20, 0, 10, 20, 30, 60, 70, 90};
    for (int lo = 0; lo < 9; ++lo)
        for (int hi = lo - 1; hi < 9; ++hi)
            for (int key = -45, expected = lo - 1; key <= 95; ++key, expected = lo - 1) {
                for (int i = lo; i <= hi && values[i] <= key; ++i)
                    expected = i;
                ASSERT_EQ(CVorlixDoc::FloorIndex(hi, lo, key, values), hi < lo ? -1 : expected)
                    << lo << ".." << hi << " key " << key;
            }
}

// Every (n / 1002)-th source entry, 1000 of them; nothing to thin empties the table.
TEST(StationTable, DecimateTakesEveryStrideThEntry) {
    std::vector<std::int32_t> source(2004);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = 3 * static_cast<int>(i) + 7;
    CkelDMI table;
    for (const auto& [n, stride] : {std::pair{1, 0}, {1001, 0}, {1002, 1}, {2003, 1}, {2004, 2}}) {
        ASSERT_EQ(table.Decimate(source.data(), n), 0);
        EXPECT_EQ(
            std::vector<float>({float(table.stride), float(table.entryCount), table.entries[1],
                                table.entries[999]}),
            std::vector<float>({float(stride), 1000, 3.0f * stride + 7, 2997.0f * stride + 7}));
        EXPECT_EQ(table.Decimate(n % 2 ? nullptr : source.data(), n % 2 ? n : 0), -1);
        EXPECT_EQ(table.entryCount, 0);
    }
    // 32768 x 1002 entries, mapped without backing (only the pages read are made): the stride
    // is held at the largest int16.
    const std::size_t n = 32768u * 1002u;
    void* mapped = mmap(nullptr, n * 4, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(mapped, MAP_FAILED);
    static_cast<std::int32_t*>(mapped)[999u * 32768u] = 42;
    EXPECT_EQ(table.Decimate(static_cast<std::int32_t*>(mapped), static_cast<int>(n)), 0);
    EXPECT_EQ(std::pair(int(table.stride), table.entries[999]), std::pair(32767, 42.0f));
    munmap(mapped, n * 4);
}

} // namespace
