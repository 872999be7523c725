#include "GeneratedFiles.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

// Peak memory of `vorlix-cli export -j N` on a file of three segments, as the operating system
// counts it for the child process (its largest resident set). Each worker has a document of
// its own, so the peak grows by about one document per job.

namespace {

void BM_CliExportPeakMemory(benchmark::State& state) {
    GeneratedFiles& files = GeneratedFiles::Get();
    static const std::string raw = files.Make("memory", 30'000);
    std::string cli = VORLIX_CLI_PATH, command = "export", workdirOption = "--workdir",
                workdir = files.Dir(), jobs = "-j" + std::to_string(state.range(0));
    char* argv[] = {cli.data(),  command.data(),       const_cast<char*>(raw.c_str()),
                    jobs.data(), workdirOption.data(), workdir.data(),
                    nullptr};
    long peakKb = 0;
    for (auto _ : state) {
        // The child's count starts from this process's own peak (the spawn runs on its memory
        // until the exec), which the benchmarks before this one have raised; start it afresh
        // from what this process holds now.
        if (std::FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", clear);
            std::fclose(clear);
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int failed = posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        if (failed != 0) {
            state.SkipWithError("cannot start vorlix-cli");
            return;
        }
        int status = 0;
        struct rusage usage {};
        wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("vorlix-cli export failed");
            return;
        }
        peakKb = std::max(peakKb, usage.ru_maxrss);
    }
    state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
}
BENCHMARK(BM_CliExportPeakMemory)
    ->ArgName("j")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace
