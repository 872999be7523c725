#include "document/CNMEA.h"

#include "document/ByteOrder.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr std::int16_t kTrackCheck = 1111;
constexpr std::int16_t kTemperatureCheck = 2222;
constexpr int kLeadInSize = 3;
constexpr int kStep = 4;
constexpr double kFeetPerSecondToMph = 0.6818182;
constexpr double kTemperatureCountsPerFoot = 21.235;
constexpr int kRangeStride = 7;

// Offsets inside the track record body.
constexpr int kLatitudeOffset = 8, kLongitudeOffset = 16, kLevelOffset = 24;
constexpr int kDistanceOffset = 40, kTimeOffset = 52;
// Offsets inside the temperature record body.
constexpr int kTemperatureOffset = 4, kCountOffset = 8;

// Far more than the capacities can take (about 1.3 MB of records): a damaged or foreign file is
// not read further.
constexpr std::size_t kMostBytes = std::size_t{256} << 20;

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, bool* cut) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    constexpr std::size_t kChunk = 1 << 16;
    std::size_t used = 0;
    *cut = false;
    while (true) {
        if (used >= kMostBytes) {
            std::uint8_t more;
            *cut = std::fread(&more, 1, 1, f) == 1;
            break;
        }
        bytes.resize(used + kChunk);
        std::size_t got = std::fread(bytes.data() + used, 1, kChunk, f);
        used += got;
        if (got < kChunk)
            break;
    }
    bytes.resize(used);
    std::fclose(f);
    return true;
}

void Widen(float value, float& lo, float& hi) {
    if (value < lo)
        lo = value;
    if (value > hi)
        hi = value;
}

} // namespace

int CNMEA::ReadGpsFile() {
    trackCount = 0;
    temperatureCount = 0;
    readNote.clear();
    std::vector<std::uint8_t> bytes;
    bool cut = false;
    if (!ReadWholeFile(gpsPath, bytes, &cut))
        return -1;
    ParseGpsBytes(bytes.data(), bytes.size());
    if (cut && readNote.empty())
        readNote = "only its first " + std::to_string(kMostBytes >> 20) + " MB are read";
    return 0;
}

namespace {

std::string StoppedAt(std::size_t at, std::size_t size, const char* why) {
    return "read up to byte " + std::to_string(at) + " of " + std::to_string(size) + ": " + why;
}

} // namespace

void CNMEA::ParseGpsBytes(const std::uint8_t* bytes, std::size_t size) {
    trackCount = 0;
    temperatureCount = 0;
    readNote.clear();
    bool firstTrackRecord = true;
    float previousDistance = 0.0f;
    float previousTime = 0.0f;

    // Entries are looked for on 4-byte steps only; a body follows its 3-byte lead-in directly.
    std::size_t p = 0;
    while (size > 0 && p < size - 1) {
        if (trackCount >= kTrackCapacity && temperatureCount >= kTemperatureCapacity) {
            readNote = StoppedAt(p, size, "the track and the temperatures are full");
            break; // nothing more could be stored
        }
        const std::uint8_t tag = bytes[p];
        if (tag == 'G') {
            const std::size_t body = p + kLeadInSize;
            if (body + kTrackBodySize > size) {
                readNote = StoppedAt(p, size, "the last track record is cut short");
                break;
            }
            std::memcpy(trackBody, bytes + body, kTrackBodySize);
            if (byteorder::LoadLE<std::int16_t>(trackBody) != kTrackCheck) {
                readNote = StoppedAt(p, size, "a damaged track record");
                break;
            }
            const float distance = byteorder::LoadLE<float>(trackBody + kDistanceOffset);
            const float time = byteorder::LoadLE<float>(trackBody + kTimeOffset);
            if (trackCount < kTrackCapacity) {
                TrackPoint& point = track[trackCount];
                point.latitude = byteorder::LoadLE<double>(trackBody + kLatitudeOffset);
                point.longitude = byteorder::LoadLE<double>(trackBody + kLongitudeOffset);
                point.level = byteorder::LoadLE<float>(trackBody + kLevelOffset);
                point.distance = distance;
                point.speed = 0.0f;
                if (!firstTrackRecord) {
                    const double dt = static_cast<double>(time) - previousTime;
                    // Two records with the same time stamp: no speed can be derived.
                    if (dt != 0.0)
                        point.speed =
                            static_cast<float>((static_cast<double>(distance) - previousDistance) /
                                               dt * kFeetPerSecondToMph);
                }
                ++trackCount;
            }
            firstTrackRecord = false;
            previousDistance = distance;
            previousTime = time;
            p = body + kTrackBodySize;
        } else if (tag == 'I') {
            const std::size_t body = p + kLeadInSize;
            if (body + kTemperatureBodySize > size) {
                readNote = StoppedAt(p, size, "the last temperature record is cut short");
                break;
            }
            std::memcpy(temperatureBody, bytes + body, kTemperatureBodySize);
            if (byteorder::LoadLE<std::int16_t>(temperatureBody) != kTemperatureCheck) {
                readNote = StoppedAt(p, size, "a damaged temperature record");
                break;
            }
            if (temperatureCount < kTemperatureCapacity) {
                TemperaturePoint& point = temperatures[temperatureCount];
                point.temperature = byteorder::LoadLE<float>(temperatureBody + kTemperatureOffset);
                const float count = byteorder::LoadLE<float>(temperatureBody + kCountOffset);
                point.distance = static_cast<float>(count / kTemperatureCountsPerFoot);
                ++temperatureCount;
            }
            p = body + kTemperatureBodySize;
        } else {
            p += kStep;
        }
    }
}

int CNMEA::ComputeRanges() {
    if (trackCount < 5 || temperatureCount < 5)
        return -1;
    levelMin = levelMax = track[0].level;
    speedMin = speedMax = track[0].speed;
    temperatureMin = temperatureMax = temperatures[0].temperature;
    for (int i = 0; i < trackCount; i += kRangeStride) {
        Widen(track[i].level, levelMin, levelMax);
        Widen(track[i].speed, speedMin, speedMax);
    }
    for (int i = 0; i < temperatureCount; i += kRangeStride)
        Widen(temperatures[i].temperature, temperatureMin, temperatureMax);
    const float trackStart = track[0].distance;
    const float temperatureStart = temperatures[0].distance;
    const float trackEnd = track[trackCount - 1].distance;
    const float temperatureEnd = temperatures[temperatureCount - 1].distance;
    distanceStart = trackStart < temperatureStart ? trackStart : temperatureStart;
    distanceEnd = trackEnd > temperatureEnd ? trackEnd : temperatureEnd;
    return 0;
}

int CNMEA::LookupByDistance(float x) {
    latitudeAt = 0.0;
    longitudeAt = 0.0;
    levelAt = 0.0f;
    speedAt = 0.0f;
    distanceAt = x;
    const int n = trackCount < kTrackCapacity ? trackCount : kTrackCapacity;
    if (n < 1)
        return 0;

    auto copyPoint = [this](const TrackPoint& point) {
        latitudeAt = point.latitude;
        longitudeAt = point.longitude;
        levelAt = point.level;
        speedAt = point.speed;
    };
    if (x >= track[n - 1].distance) {
        copyPoint(track[n - 1]);
        return 100;
    }
    if (x <= track[0].distance) {
        copyPoint(track[0]);
        return 100;
    }
    for (int i = 1; i < n; ++i) {
        const TrackPoint& a = track[i - 1];
        const TrackPoint& b = track[i];
        if (!(a.distance <= x && x <= b.distance))
            continue;
        const double span = static_cast<double>(b.distance) - a.distance;
        if (span < 0.001) {
            copyPoint(a);
            return 0;
        }
        const double t = (static_cast<double>(x) - a.distance) / span;
        latitudeAt = a.latitude + (b.latitude - a.latitude) * t;
        longitudeAt = a.longitude + (b.longitude - a.longitude) * t;
        levelAt = static_cast<float>(a.level + (static_cast<double>(b.level) - a.level) * t);
        speedAt = static_cast<float>(a.speed + (static_cast<double>(b.speed) - a.speed) * t);
        return 0;
    }
    return 0;
}
