#include "pipeline/SectionsExport.h"

#include "document/AtomicFileWriter.h"
#include "document/CVorlixDoc.h"
#include "pipeline/RawFileLoader.h"

#include <charconv>
#include <cmath>
#include <memory>

namespace sectionsexport {

namespace {

// One CSV line under construction: fields separated by commas, quoted where RFC 4180 asks.
class CsvLine {
public:
    explicit CsvLine(std::string& out) : out_(out) {}

    void Text(const std::string& field) {
        Separate();
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            out_ += field;
            return;
        }
        out_ += '"';
        for (char c : field) {
            if (c == '"')
                out_ += '"';
            out_ += c;
        }
        out_ += '"';
    }

    void Int(int value) {
        char text[16];
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        Separate();
        out_.append(text, end);
    }

    // `decimals` places with '.' whatever the locale; a value that is no number (the cov of
    // a section whose mean is 0) stays empty.
    void Number(double value, int decimals) {
        Separate();
        if (!std::isfinite(value))
            return;
        char text[64];
        const auto result =
            std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
        if (result.ec == std::errc())
            out_.append(text, result.ptr);
    }

    void End() { out_ += "\r\n"; }

private:
    void Separate() {
        if (!first_)
            out_ += ',';
        first_ = false;
    }

    std::string& out_;
    bool first_ = true;
};

constexpr int kDistanceDecimals = 2;
constexpr int kValueDecimals = 4;

// The columns both files begin with after their number.
void Span(CsvLine& line, double startFt, double endFt, const std::string& startStation,
          const std::string& endStation, int results) {
    line.Number(startFt, kDistanceDecimals);
    line.Number(endFt, kDistanceDecimals);
    line.Text(startStation);
    line.Text(endStation);
    line.Int(results);
}

bool WriteText(AtomicFileWriter& file, const std::string& path, const std::string& text,
               std::string* error) {
    if (file.Open(path) && file.Write(text.data(), text.size()))
        return true;
    *error = file.Error();
    return false;
}

} // namespace

ProfileStatus CollectProfile(CVorlixDoc& doc, RawFileLoader& loader, const ExportOptions& options,
                             const ProgressCallback& progress, const CancelCheck& cancelled) {
    ProfileStatus status;
    const ExportStatus read =
        CollectResults(doc, loader, status.profile, options, progress, cancelled);
    status.ok = read.ok;
    status.message = read.message;
    status.segmentCount = read.segmentCount;
    return status;
}

ProfileStatus CollectProfileOf(const std::string& rawPath, const std::string& workDirectory,
                               const ExportOptions& options, const ProgressCallback& progress,
                               const CancelCheck& cancelled) {
    auto doc = std::make_unique<CVorlixDoc>(workDirectory);
    RawFileLoader loader;
    // Every segment is read below: the open only takes the file and its tables.
    const LoadResult opened =
        loader.OpenNewFile(*doc, rawPath, OpenOptions{.readFirstSegment = false});
    if (!opened.fileOpened) {
        ProfileStatus status;
        status.message = opened.message;
        return status;
    }
    ExportOptions own = options;
    own.reloadShownSegment = false; // nothing shows this document
    return CollectProfile(*doc, loader, own, progress, cancelled);
}

CsvPaths CsvPathsOf(const std::string& rawPath, const std::string& outDir) {
    const std::size_t slash = rawPath.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string base = rawPath;
    const std::size_t dot = rawPath.rfind('.');
    if (dot != std::string::npos && dot > nameStart)
        base = rawPath.substr(0, dot);
    if (!outDir.empty())
        base = outDir + (outDir.back() == '/' ? "" : "/") + base.substr(nameStart);
    return {base + ".sections.csv", base + ".flags.csv"};
}

std::string SectionsCsv(const std::vector<sections::Section>& sections) {
    std::string out = "section,start_ft,end_ft,start_station,end_station,results,mean,sd,cov,"
                      "characteristic,p90,p95,min,max\r\n";
    int number = 0;
    for (const sections::Section& s : sections) {
        CsvLine line(out);
        line.Int(++number);
        Span(line, s.startFt, s.endFt, s.startStation, s.endStation, s.results);
        for (double value : {s.mean, s.sd, s.cov, s.characteristic, s.p90, s.p95, s.min, s.max})
            line.Number(value, kValueDecimals);
        line.End();
    }
    return out;
}

std::string FlagsCsv(const std::vector<sections::Flag>& flags) {
    std::string out =
        "flag,start_ft,end_ft,start_station,end_station,results,peak,peak_ft,mean\r\n";
    for (const sections::Flag& f : flags) {
        CsvLine line(out);
        line.Int(f.number);
        Span(line, f.startFt, f.endFt, f.startStation, f.endStation, f.results);
        line.Number(f.peak, kValueDecimals);
        line.Number(f.peakFt, kDistanceDecimals);
        line.Number(f.mean, kValueDecimals);
        line.End();
    }
    return out;
}

bool WriteCsvFiles(const CsvPaths& paths, const sections::Result& result, std::string* error) {
    std::string ignored;
    std::string& message = error ? *error : ignored;
    if (paths.sections.empty() || paths.flags.empty() || paths.sections == paths.flags) {
        message = "The sections need two different file names.";
        return false;
    }
    for (const std::string* path : {&paths.sections, &paths.flags}) {
        message = AtomicFileWriter::FolderInTheWay(*path);
        if (!message.empty())
            return false;
    }
    AtomicFileWriter sectionsFile, flagsFile;
    if (!WriteText(sectionsFile, paths.sections, SectionsCsv(result.sections), &message) ||
        !WriteText(flagsFile, paths.flags, FlagsCsv(result.flags), &message))
        return false;
    if (!AtomicFileWriter::CommitBoth(sectionsFile, flagsFile, &message))
        return false;
    message.clear();
    return true;
}

} // namespace sectionsexport
