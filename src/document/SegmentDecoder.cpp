#include "document/SegmentDecoder.h"

#include "document/ByteOrder.h"
#include "document/CVorlixDoc.h"
#include "document/RawFile.h"

#include <algorithm>

namespace {

constexpr std::size_t kReadBufferBytes = 4u << 20;

} // namespace

float GeophoneFactor(const CKVTcontrol& options) {
    switch (options.geophoneSelect) {
    case 1:
        return options.centerFactor;
    case 2:
        return options.frontFactor;
    case 3:
        return options.rearFactor;
    default:
        return 1.0f;
    }
}

Calibration CalibrationOf(const CKVTcontrol& options) {
    return {options.geophoneSelect, GeophoneFactor(options), options.loadFactor};
}

SegmentDecoder::SegmentDecoder() : buffer_(kReadBufferBytes) {}

bool SegmentDecoder::Decode(CVorlixDoc& doc, const RawFile& file, std::int64_t first, int groups,
                            const Calibration& calibration, std::string* error) {
    const std::int64_t groupSize = file.GroupSize();
    const std::size_t geoBlockOffset =
        rawfile::kGroupSamplesOffset +
        static_cast<std::size_t>(calibration.geophone) * rawfile::kBlockBytes;
    const std::size_t loadBlockOffset = rawfile::kGroupSamplesOffset;

    loadTable_.SetScale(static_cast<long double>(calibration.loadFactor));
    geoTable_.SetScale(static_cast<long double>(rawfile::kGeophoneConstant) /
                       static_cast<long double>(calibration.geophoneFactor));

    auto readFailed = [&] {
        *error = "Cannot read \"" + file.Path() + "\": the file ended early.";
        return false;
    };

    float startDistance = 0.0f;
    if (first > 0) {
        std::uint8_t field[4];
        if (!file.ReadAt(static_cast<std::uint64_t>(rawfile::kHeaderSize + (first - 1) * groupSize +
                                                    rawfile::kGroupDistanceOffset),
                         field, sizeof field))
            return readFailed();
        startDistance = byteorder::LoadLE<float>(field);
    }

    float* load = doc.loadSignal.data();
    float* geo = doc.geoSignal.data();
    float* distance = doc.groupDistance.data();
    const int groupsPerRead = std::max<int>(1, static_cast<int>(buffer_.size() / groupSize));
    for (int g = 0; g < groups; g += groupsPerRead) {
        const int count = std::min(groupsPerRead, groups - g);
        const std::uint64_t offset =
            static_cast<std::uint64_t>(rawfile::kHeaderSize + (first + g) * groupSize);
        if (!file.ReadAt(offset, buffer_.data(), static_cast<std::size_t>(count * groupSize)))
            return readFailed();
        for (int k = 0; k < count; ++k) {
            const std::uint8_t* group = buffer_.data() + static_cast<std::size_t>(k * groupSize);
            const std::size_t base = static_cast<std::size_t>(g + k) * kSamplesPerGroup;
            distance[g + k] = byteorder::LoadLE<float>(group + rawfile::kGroupDistanceOffset);
            const std::uint8_t* loadBlock = group + loadBlockOffset;
            const std::uint8_t* geoBlock = group + geoBlockOffset;
            for (int i = 0; i < kSamplesPerGroup; ++i) {
                load[base + i] = loadTable_(byteorder::LoadLE<std::int16_t>(loadBlock + 2 * i));
                geo[base + i] = geoTable_(byteorder::LoadLE<std::int16_t>(geoBlock + 2 * i));
            }
        }
    }

    // One group more than read, extrapolated from the last two (repeated with one group).
    distance[groups] = groups >= 2
                           ? distance[groups - 1] + (distance[groups - 1] - distance[groups - 2])
                           : distance[0];
    doc.segmentStartDistance = startDistance;
    doc.groupCount = groups;
    doc.pointCount = groups * kSamplesPerGroup;

    float loadMin = 1000.0f, loadMax = -1000.0f, geoMin = 1000.0f, geoMax = -1000.0f;
    for (int i = 0; i < doc.pointCount; ++i) {
        if (load[i] < loadMin)
            loadMin = load[i];
        if (load[i] > loadMax)
            loadMax = load[i];
        if (geo[i] < geoMin)
            geoMin = geo[i];
        if (geo[i] > geoMax)
            geoMax = geo[i];
    }
    doc.loadMin = loadMin;
    doc.loadMax = loadMax;
    doc.geoMin = geoMin;
    doc.geoMax = geoMax;
    return true;
}
