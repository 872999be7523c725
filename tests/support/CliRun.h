#pragma once

#include "support/TempDir.h"

#include <cstdio>
#include <string>
#include <sys/wait.h>

// What a command run by the shell returned and wrote.
struct CliRun {
    int code = -1;
    std::string out, err;
};

// `command` run in dir, with stdout on a pipe and stderr in dir/stderr.txt.
inline CliRun RunShell(const std::string& command, const TempDir& dir) {
    const std::string errors = dir.File("stderr.txt");
    std::FILE* pipe =
        popen(("cd '" + dir.Path() + "' && " + command + " 2>'" + errors + "'").c_str(), "r");
    CliRun run;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errors);
    return run;
}

// vorlix-cli run in dir.
inline CliRun RunCli(const std::string& arguments, const TempDir& dir) {
    return RunShell(std::string(VORLIX_CLI_PATH) + " " + arguments, dir);
}
