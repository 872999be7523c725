#include "Commands.h"
#include "ProgressBar.h"

#include "analysis/ResultExport.h"
#include "document/CVorlixDoc.h"
#include "document/RawFileLoader.h"

#include <cstdio>
#include <memory>

namespace {

const char* const kUsage = "usage: vorlix-cli export FILE.KVT [--out-dir DIR] [--workdir DIR]\n";

} // namespace

int RunExport(const CliArgs& args) {
    std::string error;
    if (!args.OnlyKnown({"out-dir"}, &error) || args.Positional().size() != 1) {
        std::fprintf(stderr, "vorlix-cli export: %s\n%s",
                     error.empty() ? "one raw file is needed" : error.c_str(), kUsage);
        return 2;
    }
    const std::string path = args.Positional()[0];
    auto doc = std::make_unique<CVorlixDoc>(args.WorkDirectory());
    RawFileLoader loader;
    const LoadResult opened = loader.OpenNewFile(*doc, path);
    if (!opened.segmentRead) {
        std::fprintf(stderr, "vorlix-cli: %s\n", opened.message.c_str());
        return 1;
    }

    const std::string txtPath = args.OutputPath(doc->txtPath);
    const std::string rdoPath = args.OutputPath(doc->rdoPath);

    ProgressBar bar("export");
    const ExportStatus status = ExportResults(*doc, loader, txtPath, rdoPath, bar.Callback());
    bar.Finish();
    if (!status.ok) {
        std::fprintf(stderr, "vorlix-cli: export failed: %s\n", status.message.c_str());
        return 1;
    }
    std::printf("Exported %lld results of %d segments\n",
                static_cast<long long>(status.resultCount), status.segmentCount);
    std::printf("  %s\n  %s\n", txtPath.c_str(), rdoPath.c_str());
    if (status.finalReloadRun && (!status.finalLoad.segmentRead || status.finalLoad.analysisFailed))
        std::fprintf(stderr, "vorlix-cli: warning: re-reading the segment shown before: %s\n",
                     status.finalLoad.message.c_str());
    return 0;
}
