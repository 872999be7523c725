#include "analysis/ResultExport.h"

#include "document/AtomicFileWriter.h"
#include "document/ByteOrder.h"
#include "document/CVorlixDoc.h"
#include "document/Capacities.h"

#include <algorithm>
#include <cstdio>

namespace resultexport {

std::size_t FormatResultLine(float distance, float value, char* out, std::size_t size) {
    const int n = std::snprintf(out, size, " %10.2f %10.4f\r\n", static_cast<double>(distance),
                                static_cast<double>(value));
    return n < 0 ? 0 : std::min(static_cast<std::size_t>(n), size - 1);
}

std::string ResultLine(float distance, float value) {
    char line[128];
    return std::string(line, FormatResultLine(distance, value, line, sizeof line));
}

void StoreResultRecord(float distance, float value, std::uint8_t* out) {
    byteorder::StoreLE<float>(out, distance);
    byteorder::StoreLE<float>(out + 4, value);
}

} // namespace resultexport

namespace {

using namespace resultexport;

// Forces the export's smoothing for its lifetime and gives the document back its own
// settings however the export ends.
class ExportSettingsGuard {
public:
    explicit ExportSettingsGuard(CVorlixDoc& doc)
        : doc_(doc), smoothMethod_(doc.options.smoothMethod),
          averageDistance_(doc.options.averageDistance),
          currentSegment_(doc.options.currentSegment), batchExportRunning_(doc.batchExportRunning) {
        doc.options.averageDistance = kExportAverageDistance;
        doc.batchExportRunning = true;
        doc.options.smoothMethod = kExportSmoothMethod;
    }
    ~ExportSettingsGuard() {
        doc_.options.averageDistance = averageDistance_;
        doc_.options.currentSegment = currentSegment_;
        doc_.batchExportRunning = batchExportRunning_;
        doc_.options.smoothMethod = smoothMethod_;
    }
    ExportSettingsGuard(const ExportSettingsGuard&) = delete;
    ExportSettingsGuard& operator=(const ExportSettingsGuard&) = delete;

private:
    CVorlixDoc& doc_;
    std::int32_t smoothMethod_;
    float averageDistance_;
    std::int32_t currentSegment_;
    bool batchExportRunning_;
};

// Appends the document's current results to both files.
bool WriteResults(const CVorlixDoc& doc, AtomicFileWriter& txt, AtomicFileWriter& rdo,
                  ExportStatus& status) {
    const int count = std::clamp(doc.resultCount, 0, static_cast<int>(kCycleCapacity));
    char line[128];
    std::uint8_t record[kRdoRecordBytes];
    for (int j = 0; j < count; ++j) {
        const float distance = doc.resultDistance[j];
        const float value = doc.resultValue[j];
        // The header only comes with the first record, so an export without results stays empty.
        if (status.resultCount == 0) {
            const std::uint8_t header[kRdoHeaderBytes] = {};
            if (!rdo.Write(header, sizeof header)) {
                status.message = rdo.Error();
                return false;
            }
        }
        if (!txt.Write(line, FormatResultLine(distance, value, line, sizeof line))) {
            status.message = txt.Error();
            return false;
        }
        StoreResultRecord(distance, value, record);
        if (!rdo.Write(record, sizeof record)) {
            status.message = rdo.Error();
            return false;
        }
        ++status.resultCount;
    }
    return true;
}

bool ExportSegments(CVorlixDoc& doc, const SegmentReader& readSegment, AtomicFileWriter& txt,
                    AtomicFileWriter& rdo, const ProgressCallback& progress,
                    const CancelCheck& cancelled, ExportStatus& status) {
    const int total = doc.options.segmentCount;
    if (progress)
        progress(0, total);
    for (int i = 0; i < total; ++i) {
        if (cancelled && cancelled()) {
            status.message = kCancelledMessage;
            return false;
        }
        const std::string where =
            "Segment " + std::to_string(i + 1) + " of " + std::to_string(total) + ": ";
        doc.options.currentSegment = i;
        // Results left from the previous segment must never be written a second time.
        doc.resultCount = 0;
        const LoadResult load = readSegment(doc);
        if (!load.segmentRead) {
            status.message = where + load.message;
            return false;
        }
        if (load.analysisFailed) {
            status.message = where + "analysis failed: " + load.message;
            return false;
        }
        // A file that changed on disk gives another segment table; the loader would then read
        // some other segment than the one asked for.
        if (doc.options.currentSegment != i || doc.options.segmentCount != total) {
            status.message = where + "\"" + doc.rawPath + "\" changed during the export (now " +
                             std::to_string(doc.options.segmentCount) + " segments).";
            return false;
        }
        if (!WriteResults(doc, txt, rdo, status))
            return false;
        ++status.segmentCount;
        if (progress)
            progress(i + 1, total);
    }
    return true;
}

} // namespace

ExportStatus ExportResultsWith(CVorlixDoc& doc, const SegmentReader& readSegment,
                               const std::string& txtPath, const std::string& rdoPath,
                               const ProgressCallback& progress, const CancelCheck& cancelled) {
    ExportStatus status;
    if (doc.rawPath.empty()) {
        status.message = "No raw data file is open.";
        return status;
    }
    if (txtPath.empty() || rdoPath.empty() || txtPath == rdoPath) {
        status.message = "The export needs two different file names.";
        return status;
    }
    AtomicFileWriter txt, rdo;
    if (!txt.Open(txtPath)) {
        status.message = txt.Error();
        return status;
    }
    if (!rdo.Open(rdoPath)) {
        status.message = rdo.Error();
        return status;
    }

    {
        ExportSettingsGuard guard(doc);
        status.ok = ExportSegments(doc, readSegment, txt, rdo, progress, cancelled, status);
    }
    if (status.ok && !txt.Commit()) {
        status.ok = false;
        status.message = txt.Error();
    }
    if (status.ok && !rdo.Commit()) {
        status.ok = false;
        status.message = rdo.Error();
    }
    if (!status.ok)
        status.resultCount = 0;
    txt.Abandon();
    rdo.Abandon();

    // Back to the segment the user was looking at, analysed with the user's own settings.
    status.finalReloadRun = true;
    status.finalLoad = readSegment(doc);
    return status;
}

ExportStatus ExportResults(CVorlixDoc& doc, RawFileLoader& loader, const std::string& txtPath,
                           const std::string& rdoPath, const ProgressCallback& progress,
                           const CancelCheck& cancelled) {
    return ExportResultsWith(
        doc, [&loader](CVorlixDoc& d) { return loader.ReloadCurrentFile(d); }, txtPath, rdoPath,
        progress, cancelled);
}

ExportStatus ExportResults(CVorlixDoc& doc, RawFileLoader& loader, const ProgressCallback& progress,
                           const CancelCheck& cancelled) {
    return ExportResults(doc, loader, doc.txtPath, doc.rdoPath, progress, cancelled);
}
