#pragma once

#include "synth/Scenario.h"

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

// The GPS companion file: a track entry ('G', 3-byte lead-in and 56-byte body) every 0.5 s and
// a pavement-temperature entry ('I', 3 + 24 bytes) after every fourth track entry, back to back
// (sparser on records too long for the reader's capacities).
std::vector<std::uint8_t> GpsTrackEntry(double latitude, double longitude, float level,
                                        float distanceFt, float timeStamp);
std::vector<std::uint8_t> GpsTemperatureEntry(float temperatureF, float distanceFt);

constexpr double kGpsTrackInterval = 0.5;  // seconds
constexpr int kGpsTemperatureEvery = 4;    // track entries per temperature entry
constexpr double kGpsStartTime = 36'000.0; // seconds of the day of the first entry
constexpr double kDistanceCountsPerFt = 21.235;
constexpr int kGpsMaxTrack = 18'000;      // track points the reader stores
constexpr int kGpsMaxTemperature = 8'000; // temperature points the reader stores

// Track entries every groupsPerEntry groups (0.5 s), a temperature entry with every
// temperatureEvery-th one (2 s); sparser when the reader's 18,000 track or 8,000 temperature
// points would not hold the whole record.
struct GpsSchedule {
    int groupsPerEntry = 2;
    int entries = 0;
    int temperatureEvery = 4;
};
GpsSchedule PlanGpsEntries(int groups);

bool WriteGpsFile(const std::string& path, const Scenario& scenario, std::string* error);

} // namespace synth
