#include "document/ConversionExport.h"

#include "document/AtomicFileWriter.h"
#include "document/ByteOrder.h"
#include "document/Capacities.h"
#include "document/Cchannel.h"
#include "document/RawFile.h"
#include "document/RawFileFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace conversion {

std::int64_t PulseCount(double distance, double previous) {
    const double count = (distance - previous) * kPulsesPerFoot + 0.5;
    // Only counts that fit are converted; anything else (NaN, infinite, far beyond 250)
    // would be undefined to convert and gives no pulses either way.
    constexpr double kLimit = 1e15;
    if (!(count > -kLimit && count < kLimit))
        return 0;
    return static_cast<std::int64_t>(count);
}

void ApplyPulseTrain(float* channel, std::int64_t pulses) {
    if (pulses <= 0 || pulses > kSamplesPerGroup)
        return;
    const int p = static_cast<int>(pulses);
    const int spacing = kSamplesPerGroup / p;
    const int width = spacing / 2;
    const int first = width / 2;
    for (int k = 0; k < p; ++k) {
        const int start = first + k * spacing;
        std::fill(channel + start, channel + start + width, kPulseLevel);
    }
}

std::string APath(const std::string& outBase) {
    return outBase + "_A.DAT";
}

std::string CPath(const std::string& outBase) {
    return outBase + "_C.DAT";
}

std::string DefaultOutputBase(const std::string& rawPath) {
    const std::size_t slash = rawPath.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = rawPath.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return rawPath;
    return rawPath.substr(0, dot);
}

} // namespace conversion

namespace {

using namespace conversion;

constexpr std::size_t kReadBufferBytes = 4u << 20;
constexpr int kMaxChannels = 12;

// The samples of one group as exported, channel by channel.
using GroupValues = std::array<std::array<float, kSamplesPerGroup>, kExportedChannels>;

void ConvertSamples(const std::uint8_t* group, int activeCount, GroupValues& values) {
    const int converted = std::min(activeCount, kExportedChannels);
    for (int c = 0; c < converted; ++c) {
        const std::uint8_t* block = group + rawfile::kGroupSamplesOffset +
                                    static_cast<std::size_t>(c) * rawfile::kBlockBytes;
        for (int i = 0; i < kSamplesPerGroup; ++i)
            values[c][i] = static_cast<float>(byteorder::LoadLE<std::int16_t>(block + 2 * i) /
                                              rawfile::kCountsPerUnit);
    }
    for (int c = converted; c < kExportedChannels; ++c)
        values[c].fill(0.0f);
}

void StoreARecords(const GroupValues& values, std::uint8_t* out) {
    for (int j = 0; j < kSamplesPerGroup; ++j)
        for (int c = 0; c < kExportedChannels; ++c)
            byteorder::StoreBE<float>(out + j * kARecordBytes + 4 * c, values[c][j]);
}

ConversionStatus Fail(ConversionStatus status, const std::string& message) {
    status.ok = false;
    status.message = message;
    status.aRecords = status.cRecords = 0;
    return status;
}

} // namespace

ConversionStatus ConvertRawFile(const std::string& rawPath, const std::string& outBase,
                                Cchannel* channelsOut, const ProgressCallback& progress,
                                const CancelCheck& cancelled) {
    ConversionStatus status;
    status.aPath = APath(outBase);
    status.cPath = CPath(outBase);

    RawFile file;
    std::string error;
    if (!file.Open(rawPath, kMaxSegmentGroups, &error) || !file.IsUsable(kMaxSegmentGroups, &error))
        return Fail(status, error);
    if (channelsOut)
        *channelsOut = file.Channels();
    const int activeCount = std::clamp(file.Channels().activeCount, 0, kMaxChannels);
    const std::int64_t groupSize = file.GroupSize();
    const std::int64_t groups = file.GroupCount();
    status.groupCount = groups;

    for (const std::string* path : {&status.aPath, &status.cPath}) {
        const std::string folder = AtomicFileWriter::FolderInTheWay(*path);
        if (!folder.empty())
            return Fail(status, folder);
    }
    AtomicFileWriter aFile, cFile;
    if (!aFile.Open(status.aPath))
        return Fail(status, aFile.Error());
    if (!cFile.Open(status.cPath))
        return Fail(status, cFile.Error());

    std::vector<std::uint8_t> input(
        std::max<std::size_t>(kReadBufferBytes, static_cast<std::size_t>(groupSize)));
    const std::int64_t groupsPerRead = static_cast<std::int64_t>(input.size()) / groupSize;
    GroupValues values;
    std::vector<std::uint8_t> aRecords(static_cast<std::size_t>(kSamplesPerGroup) * kARecordBytes);

    if (progress)
        progress(0, groups);
    double previous = 0.0;
    for (std::int64_t first = 0; first < groups; first += groupsPerRead) {
        if (cancelled && cancelled())
            return Fail(status, kCancelledMessage);
        const std::int64_t count = std::min(groupsPerRead, groups - first);
        const auto offset = static_cast<std::uint64_t>(rawfile::kHeaderSize + first * groupSize);
        if (!file.ReadAt(offset, input.data(), static_cast<std::size_t>(count * groupSize)))
            return Fail(status, "Cannot read \"" + rawPath + "\": the file ended early.");
        for (std::int64_t k = 0; k < count; ++k) {
            const std::int64_t g = first + k;
            const std::uint8_t* group = input.data() + k * groupSize;
            const double distance = byteorder::LoadLE<float>(group + rawfile::kGroupDistanceOffset);
            if (g % kGroupsPerCRecord == 0) {
                std::uint8_t record[kCRecordBytes];
                byteorder::StoreBE<double>(record, distance);
                byteorder::StoreBE<double>(
                    record + 8, kFirstTimeStamp + kSecondsPerGroup * static_cast<double>(g));
                if (!cFile.Write(record, sizeof record))
                    return Fail(status, cFile.Error());
                ++status.cRecords;
            }
            ConvertSamples(group, activeCount, values);
            ApplyPulseTrain(values[kPulseChannel].data(), PulseCount(distance, previous));
            StoreARecords(values, aRecords.data());
            if (!aFile.Write(aRecords.data(), aRecords.size()))
                return Fail(status, aFile.Error());
            status.aRecords += kSamplesPerGroup;
            previous = distance;
        }
        if (progress)
            progress(first + count, groups);
    }

    if (!AtomicFileWriter::CommitBoth(aFile, cFile, &error))
        return Fail(status, error);
    status.ok = true;
    return status;
}
