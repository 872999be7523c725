#include "document/RawFileLoader.h"

#include "analysis/AnalysisChain.h"
#include "document/ByteOrder.h"
#include "document/CVorlixDoc.h"
#include "document/CompanionFiles.h"
#include "document/RawFile.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t kReadBufferBytes = 4u << 20;

int SegmentGroups(const CKVTcontrol& options) {
    return std::clamp(options.segmentGroups, 1, kMaxSegmentGroups);
}

// The calibration factor of the selected geophone; geophone 4 has none and reads unscaled.
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

} // namespace

RawFileLoader::RawFileLoader() : buffer_(kReadBufferBytes) {}

bool RawFileLoader::Validate(const RawFile& file, const CVorlixDoc& doc, std::string* error) const {
    const CKVTcontrol& options = doc.options;
    const std::string name = "\"" + file.Path() + "\"";
    if (file.GroupCount() <= 0) {
        *error = name + " holds no whole group of samples (" + std::to_string(file.FileSize()) +
                 " bytes).";
        return false;
    }
    if (options.geophoneSelect < 1 || options.geophoneSelect > 4) {
        *error = "Geophone " + std::to_string(options.geophoneSelect) +
                 " is not a geophone of the test (1 to 4); choose one in the options.";
        return false;
    }
    if (file.Channels().activeCount <= options.geophoneSelect) {
        *error = name + " has " + std::to_string(file.Channels().activeCount) +
                 " active channels: no block for Geophone-" +
                 std::to_string(options.geophoneSelect) + ".";
        return false;
    }
    float factor = GeophoneFactor(options);
    if (!(std::isfinite(factor) && factor != 0.0f)) {
        *error = "The calibration factor of Geophone-" + std::to_string(options.geophoneSelect) +
                 " is not set; enter it in the options.";
        return false;
    }
    return true;
}

LoadResult RawFileLoader::OpenNewFile(CVorlixDoc& doc, const std::string& path) {
    LoadResult result;
    RawFile file;
    if (!file.Open(path, SegmentGroups(doc.options), &result.message) ||
        !Validate(file, doc, &result.message))
        return result;

    doc.rawPath = path;
    const CompanionNames names = DeriveCompanionNames(path);
    doc.images.imgPath = FindCompanionFile(names.img);
    doc.gpr.path = FindCompanionFile(names.dat);
    doc.rdoPath = names.rdo;
    doc.txtPath = names.txt;
    doc.options.currentSegment = 0;
    doc.gps.gpsPath = FindCompanionFile(names.gps);
    doc.gps.ReadGpsFile();
    doc.gps.ComputeRanges();
    doc.options.reloadRequested = false;
    return ReadAndAnalyse(doc, file, 0);
}

LoadResult RawFileLoader::ReloadCurrentFile(CVorlixDoc& doc) {
    LoadResult result;
    doc.options.reloadRequested = false;
    if (doc.rawPath.empty()) {
        result.message = "No raw data file is open.";
        return result;
    }
    RawFile file;
    if (!file.Open(doc.rawPath, SegmentGroups(doc.options), &result.message) ||
        !Validate(file, doc, &result.message))
        return result;
    return ReadAndAnalyse(doc, file, doc.options.currentSegment);
}

LoadResult RawFileLoader::ReadAndAnalyse(CVorlixDoc& doc, const RawFile& file, int segment) {
    LoadResult result;
    const auto& segments = file.Segments();
    const int segmentCount = static_cast<int>(segments.size());
    segment = std::clamp(segment, 0, segmentCount - 1);
    const rawfile::SegmentRange range = segments[static_cast<std::size_t>(segment)];
    const int groups = static_cast<int>(
        std::min<std::int64_t>(range.end - range.first, SegmentGroups(doc.options)));

    doc.channels = file.Channels();
    doc.options.segmentCount = segmentCount;
    doc.options.currentSegment = segment;
    result.title = rawfile::WindowTitle(file.GroupCount(), segment + 1);

    if (!DecodeSegment(doc, file, range.first, groups, &result.message)) {
        // A file that shrank under us: nothing of it is shown.
        doc.pointCount = doc.groupCount = 0;
        doc.cycleCount = doc.resultCount = 0;
        return result;
    }
    result.segmentRead = true;

    std::string analysisError;
    if (!RunAnalysisChain(doc, &analysisError)) {
        result.analysisFailed = true;
        result.message = analysisError;
    }
    return result;
}

bool RawFileLoader::DecodeSegment(CVorlixDoc& doc, const RawFile& file, std::int64_t first,
                                  int groups, std::string* error) {
    const CKVTcontrol& options = doc.options;
    const std::int64_t groupSize = file.GroupSize();
    const std::size_t geoBlockOffset =
        rawfile::kGroupSamplesOffset +
        static_cast<std::size_t>(options.geophoneSelect) * rawfile::kBlockBytes;
    const std::size_t loadBlockOffset = rawfile::kGroupSamplesOffset;

    loadTable_.SetScale(static_cast<long double>(options.loadFactor));
    geoTable_.SetScale(static_cast<long double>(rawfile::kGeophoneConstant) /
                       static_cast<long double>(GeophoneFactor(options)));

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
