#include "Commands.h"
#include "OutputLedger.h"
#include "ProgressBar.h"

#include "document/Cchannel.h"
#include "document/ConversionExport.h"

#include <cstdio>

namespace {

const char* const kUsage =
    "usage: vorlix-cli convert FILE.KVT... [--out-dir DIR] [--workdir DIR]\n";

// Converts one raw file as if it were the only one; false when it failed (reported on stderr,
// after `where`, which names the file when there are several).
bool ConvertFile(const std::string& path, const CliArgs& args, const std::string& where,
                 OutputLedger& ledger) {
    const std::string base = args.OutputPath(conversion::DefaultOutputBase(path));
    const std::string aPath = conversion::APath(base), cPath = conversion::CPath(base);
    const std::string earlier = ledger.EarlierWriter(path, {aPath, cPath});
    if (!earlier.empty()) {
        std::fprintf(stderr, "vorlix-cli: %snot converted: %s and %s hold the conversion of %s\n",
                     where.c_str(), aPath.c_str(), cPath.c_str(), earlier.c_str());
        return false;
    }

    Cchannel channels;
    ProgressBar bar("convert");
    const ConversionStatus status = ConvertRawFile(path, base, &channels, bar.Callback());
    bar.Finish();
    if (!status.ok) {
        std::fprintf(stderr, "vorlix-cli: %sconversion failed: %s\n", where.c_str(),
                     status.message.c_str());
        return false;
    }
    ledger.Record(path, {status.aPath, status.cPath});
    std::printf("Converted %lld groups of %d active channels\n",
                static_cast<long long>(status.groupCount), channels.activeCount);
    std::printf("  %s: %lld records\n", status.aPath.c_str(),
                static_cast<long long>(status.aRecords));
    std::printf("  %s: %lld records\n", status.cPath.c_str(),
                static_cast<long long>(status.cRecords));
    std::fflush(stdout);
    return true;
}

} // namespace

int RunConvert(const CliArgs& args) {
    std::string error;
    if (!args.OnlyKnown({"out-dir"}, &error) || args.Positional().empty()) {
        std::fprintf(stderr, "vorlix-cli convert: %s\n%s",
                     error.empty() ? "a raw file is needed" : error.c_str(), kUsage);
        return 2;
    }
    OutputLedger ledger;
    const bool several = args.Positional().size() > 1;
    bool failed = false;
    for (const std::string& path : args.Positional())
        if (!ConvertFile(path, args, several ? path + ": " : "", ledger))
            failed = true;
    return failed ? 1 : 0;
}
