// The GPS track: its tagged records, the ranges of the charts and the look-up under the cursor.
#include "document/CNMEA.h"
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

template <typename T> void Put(Bytes& b, std::size_t at, T value) {
    std::memcpy(&b[at], &value, sizeof value);
}
// A 'G' entry (3-byte lead-in, 56-byte body) at 10 + distance degrees north.
Bytes G(float distance, float time, std::int16_t check = 1111, float level = 0) {
    Bytes b(59, 0xAB);
    b[0] = 'G';
    Put(b, 3, check), Put(b, 11, 10.0 + distance), Put(b, 19, -90.0 - distance);
    Put(b, 27, level), Put(b, 43, distance), Put(b, 55, time);
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
    const Bytes x1 = {'x'}, x2 = {'x', 'x'}, x4(4, 'x'), x8(8, 'x'), g = {'G'}, none = {};
    const Floats nothing = {};
    // Distances, speeds (mph) and temperatures read.
    const std::tuple<const char*, Bytes, Floats, Floats, Floats> cases[] = {
        {"speeds; a temperature between keeps the pairing",
         Join({G(0, 0), I(70), G(100, 10), G(300, 20), G(250, 30)}), Floats{0, 100, 300, 250},
         Floats{0, 10 * kMph, 20 * kMph, -5 * kMph}, Floats{70}},
        {"equal time stamps give no speed", Join({G(0, 5), G(40, 5), G(80, 6)}), Floats{0, 40, 80},
         Floats{0, 0, 40 * kMph}, nothing},
        {"a wrong track check ends the reading",
         Join({G(1, 0), I(60), G(2, 1, 1112), G(3, 2), I(61)}), Floats{1}, Floats{0}, Floats{60}},
        {"a wrong temperature check too", Join({I(60), I(61, 0, 2223), G(1, 0)}), nothing, nothing,
         Floats{60}},
        {"junk passed over four bytes at a time", Join({x8, G(1, 0), x4, G(2, 1), x8, x4, I(50)}),
         Floats{1, 2}, Floats{0, kMph}, Floats{50}},
        {"a tag off the step is not seen", Join({G(1, 0), x2, G(2, 1)}), Floats{1}, Floats{0},
         nothing},
        {"nor at the start", Join({x1, G(1, 0)}), nothing, nothing, nothing},
        {"a body cut short", Join({G(1, 0), G(2, 1)}, 10), Floats{1}, Floats{0}, nothing},
        {"a temperature cut short", Join({I(50), I(51)}, 1), nothing, nothing, Floats{50}},
        {"a lone tag at the end", Join({I(50), g, x1}), nothing, nothing, Floats{50}},
        {"one byte", g, nothing, nothing, nothing},
        {"empty", none, nothing, nothing, nothing}};
    for (const auto& [name, bytes, distances, speeds, temperatures] : cases) {
        SCOPED_TRACE(name);
        CNMEA gps;
        gps.trackCount = gps.temperatureCount = 9;
        gps.ParseGpsBytes(bytes.data(), bytes.size());
        ASSERT_EQ(gps.trackCount, static_cast<int>(distances.size()));
        ASSERT_EQ(gps.temperatureCount, static_cast<int>(temperatures.size()));
        for (std::size_t i = 0; i < distances.size(); ++i) {
            EXPECT_EQ(gps.track[i].distance, distances[i]) << i;
            EXPECT_EQ(gps.track[i].latitude, 10.0 + distances[i]) << i;
            EXPECT_EQ(gps.track[i].longitude, -90.0 - distances[i]) << i;
            EXPECT_FLOAT_EQ(gps.track[i].speed, speeds[i]) << i;
        }
        for (std::size_t i = 0; i < temperatures.size(); ++i)
            EXPECT_EQ(gps.temperatures[i].temperature, temperatures[i]) << i;
    }
}

TEST(GpsFile, ReadsTheWholeFileStoringUpToCapacityAndNothingOfAMissingOne) {
    const int tracks = CNMEA::kTrackCapacity, temperatures = CNMEA::kTemperatureCapacity;
    Bytes bytes = Join({G(0, 0, 1111, 512.5f), I(88.5f, 2123.5f)});
    for (int i = 1; i < tracks + temperatures + 4; ++i) { // 2 each past the capacities
        const int t = i - tracks - 2;
        const Bytes e = t < 0 ? G(static_cast<float>(i), static_cast<float>(i)) : I(t + 1.0f);
        bytes.insert(bytes.end(), e.begin(), e.end());
    }
    TempDir dir;
    CNMEA gps;
    gps.gpsPath = dir.File("TEST.GPS");
    std::ofstream(gps.gpsPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_EQ(gps.ReadGpsFile(), 0);
    EXPECT_EQ(gps.trackCount, tracks);
    EXPECT_EQ(gps.temperatureCount, temperatures);
    EXPECT_EQ(gps.track[0].level, 512.5f);
    EXPECT_EQ(gps.temperatures[0].distance, static_cast<float>(2123.5f / 21.235));
    EXPECT_EQ(gps.track[tracks - 1].distance, tracks - 1);
    EXPECT_EQ(gps.temperatures[temperatures - 1].temperature, temperatures - 1);
    // The bodies of the last entries read are kept; reading stops once both are full.
    const Bytes lastG = G(tracks + 1.0f, tracks + 1.0f), lastI = I(temperatures - 1.0f);
    EXPECT_EQ(Bytes(gps.trackBody, gps.trackBody + 56), Bytes(lastG.begin() + 3, lastG.end()));
    EXPECT_EQ(Bytes(gps.temperatureBody, gps.temperatureBody + 24),
              Bytes(lastI.begin() + 3, lastI.end()));
    gps.gpsPath = dir.File("MISSING.GPS");
    EXPECT_EQ(gps.ReadGpsFile(), -1);
    EXPECT_EQ(gps.trackCount + gps.temperatureCount, 0);
}

Floats Ranges(const CNMEA& g) {
    return {g.levelMin,       g.levelMax,       g.speedMin,      g.speedMax,
            g.temperatureMin, g.temperatureMax, g.distanceStart, g.distanceEnd};
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
        {14, 20, 0, {100, 107, 30, 37, 60, 74, 0, 140}},
        {9, 9, 0, {50, 100, 20, 30, 10, 60, 10, 40}}};
    // clang-format on
    for (const auto& [tracks, temperatures, result, ranges] : cases) {
        SCOPED_TRACE(std::to_string(tracks) + " / " + std::to_string(temperatures));
        CNMEA gps;
        gps.trackCount = tracks;
        gps.temperatureCount = temperatures;
        for (int i = 0; i < tracks; ++i)
            gps.track[i] = {0.0, 0.0, 100.0f + i, 30.0f + i, 10.0f + 10 * i};
        for (int j = 0; j < temperatures; ++j)
            gps.temperatures[j] = {60.0f + j, 5.0f * j};
        if (tracks == 9) { // lows on visited points, highs off them; the span from both ends
            gps.track[7] = {0.0, 0.0, 50.0f, 20.0f, 80.0f};
            gps.temperatures[7].temperature = 10.0f;
            gps.track[8].distance = -1.0f;
            gps.temperatures[0].distance = 30.0f;
        }
        gps.levelMin = gps.levelMax = gps.speedMin = gps.speedMax = -7.0f;
        gps.temperatureMin = gps.temperatureMax = gps.distanceStart = gps.distanceEnd = -7.0f;
        EXPECT_EQ(gps.ComputeRanges(), result);
        EXPECT_EQ(Ranges(gps), ranges);
    }
}

TEST(GpsLookup, EndsGiveTheEndPointInsideInterpolates) {
    using Track = std::vector<TrackPoint>;
    // clang-format off
    const Track three = {{30, -97, 100, 10, 1e3f}, {31, -98, 200, 20, 2e3f},
                         {32, -99, 300, 30, 3e3f}};
    const Track single = {{30, -97, 100, 10, 1000}}, none = {};
    const Track tiny = {{30, -97, 100, 10, 0},
                        {31, -98, 200, 20, 10}, {32, -99, 300, 30, 10.0005f}};
    const Track back = {{30, -97, 100, 10, 0}, {31, -98, 200, 20, 50}, {32, -99, 300, 30, 40},
                        {33, -99, 300, 30, 100}};
    // clang-format on
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Track, distance, result, latitude, longitude, level, speed.
    // clang-format off
    const std::tuple<Track, float, int, double, double, float, float> cases[] = {
        {three, 1000, 100, 30, -97, 100, 10},        {three, -5, 100, 30, -97, 100, 10},
        {three, 3000, 100, 32, -99, 300, 30},        {three, 5e3f, 100, 32, -99, 300, 30},
        {three, 2250, 0, 31.25, -98.25, 225, 22.5f}, {three, 2000, 0, 31, -98, 200, 20},
        {single, 1000.5f, 100, 30, -97, 100, 10},    {none, 100, 0, 0, 0, 0, 0},
        {three, nan, 0, 0, 0, 0, 0},
        {tiny, 10.0002f, 0, 31, -98, 200, 20}, // a tiny gap: the lower point
        {back, 45, 0, 30.9, -97.9, 190, 19}};  // going back: the first pair that holds it
    // clang-format on
    for (const auto& [track, x, result, latitude, longitude, level, speed] : cases) {
        SCOPED_TRACE(std::to_string(track.size()) + " points, " + std::to_string(x));
        CNMEA gps;
        gps.trackCount = static_cast<int>(track.size());
        std::copy(track.begin(), track.end(), &gps.track[0]);
        gps.latitudeAt = gps.longitudeAt = gps.levelAt = gps.speedAt = 5.0f;
        EXPECT_EQ(gps.LookupByDistance(x), result);
        EXPECT_DOUBLE_EQ(gps.latitudeAt, latitude);
        EXPECT_DOUBLE_EQ(gps.longitudeAt, longitude);
        EXPECT_FLOAT_EQ(gps.levelAt, level);
        EXPECT_FLOAT_EQ(gps.speedAt, speed);
        EXPECT_TRUE(gps.distanceAt == x || std::isnan(x));
    }
}

} // namespace
