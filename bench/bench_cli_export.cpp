#include "GeneratedFiles.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

// Whole-process timing of `vorlix-cli export` (and `sections`) as a user runs it, start to exit, on
// a file of one full segment (12,800 groups) and one of six, read from the page cache. Each
// iteration runs the tool kRuns times and reports the median; min and max come as counters. Set
// VORLIX_CLI to time another build of the tool (an earlier one, side by side).

namespace {

constexpr int kRuns = 7;

std::string CliPath() {
    const char* other = std::getenv("VORLIX_CLI");
    return other && *other ? other : VORLIX_CLI_PATH;
}

// Runs the tool once; the wall time in seconds, or a negative value when it failed.
double RunOnce(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return -1.0;
    int status = 0;
    waitpid(pid, &status, 0);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? took.count() : -1.0;
}

// `command` of the tool (export, sections) on a generated file. range(0): groups of the file;
// range(1): -j, or 0 for the tool's default.
void TimeWholeProcess(benchmark::State& state, const std::string& command) {
    GeneratedFiles& files = GeneratedFiles::Get();
    const int groups = static_cast<int>(state.range(0));
    const std::string raw = files.Make("cli" + std::to_string(groups), groups);
    std::vector<std::string> words = {CliPath(), command, raw, "--workdir", files.Dir()};
    if (state.range(1) > 0)
        words.push_back("-j" + std::to_string(state.range(1)));
    if (RunOnce(words) < 0) { // also warms the page cache
        state.SkipWithError(("vorlix-cli " + command + " failed").c_str());
        return;
    }
    std::vector<double> all;
    for (auto _ : state) {
        std::vector<double> runs;
        for (int r = 0; r < kRuns; ++r) {
            const double seconds = RunOnce(words);
            if (seconds < 0) {
                state.SkipWithError(("vorlix-cli " + command + " failed").c_str());
                return;
            }
            runs.push_back(seconds);
        }
        all.insert(all.end(), runs.begin(), runs.end());
        std::sort(runs.begin(), runs.end());
        state.SetIterationTime(runs[kRuns / 2]);
    }
    std::sort(all.begin(), all.end());
    state.counters["runs"] = static_cast<double>(all.size());
    state.counters["min_ms"] = all.front() * 1e3;
    state.counters["median_ms"] = all[all.size() / 2] * 1e3;
    state.counters["max_ms"] = all.back() * 1e3;
}

void BM_CliExportWholeProcess(benchmark::State& state) {
    TimeWholeProcess(state, "export");
}
BENCHMARK(BM_CliExportWholeProcess)
    ->ArgNames({"groups", "j"})
    ->Args({12'800, 0})
    ->Args({76'800, 0})
    ->Args({76'800, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

// The sections read every segment as the export does, then write two small CSV files instead
// of the results: aimed at no more than 1.2 times the export's time on the six segments.
void BM_CliSectionsWholeProcess(benchmark::State& state) {
    TimeWholeProcess(state, "sections");
}
BENCHMARK(BM_CliSectionsWholeProcess)
    ->ArgNames({"groups", "j"})
    ->Args({76'800, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

} // namespace
