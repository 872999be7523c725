// vorlix-cli: the raw-file analysis without a window.
#include "CliArgs.h"
#include "Commands.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char* const kUsage =
    "usage: vorlix-cli COMMAND FILE.KVT [options] [--workdir DIR]\n"
    "commands:\n"
    "  info FILE.KVT [--segment K]   channel table, segments, companions\n"
    "  export FILE.KVT... [-j N] [--out-dir DIR]   1-foot results of every segment (.TXT, .RDO)\n"
    "  convert FILE.KVT... [--out-dir DIR]  big-endian exchange files (_A.DAT, _C.DAT)\n"
    "  cycles FILE.KVT [--segment K] [--csv]   per-cycle table and smoothed results\n"
    "  spectrum FILE.KVT --signal load|geo [--start S --end E]   log10 power spectrum\n"
    "  sections FILE.KVT... [-j N] [--out-dir DIR] [--k K] ...   uniform sections, weak spots\n"
    "      (.sections.csv, .flags.csv; --geo: on the map too); \"vorlix-cli sections\" alone\n"
    "      lists every option\n"
    "--workdir DIR: folder of the settings file Vorlixcontrol.dat "
    "(default: the current folder)\n";

} // namespace

int main(int argc, char** argv) {
    // A limit on the size of files (ulimit -f) then fails a write like a full disk, with a
    // message and nothing left behind, instead of ending the process mid-write.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string command = argv[1];
    CliArgs args;
    std::string error;
    if (!args.Parse(argc, argv, 2, {"csv", "geo"}, &error, {{'j', "jobs"}})) {
        std::fprintf(stderr, "vorlix-cli: %s\n", error.c_str());
        return 2;
    }
    if (command == "info")
        return RunInfo(args);
    if (command == "export")
        return RunExport(args);
    if (command == "convert")
        return RunConvert(args);
    if (command == "cycles")
        return RunCycles(args);
    if (command == "spectrum")
        return RunSpectrum(args);
    if (command == "sections")
        return RunSections(args);
    std::fprintf(stderr, "vorlix-cli: unknown command \"%s\"\n%s", command.c_str(), kUsage);
    return 2;
}
