#include "analysis/ButterworthDesign.h"
#include "analysis/SosFilter.h"
#include "analysis/SosPairCascade.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <thread>
#include <vector>

// The deflection analysis band-passes a load and a geophone signal of up to 3,200,000 samples
// each with an order-9 design (9 sections), both through one cascade; the pair benchmarks run
// each path (argument 0 portable, 1 AVX2, 2 AVX-512). The counter is the time per sample,
// section and signal.

namespace {

constexpr std::size_t kSamples = 3'200'000;

std::vector<double> Signal(unsigned seed) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> noise(0.0, 0.5);
    std::vector<double> x(kSamples);
    for (std::size_t i = 0; i < kSamples; ++i)
        x[i] = 10.0 * std::sin(2.0 * 3.141592653589793 * 30.0 * static_cast<double>(i) / 1000.0) +
               noise(rng);
    return x;
}

SosFilter Design() {
    SosFilter f;
    DesignButterworthBandPass(9, 1000.0, 25.0, 35.0, f);
    return f;
}

void SetRate(benchmark::State& state, std::size_t signals, std::size_t sections) {
    // An inverted rate: seconds per sample, section and signal (shown as e.g. "0.7ns").
    const double work = static_cast<double>(kSamples * signals * sections);
    state.counters["per_sample_section"] = benchmark::Counter(
        work, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ApplySos_Single(benchmark::State& state) {
    const SosFilter f = Design();
    const std::vector<double> input = Signal(1);
    std::vector<double> x;
    for (auto _ : state) {
        state.PauseTiming();
        x = input;
        state.ResumeTiming();
        ApplySos(f, x.data(), x.size());
        benchmark::DoNotOptimize(x.data());
    }
    SetRate(state, 1, f.sections.size());
}

constexpr SosPath kPaths[] = {SosPath::Portable, SosPath::Avx2, SosPath::Avx512};
constexpr const char* kPathNames[] = {"portable", "avx2", "avx512"};

// Runs the benchmark on the path of its argument, or skips it where the CPU lacks that path.
bool UsePath(benchmark::State& state, const SosFilter& f, SosPath& path) {
    path = kPaths[state.range(0)];
    state.SetLabel(kPathNames[state.range(0)]);
    if (SosPairCascade(f, path).Path() != path) {
        state.SkipWithError("this CPU does not run the path");
        return false;
    }
    return true;
}

// Both signals in place in double, as the analysis library's pair band-pass does.
void BM_SosPair_Double(benchmark::State& state) {
    const SosFilter f = Design();
    SosPath path;
    if (!UsePath(state, f, path))
        return;
    const std::vector<double> inA = Signal(1), inB = Signal(2);
    std::vector<double> a, b;
    for (auto _ : state) {
        state.PauseTiming();
        a = inA;
        b = inB;
        state.ResumeTiming();
        SosPairCascade(f, path).Filter(a.data(), b.data(), a.data(), b.data(), a.size());
        benchmark::DoNotOptimize(a.data());
        benchmark::DoNotOptimize(b.data());
    }
    SetRate(state, 2, f.sections.size());
}

// Float signals in, float results out, as the deflection analysis filters a segment.
void BM_SosPair_Float(benchmark::State& state) {
    const SosFilter f = Design();
    SosPath path;
    if (!UsePath(state, f, path))
        return;
    const std::vector<double> inA = Signal(1), inB = Signal(2);
    const std::vector<float> a(inA.begin(), inA.end()), b(inB.begin(), inB.end());
    std::vector<float> outA(kSamples), outB(kSamples);
    for (auto _ : state) {
        SosPairCascade(f, path).Filter(a.data(), b.data(), outA.data(), outB.data(), a.size());
        benchmark::DoNotOptimize(outA.data());
        benchmark::DoNotOptimize(outB.data());
    }
    SetRate(state, 2, f.sections.size());
}

// The alternative to the pair kernel: one signal per thread on the two cores.
void BM_ApplySos_TwoThreads(benchmark::State& state) {
    const SosFilter f = Design();
    const std::vector<double> inA = Signal(1), inB = Signal(2);
    std::vector<double> a, b;
    for (auto _ : state) {
        state.PauseTiming();
        a = inA;
        b = inB;
        state.ResumeTiming();
        std::thread other([&] { ApplySos(f, b.data(), b.size()); });
        ApplySos(f, a.data(), a.size());
        other.join();
        benchmark::DoNotOptimize(a.data());
        benchmark::DoNotOptimize(b.data());
    }
    SetRate(state, 2, f.sections.size());
}

} // namespace

BENCHMARK(BM_ApplySos_Single)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SosPair_Double)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SosPair_Float)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ApplySos_TwoThreads)->Unit(benchmark::kMillisecond)->UseRealTime();
