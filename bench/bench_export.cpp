#include "GeneratedFiles.h"
#include "document/CVorlixDoc.h"
#include "document/Cchannel.h"
#include "document/ConversionExport.h"
#include "pipeline/RawFileLoader.h"
#include "pipeline/ResultExport.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

// The two exports on generated files: the conversion of one full segment (12,800 groups of
// five channels, 40 MB in, 115 MB out) from a file in the page cache, and the result export
// of a file of three segments (12,800 + 12,800 + 4,400 groups) as the window runs it, which
// runs the whole analysis chain on every segment, `j` segments at a time, and once more on
// the segment shown before.

namespace {

void BM_ConvertOneSegment(benchmark::State& state) {
    GeneratedFiles& files = GeneratedFiles::Get();
    static const std::string raw = files.Make("segment", 12'800);
    const std::string base = files.Dir() + "/segment";
    Cchannel channels;
    ConvertRawFile(raw, base, &channels); // warm the page cache
    for (auto _ : state) {
        const ConversionStatus status = ConvertRawFile(raw, base, &channels);
        if (!status.ok)
            state.SkipWithError(status.message.c_str());
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(raw)));
    state.counters["groups_per_s"] =
        benchmark::Counter(12'800.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ConvertOneSegment)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportThreeSegments(benchmark::State& state) {
    GeneratedFiles& files = GeneratedFiles::Get();
    static const std::string raw = files.Make("three", 30'000);
    auto doc = std::make_unique<CVorlixDoc>(files.Dir());
    RawFileLoader loader;
    const LoadResult opened = loader.OpenNewFile(*doc, raw);
    if (!opened.segmentRead || opened.analysisFailed || doc->options.segmentCount != 3) {
        state.SkipWithError(("cannot open the generated file: " + opened.message).c_str());
        return;
    }
    const std::string txt = files.Dir() + "/three.TXT";
    const std::string rdo = files.Dir() + "/three.RDO";
    std::int64_t results = 0;
    for (auto _ : state) {
        const ExportStatus status = ExportResults(
            *doc, loader, txt, rdo, ExportOptions{.jobs = static_cast<int>(state.range(0))});
        if (!status.ok)
            state.SkipWithError(status.message.c_str());
        results = status.resultCount;
    }
    state.counters["results"] = static_cast<double>(results);
    state.counters["segments_per_s"] =
        benchmark::Counter(3.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ExportThreeSegments)
    ->ArgName("j")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
