#pragma once

#include "analysis/Sections.h"
#include "document/Progress.h"
#include "pipeline/ResultExport.h"

#include <string>

class CVorlixDoc;
class RawFileLoader;

// The sections of a whole raw file: its 1-ft result profile, read the export's own way, and
// the two CSV files that hold its sections and flags.
namespace sectionsexport {

struct ProfileStatus {
    bool ok = false;
    std::string message; // why it stopped (cancelled, a segment could not be read, ...)
    sections::Profile profile;
    int segmentCount = 0;
};

// The profile the text export would write to NAME.RDO, every segment in order, read with the
// export's smoothing and options (jobs, reload). Nothing is written.
ProfileStatus CollectProfile(CVorlixDoc& doc, RawFileLoader& loader,
                             const ExportOptions& options = {},
                             const ProgressCallback& progress = {},
                             const CancelCheck& cancelled = {});

// The same for a file that no window shows: opens rawPath in a document and loader of its own
// with the settings of workDirectory. For a worker thread: touches nothing shared.
ProfileStatus CollectProfileOf(const std::string& rawPath, const std::string& workDirectory,
                               const ExportOptions& options = {},
                               const ProgressCallback& progress = {},
                               const CancelCheck& cancelled = {});

// NAME.sections.csv and NAME.flags.csv beside rawPath, or in outDir when it is not empty.
struct CsvPaths {
    std::string sections;
    std::string flags;
};
CsvPaths CsvPathsOf(const std::string& rawPath, const std::string& outDir = {});

// The CSV texts: RFC 4180, a header line, '.' decimals whatever the locale, distances with 2
// decimals and values with 4, CR LF line ends.
std::string SectionsCsv(const std::vector<sections::Section>& sections);
std::string FlagsCsv(const std::vector<sections::Flag>& flags);

// Writes both files, each through a temporary name; on failure neither earlier file is
// replaced and `error` says why.
bool WriteCsvFiles(const CsvPaths& paths, const sections::Result& result, std::string* error);

} // namespace sectionsexport
