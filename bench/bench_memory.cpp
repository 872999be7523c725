#include "GeneratedFiles.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

// Peak memory of `vorlix-cli export` on a file of three segments, as the operating system
// counts it for the child process (its largest resident set).

namespace {

void BM_CliExportPeakMemory(benchmark::State& state) {
    GeneratedFiles& files = GeneratedFiles::Get();
    static const std::string raw = files.Make("memory", 30'000);
    std::string cli = VORLIX_CLI_PATH, command = "export", workdirOption = "--workdir",
                workdir = files.Dir();
    char* argv[] = {cli.data(),           command.data(), const_cast<char*>(raw.c_str()),
                    workdirOption.data(), workdir.data(), nullptr};
    long peakKb = 0;
    for (auto _ : state) {
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
BENCHMARK(BM_CliExportPeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
