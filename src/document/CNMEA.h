#pragma once

#include "document/FixedArray.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct TrackPoint {
    double latitude;
    double longitude;
    float level;
    float speed; // miles per hour, computed from consecutive records
    float distance;
};

struct TemperaturePoint {
    float temperature; // degrees Fahrenheit
    float distance;    // feet
};

// The GPS track and pavement temperatures of a test, read from the ".GPS" companion file.
class CNMEA {
public:
    static constexpr int kTrackCapacity = 18'000;
    static constexpr int kTemperatureCapacity = 8'000;
    static constexpr int kTrackBodySize = 56;
    static constexpr int kTemperatureBodySize = 24;

    virtual ~CNMEA() = default;

    // Reads gpsPath into track and temperatures. Returns 0, or -1 when the file cannot be
    // opened (counts are then 0).
    int ReadGpsFile();
    // Reads the entries of a whole GPS file held in memory, as ReadGpsFile does after
    // opening the file.
    void ParseGpsBytes(const std::uint8_t* bytes, std::size_t size);
    // Ranges of temperature, level and speed and the distance span; -1 and nothing changed
    // with fewer than 5 track or 5 temperature points.
    int ComputeRanges();
    // Fills latitudeAt .. distanceAt for distance x; 100 at or beyond an end of the track.
    int LookupByDistance(float x);

    std::int32_t trackCount = 0;
    std::int32_t temperatureCount = 0;
    FixedArray<TrackPoint, kTrackCapacity> track;
    FixedArray<TemperaturePoint, kTemperatureCapacity> temperatures;
    std::string gpsPath;
    // Why the last read stopped before the end of the file ("read up to byte 3400 of 3500: a
    // damaged track record"); empty when it read the whole file. What was read is kept.
    std::string readNote;
    std::uint8_t trackBody[kTrackBodySize] = {};
    std::uint8_t temperatureBody[kTemperatureBodySize] = {};
    double latitudeAt = 0.0;
    double longitudeAt = 0.0;
    float levelAt = 0.0f;
    float speedAt = 0.0f;
    float distanceAt = 0.0f;
    float temperatureMin = 0.0f, temperatureMax = 0.0f;
    float levelMin = 0.0f, levelMax = 0.0f;
    float speedMin = 0.0f, speedMax = 0.0f;
    float distanceStart = 0.0f, distanceEnd = 0.0f;
};
