// The GPS track, stationing of the loaded segment, FloorIndex and the thinned station table.
#include "document/CNMEA.h"
#include "document/CVorlixDoc.h"
#include "document/CkelDMI.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <tuple>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Floats = std::vector<float>;
constexpr float kMph = 0.6818182f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kBig = std::numeric_limits<float>::max();
constexpr float kNone = CVorlixDoc::kNoDistance;

template <typename T> void Put(Bytes& b, std::size_t at, T value) {
    std::memcpy(&b[at], &value, sizeof value);
}
// A 'G' entry (3-byte lead-in, 56-byte body) at 10 + distance degrees north.
Bytes G(float distance, float time, std::int16_t check = 1111) {
    Bytes b(59, 0xAB);
    b[0] = 'G';
    Put(b, 3, check), Put(b, 11, 10.0 + distance), Put(b, 19, -90.0 - distance);
    Put(b, 27, 5 + distance), Put(b, 43, distance), Put(b, 55, time); // level 5 ft higher
    return b;
}
// An 'I' entry (lead-in, 24-byte body).
Bytes I(float temperature, float count = 0, std::int16_t check = 2222) {
    Bytes b(27, 0);
    b[0] = 'I';
    Put(b, 3, check), Put(b, 7, temperature), Put(b, 11, count);
    return b;
}
Bytes Join(std::initializer_list<Bytes> parts, std::size_t cut = 0) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    out.resize(out.size() - cut);
    return out;
}

TEST(GpsFile, EntriesOnFourByteStepsUntilABadCheckOrTheEnd) {
    const Bytes x1 = {'x'}, x2 = {'x', 'x'}, x4(4, 'x'), x8(8, 'x'), g = {'G'};
    // Distances and speeds (mph) of the track points, the temperatures.
    // clang-format off
    const std::tuple<const char*, Bytes, Floats, Floats, Floats> cases[] = {
        {"a temperature between keeps the pairing", Join({G(0, 0), I(70), G(100, 10), G(300, 20),
         G(250, 30)}), {0, 100, 300, 250}, {0, 10 * kMph, 20 * kMph, -5 * kMph}, {70}},
        {"equal times", Join({G(0, 5), G(40, 5), G(80, 6)}), {0, 40, 80}, {0, 0, 40 * kMph}, {}},
        {"bad track check", Join({G(1, 0), I(60), G(2, 1, 1112), G(3, 2), I(61)}), {1}, {0}, {60}},
        {"bad temperature check", Join({I(60), I(61, 0, 2223), G(1, 0)}), {}, {}, {60}},
        {"junk on steps", Join({x8, G(1, 0), x4, G(2, 1), x8, x4, I(50)}), {1, 2}, {0, kMph}, {50}},
        {"a tag off the step", Join({G(1, 0), x2, G(2, 1)}), {1}, {0}, {}},
        {"a body cut short", Join({G(1, 0), G(2, 1)}, 10), {1}, {0}, {}},
        {"a temperature cut short", Join({I(50), I(51)}, 1), {}, {}, {50}},
        {"a lone tag at the end", Join({I(50), g, x1}), {}, {}, {50}},
        {"one byte", g, {}, {}, {}}, {"empty", {}, {}, {}, {}}};
    // clang-format on
    TempDir dir;
    CNMEA gps;
    gps.gpsPath = dir.File("TEST.GPS");
    const auto read = [&](const Bytes& b) {
        std::ofstream(gps.gpsPath).write(reinterpret_cast<const char*>(b.data()), b.size());
        return gps.ReadGpsFile();
    };
    for (const auto& [name, bytes, distances, speeds, temperatures] : cases) {
        SCOPED_TRACE(name);
        ASSERT_EQ(read(bytes), 0);
        ASSERT_EQ(gps.trackCount, static_cast<int>(distances.size()));
        ASSERT_EQ(gps.temperatureCount, static_cast<int>(temperatures.size()));
        for (std::size_t i = 0; i < distances.size(); ++i) {
            const TrackPoint& p = gps.track[i];
            EXPECT_EQ(std::tuple(p.distance, p.latitude, p.longitude, p.level),
                      std::tuple(distances[i], 10.0 + distances[i], -90.0 - distances[i],
                                 5 + distances[i]));
            EXPECT_FLOAT_EQ(p.speed, speeds[i]) << i;
        }
        for (std::size_t i = 0; i < temperatures.size(); ++i)
            EXPECT_EQ(gps.temperatures[i].temperature, temperatures[i]) << i;
    }
    // A temperature's distance is its count / 21.235; a missing file leaves no point behind.
    ASSERT_EQ(read(I(88.5f, 2123.5f)), 0);
    EXPECT_EQ(gps.temperatures[0].distance, float(2123.5f / 21.235));
    gps.gpsPath = dir.File("MISSING.GPS");
    EXPECT_EQ(gps.ReadGpsFile(), -1);
    EXPECT_EQ(gps.trackCount + gps.temperatureCount, 0);
}

TEST(GpsRanges, NeedFivePointsOfEachAndVisitEverySeventh) {
    // Track point i: level 100 + i, speed 30 + i, at 10 + 10 i; temperature j: 60 + j at 5 j.
    const Floats untouched(8, -7.0f);
    // clang-format off
    const std::tuple<int, int, int, Floats> cases[] = {
        {4, 5, -1, untouched}, {5, 4, -1, untouched},
        {5, 5, 0, {100, 100, 30, 30, 60, 60, 0, 50}},  {6, 6, 0, {100, 100, 30, 30, 60, 60, 0, 60}},
        {8, 9, 0, {100, 107, 30, 37, 60, 67, 0, 80}},
        {15, 7, 0, {100, 114, 30, 44, 60, 60, 0, 150}},
        {9, 9, 0, {50, 100, 20, 30, 10, 60, 10, 40}}};
    // clang-format on
    for (const auto& [tracks, temperatures, result, ranges] : cases) {
        CNMEA gps;
        gps.trackCount = tracks, gps.temperatureCount = temperatures;
        for (int i = 0; i < tracks; ++i)
            gps.track[i] = {0.0, 0.0, 100.0f + i, 30.0f + i, 10.0f + 10 * i};
        for (int j = 0; j < temperatures; ++j)
            gps.temperatures[j] = {60.0f + j, 5.0f * j};
        if (tracks == 9) { // lows on visited points, highs off them; the span from both ends
            gps.track[7] = {0.0, 0.0, 50.0f, 20.0f, 80.0f};
            gps.temperatures[7].temperature = 10.0f, gps.track[8].distance = -1.0f;
            gps.temperatures[0].distance = 30.0f;
        }
        gps.levelMin = gps.levelMax = gps.speedMin = gps.speedMax = -7.0f;
        gps.temperatureMin = gps.temperatureMax = gps.distanceStart = gps.distanceEnd = -7.0f;
        EXPECT_EQ(gps.ComputeRanges(), result) << tracks << " / " << temperatures;
        EXPECT_EQ(
            Floats({gps.levelMin, gps.levelMax, gps.speedMin, gps.speedMax, gps.temperatureMin,
                    gps.temperatureMax, gps.distanceStart, gps.distanceEnd}),
            ranges)
            << tracks << " / " << temperatures;
    }
}

TEST(GpsLookup, EndsGiveTheEndPointInsideInterpolates) {
    using Track = std::vector<TrackPoint>;
    // clang-format off
    const Track single = {{30, -97, 100, 10, 1000}}, none = {},
        three = {{30, -97, 100, 10, 1e3f}, {31, -98, 200, 20, 2e3f}, {32, -99, 300, 30, 3e3f}},
        tiny = {{30, -97, 100, 10, 0}, {31, -98, 200, 20, 10}, {32, -99, 300, 30, 10.0005f}};
    // Track, distance, result, latitude, longitude, level, speed.
    const std::tuple<Track, float, int, double, double, float, float> cases[] = {
        {three, 1000, 100, 30, -97, 100, 10},        {three, -5, 100, 30, -97, 100, 10},
        {three, 3000, 100, 32, -99, 300, 30},        {three, 5e3f, 100, 32, -99, 300, 30},
        {three, 2250, 0, 31.25, -98.25, 225, 22.5f}, {three, 2000, 0, 31, -98, 200, 20},
        {single, 1000.5f, 100, 30, -97, 100, 10},    {none, 100, 0, 0, 0, 0, 0},
        {three, kNaN, 0, 0, 0, 0, 0},
        {tiny, 10.0002f, 0, 31, -98, 200, 20}}; // a tiny gap: the lower point
    // clang-format on
    for (const auto& [track, x, result, latitude, longitude, level, speed] : cases) {
        CNMEA gps;
        gps.trackCount = static_cast<int>(track.size());
        std::copy(track.begin(), track.end(), &gps.track[0]);
        gps.latitudeAt = gps.longitudeAt = gps.levelAt = gps.speedAt = 5.0f;
        EXPECT_EQ(gps.LookupByDistance(x), result) << track.size() << " points, " << x;
        EXPECT_NEAR(gps.latitudeAt, latitude, 1e-12) << x;
        EXPECT_NEAR(gps.longitudeAt, longitude, 1e-12) << x;
        EXPECT_EQ(std::tuple(gps.levelAt, gps.speedAt), std::tuple(level, speed)) << x;
        EXPECT_TRUE(gps.distanceAt == x || std::isnan(x));
    }
}

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

TEST_F(Stationing, PointsDistancesStationsAndCycles) {
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
        SetGroups(start, groups);
        EXPECT_EQ(std::pair(doc.DistanceAtPoint(point), doc.StationText(point)),
                  std::pair(distance, std::string(text)))
            << start << " point " << point;
    }
    // Whole miles split off, rounded only when formatted; huge distances still give a text.
    // clang-format off
    const std::pair<float, const char*> texts[] = {
        {5279.96f, "5280.0"}, {5280, "1+0.0"}, {5300.5f, "1+20.5"}, {10559.96f, "1+5280.0"},
        {10560, "2+0.0"}, {-10, "-10.0"}, {1e20f, "100000002004087734272.0"},
        {kBig, "340282346638528859811704183484516925440.0"},
        {-kBig, "-340282346638528859811704183484516925440.0"}};
    // clang-format on
    for (const auto& [distance, text] : texts) {
        SetGroups(distance, {distance, distance});
        EXPECT_EQ(std::pair(doc.DistanceAtPoint(0), doc.StationText(0)),
                  std::pair(distance, std::string(text)));
    }
    // Back from a distance to a point, and to the upper cycle of a pair.
    const Floats five = {0, 100, 200, 300, 400}, three = {10, 20, 30}, pair = {10, 20},
                 single = {10}, stand = {50, 50, 100, 150}, stand3 = {0, 10, 30, 30, 30, 40},
                 inf = {0, 100, kInf, kInf};
    const std::tuple<Floats, float, int> points[] = {
        {five, 0, 0},      {five, 50, 125},  {five, 99.9f, 249},  {five, 100, 250},
        {five, 250, 625},  {five, 300, 750}, {five, 300.01f, -1}, {five, -0.01f, -1},
        {five, kNaN, -1},  {three, 10, 0},   {three, 15, 125},    {three, 20, 250},
        {pair, 10, -1},    {none, 0, -1},    {stand, 50, 0},      {stand, 75, 375},
        {stand3, 30, 500}, {inf, kInf, 250}, {inf, 1e30f, 250}};
    for (const auto& [groups, distance, point] : points) {
        SetGroups(-100, groups);
        EXPECT_EQ(doc.PointAtDistance(distance), point) << groups.size() << " " << distance;
    }
    const std::tuple<Floats, float, int> cycles[] = {
        {three, 10, 1}, {three, 20, 1},    {three, 25, 2}, {three, 30, 2},   {three, 30.5f, -1},
        {three, 9, -1}, {three, kNaN, -1}, {pair, 15, 1},  {single, 10, -1}, {none, 0, -1}};
    for (const auto& [distances, distance, cycle] : cycles) {
        std::copy(distances.begin(), distances.end(), doc.cycleDistance.begin());
        doc.cycleCount = static_cast<int>(distances.size());
        EXPECT_EQ(doc.CycleAtDistance(distance), cycle) << distances.size() << " " << distance;
    }
}

// Every sub-range and key: the largest index whose value is at most the key, or lo - 1.
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
        EXPECT_EQ(std::tuple(table.stride, table.entryCount, table.entries[0], table.entries[1],
                             table.entries[999]),
                  std::tuple(stride, 1000, 7.0f, 3.0f * stride + 7, 2997.0f * stride + 7))
            << n;
        EXPECT_EQ(table.Decimate(n % 2 ? nullptr : source.data(), n % 2 ? n : 0), -1);
        EXPECT_EQ(table.entryCount, 0);
    }
}

} // namespace
