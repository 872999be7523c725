#include "Commands.h"
#include "OutputLedger.h"
#include "ProgressBar.h"

#include "document/CVorlixDoc.h"
#include "pipeline/RawFileLoader.h"
#include "pipeline/ResultExport.h"

#include <cstdio>
#include <memory>

namespace {

const char* const kUsage =
    "usage: vorlix-cli export FILE.KVT... [-j N] [--out-dir DIR] [--workdir DIR]\n";

int Usage(const std::string& error) {
    std::fprintf(stderr, "vorlix-cli export: %s\n%s", error.c_str(), kUsage);
    return 2;
}

// Exports one raw file as if it were the only one; false when it failed (reported on stderr,
// after `where`, which names the file when there are several).
bool ExportFile(CVorlixDoc& doc, RawFileLoader& loader, const std::string& path,
                const CliArgs& args, int jobs, const std::string& where, OutputLedger& ledger) {
    // The export reads every segment itself: the open only takes the file and its tables.
    const LoadResult opened = loader.OpenNewFile(doc, path, OpenOptions{.readFirstSegment = false});
    if (!opened.fileOpened) {
        std::fprintf(stderr, "vorlix-cli: %s%s\n", where.c_str(), opened.message.c_str());
        return false;
    }

    const std::string txtPath = args.OutputPath(doc.txtPath);
    const std::string rdoPath = args.OutputPath(doc.rdoPath);
    const std::string earlier = ledger.EarlierWriter(path, {txtPath, rdoPath});
    if (!earlier.empty()) {
        std::fprintf(stderr, "vorlix-cli: %snot exported: %s and %s hold the results of %s\n",
                     where.c_str(), txtPath.c_str(), rdoPath.c_str(), earlier.c_str());
        return false;
    }

    ProgressBar bar("export");
    // A process about to exit has no use for the re-read of the segment shown before.
    const ExportOptions options{.jobs = jobs, .reloadShownSegment = false};
    const ExportStatus status =
        ExportResults(doc, loader, txtPath, rdoPath, options, bar.Callback());
    bar.Finish();
    if (!status.ok) {
        std::fprintf(stderr, "vorlix-cli: %sexport failed: %s\n", where.c_str(),
                     status.message.c_str());
        return false;
    }
    ledger.Record(path, {txtPath, rdoPath});
    std::printf("Exported %lld results of %d segments\n",
                static_cast<long long>(status.resultCount), status.segmentCount);
    std::printf("  %s\n  %s\n", txtPath.c_str(), rdoPath.c_str());
    std::fflush(stdout);
    return true;
}

} // namespace

int RunExport(const CliArgs& args) {
    std::string error;
    int jobs = 0;
    if (!args.OnlyKnown({"out-dir", "jobs"}, &error))
        return Usage(error);
    if (args.Positional().empty())
        return Usage("a raw file is needed");
    if (!args.JobsValue(&jobs, &error))
        return Usage(error);

    // One document and loader serve every file in turn; each export restores the settings.
    auto doc = std::make_unique<CVorlixDoc>(args.WorkDirectory());
    RawFileLoader loader;
    OutputLedger ledger;
    const bool several = args.Positional().size() > 1;
    bool failed = false;
    for (const std::string& path : args.Positional())
        if (!ExportFile(*doc, loader, path, args, jobs, several ? path + ": " : "", ledger))
            failed = true;
    return failed ? 1 : 0;
}
