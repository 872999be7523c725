#include "analysis/FixedPointFormat.h"
#include "pipeline/ResultExport.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

// The text lines of one segment's result export, about 47,000 results of one foot each, into
// one buffer as the export writes them: with the exact fixed-point formatter and with
// snprintf. The counter is the time per line.

namespace {

constexpr int kLines = 47'000;

struct Results {
    std::vector<float> distance, value;
};

const Results& SegmentResults() {
    static const Results results = [] {
        Results r;
        std::mt19937 random(12345);
        std::normal_distribution<float> noise(0.0f, 1.5f);
        for (int j = 0; j < kLines; ++j) {
            r.distance.push_back(1250.37f + static_cast<float>(j));
            r.value.push_back(12.0f + 8.0f * std::sin(static_cast<float>(j) * 0.01f) +
                              noise(random));
        }
        return r;
    }();
    return results;
}

void SetRate(benchmark::State& state) {
    state.counters["per_line"] = benchmark::Counter(
        kLines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FormatSegment_FixedPoint(benchmark::State& state) {
    const Results& r = SegmentResults();
    std::vector<char> text(static_cast<std::size_t>(kLines) * 32 + 128);
    for (auto _ : state) {
        std::size_t used = 0;
        for (int j = 0; j < kLines; ++j)
            used += resultexport::FormatResultLine(r.distance[j], r.value[j], text.data() + used,
                                                   text.size() - used);
        benchmark::DoNotOptimize(text.data());
        benchmark::DoNotOptimize(used);
    }
    SetRate(state);
}

void BM_FormatSegment_Snprintf(benchmark::State& state) {
    const Results& r = SegmentResults();
    std::vector<char> text(static_cast<std::size_t>(kLines) * 32 + 128);
    for (auto _ : state) {
        std::size_t used = 0;
        for (int j = 0; j < kLines; ++j)
            used += static_cast<std::size_t>(
                std::snprintf(text.data() + used, text.size() - used, " %10.2f %10.4f\r\n",
                              static_cast<double>(r.distance[j]), static_cast<double>(r.value[j])));
        benchmark::DoNotOptimize(text.data());
        benchmark::DoNotOptimize(used);
    }
    SetRate(state);
}

// One column on its own, the formatter's share of a line.
void BM_FormatValue_FixedPoint(benchmark::State& state) {
    const Results& r = SegmentResults();
    char text[64];
    for (auto _ : state) {
        int used = 0;
        for (int j = 0; j < kLines; ++j)
            used += FormatFixed(static_cast<double>(r.value[j]), 4, 10, text, sizeof text);
        benchmark::DoNotOptimize(used);
    }
    SetRate(state);
}

} // namespace

BENCHMARK(BM_FormatSegment_FixedPoint)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FormatSegment_Snprintf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FormatValue_FixedPoint)->Unit(benchmark::kMillisecond)->UseRealTime();
