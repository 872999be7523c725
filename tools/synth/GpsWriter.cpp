#include "synth/GpsWriter.h"

#include "synth/SplitMix64.h"

#include "document/AtomicFileWriter.h"
#include "document/ByteOrder.h"

#include <algorithm>

namespace synth {

namespace {
constexpr std::uint64_t kTemperatureKey = 0x54454D50ull;
constexpr std::int16_t kTrackCheck = 1111, kTemperatureCheck = 2222;
} // namespace

std::vector<std::uint8_t> GpsTrackEntry(double latitude, double longitude, float level,
                                        float distanceFt, float timeStamp) {
    std::vector<std::uint8_t> entry(3 + 56, 0);
    entry[0] = 'G';
    std::uint8_t* body = &entry[3];
    byteorder::StoreLE<std::int16_t>(body, kTrackCheck);
    byteorder::StoreLE<double>(body + 8, latitude);
    byteorder::StoreLE<double>(body + 16, longitude);
    byteorder::StoreLE<float>(body + 24, level);
    byteorder::StoreLE<float>(body + 40, distanceFt);
    byteorder::StoreLE<float>(body + 52, timeStamp);
    return entry;
}

std::vector<std::uint8_t> GpsTemperatureEntry(float temperatureF, float distanceFt) {
    std::vector<std::uint8_t> entry(3 + 24, 0);
    entry[0] = 'I';
    std::uint8_t* body = &entry[3];
    byteorder::StoreLE<std::int16_t>(body, kTemperatureCheck);
    byteorder::StoreLE<float>(body + 4, temperatureF);
    byteorder::StoreLE<float>(body + 8, static_cast<float>(distanceFt * kDistanceCountsPerFt));
    return entry;
}

GpsSchedule PlanGpsEntries(int groups) {
    GpsSchedule s;
    s.groupsPerEntry = std::max(static_cast<int>(kGpsTrackInterval / Trajectory::kGroupSeconds),
                                (groups + kGpsMaxTrack - 2) / (kGpsMaxTrack - 1));
    s.entries = groups / s.groupsPerEntry + 1;
    s.temperatureEvery =
        std::max(kGpsTemperatureEvery, (s.entries + kGpsMaxTemperature - 1) / kGpsMaxTemperature);
    return s;
}

bool WriteGpsFile(const std::string& path, const Scenario& scenario, std::string* error) {
    const Trajectory& trajectory = scenario.trajectory;
    const RoadRoute& route = scenario.route;
    SplitMix64 sensor = SplitMix64::Keyed(scenario.options.seed, kTemperatureKey);
    const GpsSchedule schedule = PlanGpsEntries(trajectory.Groups());
    const int groupsPerEntry = schedule.groupsPerEntry;
    const int entries = schedule.entries;
    const int temperatureEvery = schedule.temperatureEvery;

    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < entries; ++i) {
        const double x = trajectory.GroupDistance(i * groupsPerEntry);
        const double t = i * groupsPerEntry * Trajectory::kGroupSeconds;
        std::vector<std::uint8_t> entry = GpsTrackEntry(
            route.LatitudeAt(x), route.LongitudeAt(x), static_cast<float>(route.LevelAt(x)),
            static_cast<float>(x), static_cast<float>(kGpsStartTime + t));
        bytes.insert(bytes.end(), entry.begin(), entry.end());
        if (i % temperatureEvery == 0) {
            const double temperature =
                route.TemperatureAt(x) + 0.3 * scenario.options.noise * sensor.Noise();
            entry = GpsTemperatureEntry(static_cast<float>(temperature), static_cast<float>(x));
            bytes.insert(bytes.end(), entry.begin(), entry.end());
        }
    }

    AtomicFileWriter out;
    if (!out.Open(path) || !out.Write(bytes.data(), bytes.size()) || !out.Commit()) {
        if (error)
            *error = out.Error();
        return false;
    }
    return true;
}

} // namespace synth
