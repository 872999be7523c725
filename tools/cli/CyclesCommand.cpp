#include "Commands.h"

#include "document/CVorlixDoc.h"
#include "pipeline/RawFileLoader.h"

#include <cstdio>
#include <memory>

namespace {

const char* const kUsage =
    "usage: vorlix-cli cycles FILE.KVT [--segment K] [--csv] [--workdir DIR]\n";

const char* const kMethodNames[] = {"moving average", "average by number", "average by distance"};

void PrintCsv(const CVorlixDoc& doc) {
    std::printf("kind,index,distance_ft,load_amplitude,geo_amplitude,ratio\n");
    for (int j = 0; j < doc.cycleCount; ++j)
        std::printf("cycle,%d,%.3f,%.5f,%.6f,%.5f\n", j, doc.cycleDistance[j],
                    doc.cycleLoadAmplitude[j], doc.cycleGeoAmplitude[j], doc.cycleRatio[j]);
    for (int j = 0; j < doc.resultCount; ++j)
        std::printf("result,%d,%.3f,,,%.5f\n", j, doc.resultDistance[j], doc.resultValue[j]);
}

void PrintTable(const CVorlixDoc& doc) {
    const int method = doc.options.smoothMethod;
    std::printf("Segment %d: %d load cycles, %d geophone cycles, %d paired cycles\n",
                doc.options.currentSegment, doc.loadCycleCount, doc.geoCycleCount, doc.cycleCount);
    std::printf("%8s %12s %12s %12s %10s\n", "cycle", "distance ft", "load amp", "geo amp",
                "ratio");
    for (int j = 0; j < doc.cycleCount; ++j)
        std::printf("%8d %12.2f %12.4f %12.5f %10.4f\n", j, doc.cycleDistance[j],
                    doc.cycleLoadAmplitude[j], doc.cycleGeoAmplitude[j], doc.cycleRatio[j]);
    std::printf("\nSmoothed results (%s): %d\n",
                method >= 0 && method <= 2 ? kMethodNames[method] : "none", doc.resultCount);
    std::printf("%8s %12s %10s\n", "result", "distance ft", "value");
    for (int j = 0; j < doc.resultCount; ++j)
        std::printf("%8d %12.2f %10.4f\n", j, doc.resultDistance[j], doc.resultValue[j]);
}

} // namespace

int RunCycles(const CliArgs& args) {
    std::string error;
    int segment = 0;
    if (!args.OnlyKnown({"segment", "csv"}, &error) || args.Positional().size() != 1 ||
        !args.IntValue("segment", 0, &segment, &error)) {
        std::fprintf(stderr, "vorlix-cli cycles: %s\n%s",
                     error.empty() ? "one raw file is needed" : error.c_str(), kUsage);
        return 2;
    }
    auto doc = std::make_unique<CVorlixDoc>(args.WorkDirectory());
    // Segment 0 is read by the open itself; another segment is read alone, after it.
    RawFileLoader loader;
    const bool otherSegment = segment != 0;
    LoadResult result = loader.OpenNewFile(*doc, args.Positional()[0],
                                           OpenOptions{.readFirstSegment = !otherSegment});
    if (result.fileOpened && otherSegment) {
        if (segment < 0 || segment >= doc->options.segmentCount) {
            std::fprintf(stderr, "vorlix-cli: segment %d does not exist (the file has %d)\n",
                         segment, doc->options.segmentCount);
            return 1;
        }
        doc->options.currentSegment = segment;
        result = loader.ReloadCurrentFile(*doc);
    }
    if (!result.segmentRead || result.analysisFailed) {
        std::fprintf(stderr, "vorlix-cli: %s\n", result.message.c_str());
        return 1;
    }
    if (args.Has("csv"))
        PrintCsv(*doc);
    else
        PrintTable(*doc);
    return 0;
}
