#include "Commands.h"
#include "ProgressBar.h"

#include "document/Cchannel.h"
#include "document/ConversionExport.h"

#include <cstdio>

namespace {

const char* const kUsage = "usage: vorlix-cli convert FILE.KVT [--out-dir DIR] [--workdir DIR]\n";

} // namespace

int RunConvert(const CliArgs& args) {
    std::string error;
    if (!args.OnlyKnown({"out-dir"}, &error) || args.Positional().size() != 1) {
        std::fprintf(stderr, "vorlix-cli convert: %s\n%s",
                     error.empty() ? "one raw file is needed" : error.c_str(), kUsage);
        return 2;
    }
    const std::string path = args.Positional()[0];
    const std::string base = args.OutputPath(conversion::DefaultOutputBase(path));

    Cchannel channels;
    ProgressBar bar("convert");
    const ConversionStatus status = ConvertRawFile(path, base, &channels, bar.Callback());
    bar.Finish();
    if (!status.ok) {
        std::fprintf(stderr, "vorlix-cli: conversion failed: %s\n", status.message.c_str());
        return 1;
    }
    if (!status.message.empty())
        std::fprintf(stderr, "vorlix-cli: warning: %s\n", status.message.c_str());
    std::printf("Converted %lld groups of %d active channels\n",
                static_cast<long long>(status.groupCount), channels.activeCount);
    std::printf("  %s: %lld records\n", status.aPath.c_str(),
                static_cast<long long>(status.aRecords));
    std::printf("  %s: %lld records\n", status.cPath.c_str(),
                static_cast<long long>(status.cRecords));
    return 0;
}
