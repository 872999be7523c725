#include "GeneratedFiles.h"

#include "document/CVorlixDoc.h"
#include "document/RawFile.h"
#include "document/SegmentDecoder.h"
#include "pipeline/AnalysisChain.h"
#include "pipeline/RawFileLoader.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

// Opening one full segment (12,800 groups of five channels, 33 MB) from a file in the page
// cache: the decoding alone, the analysis chain alone, and the whole open operation.

namespace {

struct OpenFixture {
    OpenFixture() {
        raw = GeneratedFiles::Get().Make("open", 12'800);
        doc = std::make_unique<CVorlixDoc>(GeneratedFiles::Get().Dir());
        LoadResult r = loader.OpenNewFile(*doc, raw);
        if (!r.segmentRead || r.analysisFailed)
            throw std::runtime_error("cannot open the benchmark file: " + r.message);
    }
    static OpenFixture& Get() {
        static OpenFixture fixture;
        return fixture;
    }
    std::string raw;
    std::unique_ptr<CVorlixDoc> doc;
    RawFileLoader loader;
};

void BM_DecodeSegment(benchmark::State& state) {
    OpenFixture& f = OpenFixture::Get();
    RawFile file;
    std::string error;
    file.Open(f.raw, 12'800, &error);
    SegmentDecoder decoder;
    for (auto _ : state) {
        if (!decoder.Decode(*f.doc, file, 0, 12'800, CalibrationOf(f.doc->options), &error))
            state.SkipWithError(error.c_str());
    }
    state.SetBytesProcessed(state.iterations() * file.GroupSize() * 12'800);
}
BENCHMARK(BM_DecodeSegment)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AnalysisChain(benchmark::State& state) {
    OpenFixture& f = OpenFixture::Get();
    std::string error;
    deflection::FilterWorkspace workspace;
    const AnalysisSettings settings = AnalysisSettingsOf(f.doc->options);
    for (auto _ : state) {
        if (!RunAnalysisChain(*f.doc, settings, workspace, &error))
            state.SkipWithError(error.c_str());
    }
    state.counters["cycles"] = f.doc->cycleCount;
}
BENCHMARK(BM_AnalysisChain)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenAndAnalyseSegment(benchmark::State& state) {
    OpenFixture& f = OpenFixture::Get();
    for (auto _ : state) {
        LoadResult r = f.loader.ReloadCurrentFile(*f.doc);
        if (!r.segmentRead || r.analysisFailed)
            state.SkipWithError(r.message.c_str());
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(f.raw)));
}
BENCHMARK(BM_OpenAndAnalyseSegment)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same in a new document each time, as a process that starts, opens and exits: the first
// touch of the document's large arrays (25.6 MB of signals) is part of the cost.
void BM_OpenInNewDocument(benchmark::State& state) {
    OpenFixture& f = OpenFixture::Get();
    for (auto _ : state) {
        auto doc = std::make_unique<CVorlixDoc>(GeneratedFiles::Get().Dir());
        RawFileLoader loader;
        LoadResult r = loader.OpenNewFile(*doc, f.raw);
        if (!r.segmentRead || r.analysisFailed)
            state.SkipWithError(r.message.c_str());
    }
}
BENCHMARK(BM_OpenInNewDocument)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
