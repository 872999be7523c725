#include "analysis/Sections.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

// Sections and flags of a whole file's profile of 50,000 results (about 9.5 miles at one result
// a foot): ten levels with long waves, weak spots and noise, float32 values as the export reads
// them. Aimed at 10 ms or less.

namespace {

constexpr int kResults = 50'000;

const sections::Profile& RoadProfile() {
    static const sections::Profile profile = [] {
        sections::Profile p;
        std::mt19937 random(2024);
        std::normal_distribution<double> noise(0.0, 0.08);
        for (int i = 0; i < kResults; ++i) {
            const double level = 1.0 + 0.3 * ((i / 5000) % 3) - 0.1 * ((i / 5000) % 2);
            const double wave = 0.4 * std::sin(i / 270.0) + (i % 400 < 30 ? 1.2 : 0.0);
            p.distance.push_back(static_cast<float>(12.5 + i));
            p.value.push_back(static_cast<float>(4.6 * level + wave + noise(random)));
        }
        return p;
    }();
    return profile;
}

// range(0): merge (hundredths).
void BM_SectionsAndFlags(benchmark::State& state) {
    const sections::Profile& profile = RoadProfile();
    sections::Parameters parameters;
    parameters.section.merge = static_cast<double>(state.range(0)) / 100.0;
    std::size_t found = 0;
    for (auto _ : state) {
        const sections::Result result = sections::Analyse(profile, parameters);
        found = result.sections.size() + result.flags.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["sections_and_flags"] = static_cast<double>(found);
}
BENCHMARK(BM_SectionsAndFlags)
    ->ArgName("merge_x100")
    ->Arg(0)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond);

} // namespace
