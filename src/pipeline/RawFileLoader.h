#pragma once

#include "analysis/DeflectionAnalysis.h"
#include "analysis/Smoothing.h"
#include "document/SegmentDecoder.h"

#include <cstdint>
#include <string>
#include <vector>

class CVorlixDoc;
class RawFile;

struct LoadResult {
    bool fileOpened = false;  // the file was validated and is the document's file now
    bool segmentRead = false; // the document holds a newly read segment
    // The analysis could not run: with segmentRead, it stopped after the read and the segment
    // is shown without cycles; without, the band was refused before anything was read.
    bool analysisFailed = false;
    std::string message; // why nothing was read, or the analysis error
    std::string title;   // the window title of the read
    // What was refused or cut of the companion files of a new file (road pictures, GPR scans);
    // the raw file is used all the same.
    std::string companionNote;
};

// What opening a new file reads besides its tables and companion files.
struct OpenOptions {
    // Decode and analyse segment 0, as the window shows it. Off, the document takes the file,
    // its channel table, segment count and companions, but holds no segment (its counts are
    // 0), for a caller that reads the segments it needs itself, like the command-line export.
    bool readFirstSegment = true;
};

// Leaves the document without a segment (no samples, groups, cycles or results), for when the
// one it held is gone or is not the segment it records.
void ForgetSegment(CVorlixDoc& doc);

// The open operation: validates a raw test file, reads its companion files when it is new,
// decodes one segment of the load cell and the selected geophone into the document and runs
// the analysis chain. A file that cannot be used, or a band the filter cannot use, is refused
// with a message before anything is read, and the document keeps what it had.
class RawFileLoader {
public:
    RawFileLoader() = default;

    // A newly chosen file: companion files, then segment 0 (unless options say otherwise).
    LoadResult OpenNewFile(CVorlixDoc& doc, const std::string& path,
                           const OpenOptions& options = {});
    // The loaded file again (another segment, or changed options): segment
    // options.currentSegment, companion files untouched.
    LoadResult ReloadCurrentFile(CVorlixDoc& doc);
    // Segment `segment` of the loaded file, kept inside its table and recorded as the
    // document's current segment, smoothed with `smoothing` and otherwise read and analysed
    // with the options; companion files untouched.
    LoadResult ReadSegment(CVorlixDoc& doc, int segment,
                           const smoothing::SmoothingSettings& smoothing);

    // A band the filter cannot use refuses the read before the document is touched, so the
    // window stays on the segment it showed. Off, for a caller that wants the signals all the
    // same (info, the spectrum): the segment is read and its analysis said to have failed,
    // with no cycles and no results.
    bool refuseUnusableBand = true;

private:
    bool Validate(const RawFile& file, int segmentGroups, const Calibration& calibration,
                  std::string* error) const;
    LoadResult ReadAndAnalyse(CVorlixDoc& doc, const RawFile& file, int segment,
                              const smoothing::SmoothingSettings& smoothing);

    SegmentDecoder decoder_;
    deflection::FilterWorkspace workspace_;
};
