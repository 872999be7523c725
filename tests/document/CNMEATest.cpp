#include "document/CNMEA.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

template <typename T> void Put(Bytes& bytes, std::size_t at, T value) {
    std::memcpy(&bytes[at], &value, sizeof value);
}

struct Track {
    double latitude = 0.0;
    double longitude = 0.0;
    float level = 0.0f;
    float distance = 0.0f;
    float time = 0.0f;
    std::int16_t check = 1111;
};

// A 'G' entry: 3-byte lead-in (only the tag is read) and the 56-byte body.
Bytes TrackEntry(const Track& t) {
    Bytes bytes(3 + 56, 0);
    bytes[0] = 'G';
    bytes[1] = 0xAA;
    bytes[2] = 0xBB;
    Put(bytes, 3 + 0, t.check);
    Put(bytes, 3 + 8, t.latitude);
    Put(bytes, 3 + 16, t.longitude);
    Put(bytes, 3 + 24, t.level);
    Put(bytes, 3 + 40, t.distance);
    Put(bytes, 3 + 52, t.time);
    return bytes;
}

// An 'I' entry: lead-in and the 24-byte body.
Bytes TemperatureEntry(float temperature, float count, std::int16_t check = 2222) {
    Bytes bytes(3 + 24, 0);
    bytes[0] = 'I';
    Put(bytes, 3 + 0, check);
    Put(bytes, 3 + 4, temperature);
    Put(bytes, 3 + 8, count);
    return bytes;
}

Bytes Filler(std::size_t size) {
    return Bytes(size, 'x');
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

class GpsFileTest : public ::testing::Test {
protected:
    // Writes the bytes as the ".GPS" file and reads it.
    int Read(const Bytes& bytes) {
        gps.gpsPath = dir.File("TEST.GPS");
        std::FILE* f = std::fopen(gps.gpsPath.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return gps.ReadGpsFile();
    }

    TempDir dir;
    CNMEA gps;
};

TEST_F(GpsFileTest, TrackAndTemperatureFieldsAreTakenAsStored) {
    Track t{30.25, -97.75, 512.5f, 1234.5f, 10.0f};
    ASSERT_EQ(Read(Join({TrackEntry(t), TemperatureEntry(88.5f, 2123.5f)})), 0);
    ASSERT_EQ(gps.trackCount, 1);
    ASSERT_EQ(gps.temperatureCount, 1);
    EXPECT_EQ(gps.track[0].latitude, 30.25);
    EXPECT_EQ(gps.track[0].longitude, -97.75);
    EXPECT_EQ(gps.track[0].level, 512.5f);
    EXPECT_EQ(gps.track[0].distance, 1234.5f);
    EXPECT_EQ(gps.track[0].speed, 0.0f);
    EXPECT_EQ(gps.temperatures[0].temperature, 88.5f);
    EXPECT_FLOAT_EQ(gps.temperatures[0].distance, 2123.5f / 21.235f);
    // The last bodies read are kept.
    EXPECT_EQ(gps.trackBody[0] | gps.trackBody[1] << 8, 1111);
    EXPECT_EQ(gps.temperatureBody[0] | gps.temperatureBody[1] << 8, 2222);
}

TEST_F(GpsFileTest, SpeedIsFeetPerSecondOfConsecutiveTrackRecordsInMph) {
    Bytes bytes = Join({TrackEntry({.distance = 0.0f, .time = 0.0f}),
                        TemperatureEntry(70.0f, 0.0f), // does not break the pairing
                        TrackEntry({.distance = 100.0f, .time = 10.0f}),
                        TrackEntry({.distance = 300.0f, .time = 20.0f}),
                        TrackEntry({.distance = 250.0f, .time = 30.0f})});
    ASSERT_EQ(Read(bytes), 0);
    ASSERT_EQ(gps.trackCount, 4);
    EXPECT_EQ(gps.track[0].speed, 0.0f);
    EXPECT_FLOAT_EQ(gps.track[1].speed, 10.0f * 0.6818182f);
    EXPECT_FLOAT_EQ(gps.track[2].speed, 20.0f * 0.6818182f);
    EXPECT_FLOAT_EQ(gps.track[3].speed, -5.0f * 0.6818182f);
}

TEST_F(GpsFileTest, EqualTimeStampsGiveZeroSpeedInsteadOfDividingByZero) {
    ASSERT_EQ(Read(Join({TrackEntry({.distance = 0.0f, .time = 5.0f}),
                         TrackEntry({.distance = 40.0f, .time = 5.0f}),
                         TrackEntry({.distance = 80.0f, .time = 6.0f})})),
              0);
    ASSERT_EQ(gps.trackCount, 3);
    EXPECT_EQ(gps.track[1].speed, 0.0f);
    EXPECT_TRUE(std::isfinite(gps.track[1].speed));
    EXPECT_FLOAT_EQ(gps.track[2].speed, 40.0f * 0.6818182f);
}

TEST_F(GpsFileTest, WrongCheckValueEndsReadingAndKeepsEarlierPoints) {
    Bytes bytes = Join({TrackEntry({.distance = 1.0f}), TemperatureEntry(60.0f, 10.0f),
                        TrackEntry({.distance = 2.0f, .check = 1112}),
                        TrackEntry({.distance = 3.0f}), TemperatureEntry(61.0f, 20.0f)});
    ASSERT_EQ(Read(bytes), 0);
    EXPECT_EQ(gps.trackCount, 1);
    EXPECT_EQ(gps.temperatureCount, 1);

    ASSERT_EQ(Read(Join({TemperatureEntry(60.0f, 10.0f), TemperatureEntry(61.0f, 20.0f, 2223),
                         TrackEntry({})})),
              0);
    EXPECT_EQ(gps.temperatureCount, 1);
    EXPECT_EQ(gps.trackCount, 0);
}

TEST_F(GpsFileTest, EntriesAreFoundOnlyOnFourByteStepsFromThePreviousEntry) {
    // Junk in multiples of four bytes is passed over.
    ASSERT_EQ(
        Read(Join({Filler(8), TrackEntry({.distance = 1.0f}), Filler(4),
                   TrackEntry({.distance = 2.0f}), Filler(12), TemperatureEntry(50.0f, 0.0f)})),
        0);
    EXPECT_EQ(gps.trackCount, 2);
    EXPECT_EQ(gps.temperatureCount, 1);

    // Two bytes of junk put the next tag off the step: it is not seen.
    ASSERT_EQ(
        Read(Join({TrackEntry({.distance = 1.0f}), Filler(2), TrackEntry({.distance = 2.0f})})), 0);
    EXPECT_EQ(gps.trackCount, 1);
    ASSERT_EQ(Read(Join({Filler(1), TrackEntry({.distance = 1.0f})})), 0);
    EXPECT_EQ(gps.trackCount, 0);
}

TEST_F(GpsFileTest, RecordCutShortByEndOfFileIsNotStored) {
    Bytes whole = Join({TrackEntry({.distance = 1.0f}), TrackEntry({.distance = 2.0f})});
    // The cut body still carries a valid check value.
    Bytes cut(whole.begin(), whole.end() - 10);
    ASSERT_EQ(Read(cut), 0);
    EXPECT_EQ(gps.trackCount, 1);
    EXPECT_EQ(gps.track[0].distance, 1.0f);

    Bytes temperatures = Join({TemperatureEntry(50.0f, 0.0f), TemperatureEntry(51.0f, 1.0f)});
    temperatures.pop_back();
    ASSERT_EQ(Read(temperatures), 0);
    EXPECT_EQ(gps.temperatureCount, 1);

    // A lone tag at the very end.
    ASSERT_EQ(Read(Join({TemperatureEntry(50.0f, 0.0f), Bytes{'G', 0}})), 0);
    EXPECT_EQ(gps.temperatureCount, 1);
    EXPECT_EQ(gps.trackCount, 0);
}

TEST_F(GpsFileTest, MissingOrEmptyFileLeavesNoPointsFromAnEarlierRead) {
    ASSERT_EQ(Read(Join({TrackEntry({}), TemperatureEntry(1.0f, 1.0f)})), 0);
    ASSERT_EQ(gps.trackCount, 1);

    gps.gpsPath = dir.File("MISSING.GPS");
    EXPECT_EQ(gps.ReadGpsFile(), -1);
    EXPECT_EQ(gps.trackCount, 0);
    EXPECT_EQ(gps.temperatureCount, 0);

    EXPECT_EQ(Read({}), 0);
    EXPECT_EQ(gps.trackCount, 0);
    EXPECT_EQ(Read({'G'}), 0);
    EXPECT_EQ(gps.trackCount, 0);
}

TEST_F(GpsFileTest, PointsBeyondCapacityAreNotStoredButReadingGoesOn) {
    Bytes bytes;
    const int tracks = CNMEA::kTrackCapacity + 5;
    for (int i = 0; i < tracks; ++i) {
        Bytes e = TrackEntry({.distance = static_cast<float>(i), .time = static_cast<float>(i)});
        bytes.insert(bytes.end(), e.begin(), e.end());
    }
    for (int i = 0; i < CNMEA::kTemperatureCapacity + 3; ++i) {
        Bytes e = TemperatureEntry(static_cast<float>(i), 0.0f);
        bytes.insert(bytes.end(), e.begin(), e.end());
    }
    ASSERT_EQ(Read(bytes), 0);
    EXPECT_EQ(gps.trackCount, CNMEA::kTrackCapacity);
    EXPECT_EQ(gps.temperatureCount, CNMEA::kTemperatureCapacity);
    EXPECT_EQ(gps.track[CNMEA::kTrackCapacity - 1].distance, CNMEA::kTrackCapacity - 1.0f);
    EXPECT_EQ(gps.temperatures[CNMEA::kTemperatureCapacity - 1].temperature,
              CNMEA::kTemperatureCapacity - 1.0f);
}

TEST_F(GpsFileTest, NonFiniteValuesAreStoredAsTheyAre) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    ASSERT_EQ(
        Read(Join({TrackEntry({.level = nan, .distance = 0.0f, .time = nan}),
                   TrackEntry({.distance = inf, .time = inf}),
                   TrackEntry({.distance = 1.0f, .time = 1.0f}), TemperatureEntry(nan, inf)})),
        0);
    ASSERT_EQ(gps.trackCount, 3);
    EXPECT_TRUE(std::isnan(gps.track[0].level));
    EXPECT_EQ(gps.track[1].distance, inf);
    EXPECT_TRUE(std::isnan(gps.track[1].speed));
    EXPECT_TRUE(std::isnan(gps.temperatures[0].temperature));
    EXPECT_EQ(gps.temperatures[0].distance, inf);
}

// Ranges and look-ups work on points set directly.
class GpsTrackTest : public ::testing::Test {
protected:
    void SetTrack(std::initializer_list<TrackPoint> points) {
        gps.trackCount = 0;
        for (const TrackPoint& p : points)
            gps.track[gps.trackCount++] = p;
    }
    void SetTemperatures(int count, float first = 60.0f) {
        gps.temperatureCount = count;
        for (int i = 0; i < count; ++i)
            gps.temperatures[i] = {first + i, 10.0f * i};
    }

    CNMEA gps;
};

TEST_F(GpsTrackTest, RangesNeedFiveTrackAndFiveTemperaturePoints) {
    SetTrack({{0, 0, 1, 1, 0}, {0, 0, 2, 2, 1}, {0, 0, 3, 3, 2}, {0, 0, 4, 4, 3}});
    SetTemperatures(100);
    gps.levelMin = gps.levelMax = -7.0f;
    gps.distanceStart = gps.distanceEnd = -7.0f;
    EXPECT_EQ(gps.ComputeRanges(), -1);
    EXPECT_EQ(gps.levelMin, -7.0f);
    EXPECT_EQ(gps.distanceEnd, -7.0f);

    SetTrack({{0, 0, 1, 1, 0}, {0, 0, 2, 2, 1}, {0, 0, 3, 3, 2}, {0, 0, 4, 4, 3}, {0, 0, 5, 5, 4}});
    SetTemperatures(4);
    EXPECT_EQ(gps.ComputeRanges(), -1);
    EXPECT_EQ(gps.levelMax, -7.0f);
}

TEST_F(GpsTrackTest, RangesVisitEverySeventhPoint) {
    gps.trackCount = 15;
    for (int i = 0; i < 15; ++i)
        gps.track[i] = {0.0, 0.0, 100.0f, 30.0f, 5.0f + i};
    gps.track[3].level = 1000.0f; // not visited
    gps.track[7].level = 150.0f;
    gps.track[14].level = 90.0f;
    gps.track[7].speed = 40.0f;
    gps.track[13].speed = 0.0f; // not visited
    SetTemperatures(9, 60.0f);  // visits 0 and 7: 60 and 67; 68 at index 8 is skipped
    gps.temperatures[0].distance = 2.0f;
    gps.temperatures[8].distance = 500.0f;

    gps.ComputeRanges();
    EXPECT_EQ(gps.levelMin, 90.0f);
    EXPECT_EQ(gps.levelMax, 150.0f);
    EXPECT_EQ(gps.speedMin, 30.0f);
    EXPECT_EQ(gps.speedMax, 40.0f);
    EXPECT_EQ(gps.temperatureMin, 60.0f);
    EXPECT_EQ(gps.temperatureMax, 67.0f);
    EXPECT_EQ(gps.distanceStart, 2.0f);
    EXPECT_EQ(gps.distanceEnd, 500.0f);
}

TEST_F(GpsTrackTest, LookupAtOrBeyondTheEndsGivesTheEndPoint) {
    SetTrack({{30.0, -97.0, 100.0f, 10.0f, 1000.0f},
              {31.0, -98.0, 200.0f, 20.0f, 2000.0f},
              {32.0, -99.0, 300.0f, 30.0f, 3000.0f}});
    EXPECT_EQ(gps.LookupByDistance(1000.0f), 100);
    EXPECT_EQ(gps.latitudeAt, 30.0);
    EXPECT_EQ(gps.speedAt, 10.0f);
    EXPECT_EQ(gps.LookupByDistance(3000.0f), 100);
    EXPECT_EQ(gps.longitudeAt, -99.0);
    EXPECT_EQ(gps.levelAt, 300.0f);
    EXPECT_EQ(gps.LookupByDistance(5000.0f), 100);
    EXPECT_EQ(gps.latitudeAt, 32.0);
    EXPECT_EQ(gps.distanceAt, 5000.0f);
    EXPECT_EQ(gps.LookupByDistance(-5.0f), 100);
    EXPECT_EQ(gps.latitudeAt, 30.0);
}

TEST_F(GpsTrackTest, LookupInsideInterpolatesBetweenNeighbours) {
    SetTrack({{30.0, -97.0, 100.0f, 10.0f, 1000.0f},
              {31.0, -98.0, 200.0f, 20.0f, 2000.0f},
              {32.0, -99.0, 300.0f, 30.0f, 3000.0f}});
    EXPECT_EQ(gps.LookupByDistance(2250.0f), 0);
    EXPECT_DOUBLE_EQ(gps.latitudeAt, 31.25);
    EXPECT_DOUBLE_EQ(gps.longitudeAt, -98.25);
    EXPECT_FLOAT_EQ(gps.levelAt, 225.0f);
    EXPECT_FLOAT_EQ(gps.speedAt, 22.5f);
    EXPECT_EQ(gps.distanceAt, 2250.0f);
    EXPECT_EQ(gps.LookupByDistance(2000.0f), 0);
    EXPECT_DOUBLE_EQ(gps.latitudeAt, 31.0);
}

TEST_F(GpsTrackTest, LookupInATinyGapCopiesTheLowerPoint) {
    SetTrack({{30.0, -97.0, 100.0f, 10.0f, 0.0f},
              {31.0, -98.0, 200.0f, 20.0f, 10.0f},
              {32.0, -99.0, 300.0f, 30.0f, 10.0005f},
              {33.0, -99.0, 300.0f, 30.0f, 20.0f}});
    EXPECT_EQ(gps.LookupByDistance(10.0002f), 0);
    EXPECT_EQ(gps.latitudeAt, 31.0);
    EXPECT_EQ(gps.levelAt, 200.0f);
}

TEST_F(GpsTrackTest, LookupWithoutTrackOrMatchGivesZeros) {
    gps.latitudeAt = gps.longitudeAt = 5.0;
    gps.levelAt = gps.speedAt = 5.0f;
    EXPECT_EQ(gps.LookupByDistance(100.0f), 0);
    EXPECT_EQ(gps.latitudeAt, 0.0);
    EXPECT_EQ(gps.longitudeAt, 0.0);
    EXPECT_EQ(gps.levelAt, 0.0f);
    EXPECT_EQ(gps.speedAt, 0.0f);
    EXPECT_EQ(gps.distanceAt, 100.0f);

    // A NaN distance matches no pair of points.
    SetTrack({{30.0, -97.0, 1.0f, 1.0f, 0.0f}, {31.0, -98.0, 2.0f, 2.0f, 50.0f}});
    EXPECT_EQ(gps.LookupByDistance(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(gps.latitudeAt, 0.0);
}

} // namespace
