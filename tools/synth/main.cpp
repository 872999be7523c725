// vorlix-synth: writes a synthetic raw test with its companion files, settings and truth.
#include "synth/CommandLine.h"
#include "synth/Synth.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    synth::Options options;
    std::string error;
    switch (synth::ParseCommandLine(args, &options, &error)) {
    case synth::CommandLineResult::Help:
        std::fputs(synth::kUsage, stdout);
        return 0;
    case synth::CommandLineResult::Error:
        std::fprintf(stderr, "vorlix-synth: %s\n%s", error.c_str(), synth::kUsage);
        return 2;
    case synth::CommandLineResult::Run:
        break;
    }

    // No application object: the pictures are painted into images with shapes only (no fonts)
    // and the JPEG plugin loads without one, so no display or platform plugin is involved.
    synth::Written written;
    if (!synth::Generate(options, &written, &error)) {
        std::fprintf(stderr, "vorlix-synth: %s\n", error.c_str());
        for (const std::string& file : written.files)
            std::fprintf(stderr, "  written before the failure: %s\n", file.c_str());
        return 1;
    }
    for (const std::string& file : written.files)
        std::printf("wrote %s\n", file.c_str());
    return 0;
}
