#pragma once

#include "analysis/ResultFormat.h"
#include "analysis/Sections.h"
#include "analysis/Smoothing.h"
#include "document/Progress.h"
#include "pipeline/RawFileLoader.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class CVorlixDoc;

// The result export: the 1-foot averaged results of every segment of the open raw file, in
// segment order, to a text file and a binary file (formats in analysis/ResultFormat.h).
namespace resultexport {

// Every segment is smoothed by 1-foot distance averages, whatever the user chose.
inline constexpr smoothing::SmoothingSettings kExportSmoothing{
    .method = smoothing::kDistanceAverage, .averageDistance = 1.0f};

} // namespace resultexport

struct ExportStatus {
    bool ok = false;              // both files written under their names
    std::string message;          // why the export stopped
    std::int64_t resultCount = 0; // results written to each file
    int segmentCount = 0;         // segments exported
    int jobs = 0;                 // workers that read the segments, the caller's one among them
    // The re-read of the segment that was loaded before the export, with the settings it had.
    // Not run when the export was refused before touching the document, nor when not asked for.
    bool finalReloadRun = false;
    LoadResult finalLoad;
};

struct ExportOptions {
    // Segments analysed at once, each in a document of its own; 0: one per core. Never more
    // than the file has segments. With 1 every segment is read in turn into the caller's
    // document; with more the caller's document takes one share and each further worker thread
    // gets a document and a loader of its own, made for the export and released after it.
    int jobs = 0;
    // Re-read the segment loaded before the export once it ends, as the window shows it. A
    // process about to exit has no use for it.
    bool reloadShownSegment = true;
    // When set, also receives every result written, in file order (the profile of the
    // sections), float32 widened to double. Left empty when the export fails.
    sections::Profile* profile = nullptr;
};

// The number of workers an export uses: `requested`, or one per core when it is 0 or less,
// at most `segmentCount` and at least 1.
int ExportJobs(int requested, int segmentCount);

// Reads a segment of the open file into the document, records it as the document's current
// segment and analyses it with the smoothing given (the loader's ReadSegment).
using SegmentReader =
    std::function<LoadResult(CVorlixDoc&, int segment, const smoothing::SmoothingSettings&)>;
// Makes the reader of one more worker, with a loader of its own. Called on the caller's thread
// before the workers start; each reader it makes is then called only from its worker's thread,
// always with that worker's document.
using SegmentReaderFactory = std::function<SegmentReader()>;

// Exports every segment of doc.rawPath to txtPath and rdoPath (by default the document's
// txtPath and rdoPath). The segments are smoothed with kExportSmoothing; the user's settings
// are never changed. The document's current segment is the one it had again on every way out,
// then that segment is re-read with the user's settings (unless options say not to). Both files are
// written under temporary names and renamed into place only when every segment was read and
// analysed, so a failed or cancelled export replaces nothing. Segments are analysed options.jobs at
// a time and written in segment order, byte for byte as one after another. Progress counts segments
// written; progress and the cancel check are called on the caller's thread only.
ExportStatus ExportResults(CVorlixDoc& doc, RawFileLoader& loader,
                           const ProgressCallback& progress = {},
                           const CancelCheck& cancelled = {});
ExportStatus ExportResults(CVorlixDoc& doc, RawFileLoader& loader, const std::string& txtPath,
                           const std::string& rdoPath, const ProgressCallback& progress = {},
                           const CancelCheck& cancelled = {});
ExportStatus ExportResults(CVorlixDoc& doc, RawFileLoader& loader, const std::string& txtPath,
                           const std::string& rdoPath, const ExportOptions& options,
                           const ProgressCallback& progress = {},
                           const CancelCheck& cancelled = {});
// The same with the segment reads supplied by the caller (the loader's ReadSegment above):
// readSegment for the caller's document, makeReader for each further worker. Without makeReader the
// segments are read one after another.
ExportStatus ExportResultsWith(CVorlixDoc& doc, const SegmentReader& readSegment,
                               const std::string& txtPath, const std::string& rdoPath,
                               const ProgressCallback& progress = {},
                               const CancelCheck& cancelled = {});
ExportStatus ExportResultsWith(CVorlixDoc& doc, const SegmentReader& readSegment,
                               const SegmentReaderFactory& makeReader, const std::string& txtPath,
                               const std::string& rdoPath, const ExportOptions& options,
                               const ProgressCallback& progress = {},
                               const CancelCheck& cancelled = {});

// The export's own reading of every segment (smoothing, jobs, the shown segment kept and
// re-read as options say) with no file written: the results go to `profile`, in file order,
// left empty when a segment fails or the reading is cancelled. options.profile is not used;
// resultCount counts the results collected.
ExportStatus CollectResults(CVorlixDoc& doc, RawFileLoader& loader, sections::Profile& profile,
                            const ExportOptions& options = {},
                            const ProgressCallback& progress = {},
                            const CancelCheck& cancelled = {});
ExportStatus CollectResultsWith(CVorlixDoc& doc, const SegmentReader& readSegment,
                                const SegmentReaderFactory& makeReader, sections::Profile& profile,
                                const ExportOptions& options = {},
                                const ProgressCallback& progress = {},
                                const CancelCheck& cancelled = {});
