#pragma once

#include <csignal>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs `call` in a forked child whose files cannot grow beyond `bytes`: a write beyond fails
// with EFBIG, as on a full device, and the limit never reaches the test process. Returns what
// `call` returned, or a note that the child died.
inline std::string InChildWithFileSizeLimit(rlim_t bytes,
                                            const std::function<std::string()>& call) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::string said = call();
        for (std::size_t done = 0; done < said.size();) {
            const ssize_t put = write(pipeEnds[1], said.data() + done, said.size() - done);
            if (put <= 0)
                break;
            done += static_cast<std::size_t>(put);
        }
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string said;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? said
                                                                      : "the child process died";
}
