#include "pipeline/RawFileLoader.h"

#include "analysis/AnalysisError.h"
#include "document/CVorlixDoc.h"
#include "document/CompanionFiles.h"
#include "document/RawFile.h"
#include "pipeline/AnalysisChain.h"

#include <algorithm>
#include <cmath>

namespace {

int SegmentGroups(const CKVTcontrol& options) {
    return std::clamp(options.segmentGroups, 1, kMaxSegmentGroups);
}

// The file's channel table and segment count into the document, `segment` (kept inside the
// table) as its current segment, and the window title; returns the segment.
int TakeTables(CVorlixDoc& doc, const RawFile& file, int segment, LoadResult* result) {
    const int segmentCount = static_cast<int>(file.Segments().size());
    segment = std::clamp(segment, 0, segmentCount - 1);
    doc.channels = file.Channels();
    doc.options.segmentCount = segmentCount;
    doc.options.currentSegment = segment;
    result->title = rawfile::WindowTitle(file.GroupCount(), segment + 1);
    return segment;
}

// The analysis would stop at the filter design: refused before the document is touched, so a
// failed read never mixes two segments.
bool BandUsable(const CKVTcontrol& options, LoadResult* result) {
    if (deflection::UsableBand(deflection::BandPassOf(options)))
        return true;
    result->analysisFailed = true;
    result->message = AnalysisError(kAnalysisBadBand).what();
    return false;
}

// What the analysis of the segment in the document left behind when it stopped half-way: no
// cycles, no results and no filtered signal, rather than those of the segment before.
void ForgetAnalysis(CVorlixDoc& doc) {
    doc.cycleCount = doc.resultCount = 0;
    doc.loadCycleCount = doc.geoCycleCount = 0;
    const int n = std::max(doc.pointCount, 0);
    std::fill_n(doc.loadFiltered.data(), n, 0.0f);
    std::fill_n(doc.geoFiltered.data(), n, 0.0f);
}

// A GPS track too short for ranges leaves the ranges of the file before: they go.
void ForgetGpsRangesIfNone(CNMEA& gps) {
    if (gps.ComputeRanges() == 0)
        return;
    gps.temperatureMin = gps.temperatureMax = 0.0f;
    gps.levelMin = gps.levelMax = 0.0f;
    gps.speedMin = gps.speedMax = 0.0f;
    gps.distanceStart = gps.distanceEnd = 0.0f;
}

} // namespace

void ForgetSegment(CVorlixDoc& doc) {
    doc.pointCount = doc.groupCount = 0;
    doc.cycleCount = doc.resultCount = 0;
    doc.loadCycleCount = doc.geoCycleCount = 0;
}

bool RawFileLoader::Validate(const RawFile& file, int segmentGroups, const Calibration& calibration,
                             std::string* error) const {
    const std::string name = "\"" + file.Path() + "\"";
    if (!file.IsUsable(segmentGroups, error))
        return false;
    if (calibration.geophone < 1 || calibration.geophone > 4) {
        *error = "Geophone " + std::to_string(calibration.geophone) +
                 " is not a geophone of the test (1 to 4); choose one in the options.";
        return false;
    }
    if (file.Channels().activeCount <= calibration.geophone) {
        *error = name + " has " + std::to_string(file.Channels().activeCount) +
                 " active channels: no block for Geophone-" + std::to_string(calibration.geophone) +
                 ".";
        return false;
    }
    const float factor = calibration.geophoneFactor;
    if (!(std::isfinite(factor) && factor != 0.0f)) {
        *error = "The calibration factor of Geophone-" + std::to_string(calibration.geophone) +
                 " is not set; enter it in the options.";
        return false;
    }
    return true;
}

LoadResult RawFileLoader::OpenNewFile(CVorlixDoc& doc, const std::string& path,
                                      const OpenOptions& options) {
    LoadResult result;
    RawFile file;
    if (!file.Open(path, SegmentGroups(doc.options), &result.message) ||
        !Validate(file, SegmentGroups(doc.options), CalibrationOf(doc.options), &result.message) ||
        (options.readFirstSegment && refuseUnusableBand && !BandUsable(doc.options, &result)))
        return result;

    doc.rawPath = path;
    const CompanionNames names = DeriveCompanionNames(path);
    doc.images.imgPath = FindCompanionFile(names.img);
    doc.gpr.gprData.path = FindCompanionFile(names.dat);
    doc.rdoPath = names.rdo;
    doc.txtPath = names.txt;
    doc.options.currentSegment = 0;
    doc.gps.gpsPath = FindCompanionFile(names.gps);
    doc.gps.ReadGpsFile();
    ForgetGpsRangesIfNone(doc.gps);

    std::string notes;
    auto note = [&notes](const std::string& text) {
        if (!text.empty())
            notes += (notes.empty() ? "" : " ") + text;
    };
    note(doc.images.ReadImageIndex(doc.options.videoOffset));
    note(companions::ImageIndexNote(doc.images));
    note(companions::GpsReadNote(doc.gps));
    if (doc.options.showGprColormap != 0) {
        std::string gprNote;
        doc.gpr.gprData.ReadFile(&gprNote);
        note(gprNote);
    } else {
        doc.gpr.gprData.Clear();
    }
    if (!options.readFirstSegment) {
        result.fileOpened = true;
        result.companionNote = notes;
        TakeTables(doc, file, 0, &result);
        // Whatever the document held came from another file.
        ForgetSegment(doc);
        return result;
    }
    LoadResult read = ReadAndAnalyse(doc, file, 0, smoothing::SettingsOf(doc.options));
    read.companionNote = notes;
    return read;
}

LoadResult RawFileLoader::ReloadCurrentFile(CVorlixDoc& doc) {
    return ReadSegment(doc, doc.options.currentSegment, smoothing::SettingsOf(doc.options));
}

LoadResult RawFileLoader::ReadSegment(CVorlixDoc& doc, int segment,
                                      const smoothing::SmoothingSettings& smoothing) {
    LoadResult result;
    if (doc.rawPath.empty()) {
        result.message = "No raw data file is open.";
        return result;
    }
    RawFile file;
    if (!file.Open(doc.rawPath, SegmentGroups(doc.options), &result.message) ||
        !Validate(file, SegmentGroups(doc.options), CalibrationOf(doc.options), &result.message) ||
        (refuseUnusableBand && !BandUsable(doc.options, &result)))
        return result;
    return ReadAndAnalyse(doc, file, segment, smoothing);
}

LoadResult RawFileLoader::ReadAndAnalyse(CVorlixDoc& doc, const RawFile& file, int segment,
                                         const smoothing::SmoothingSettings& smoothing) {
    LoadResult result;
    result.fileOpened = true;
    segment = TakeTables(doc, file, segment, &result);
    const rawfile::SegmentRange range = file.Segments()[static_cast<std::size_t>(segment)];
    const int groups = static_cast<int>(
        std::min<std::int64_t>(range.end - range.first, SegmentGroups(doc.options)));

    if (!decoder_.Decode(doc, file, range.first, groups, CalibrationOf(doc.options),
                         &result.message)) {
        // A file that shrank under us: nothing of it is shown.
        ForgetSegment(doc);
        return result;
    }
    result.segmentRead = true;

    std::string analysisError;
    const AnalysisSettings settings{deflection::BandPassOf(doc.options), smoothing};
    if (!RunAnalysisChain(doc, settings, workspace_, &analysisError)) {
        ForgetAnalysis(doc);
        result.analysisFailed = true;
        result.message = analysisError;
    }
    return result;
}
