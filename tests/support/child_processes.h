#pragma once
// Real child processes for tests of what several copies of the program do to
// shared files at once. They are forked, which Windows cannot do: only the
// _linux tests use them.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <vector>

// Runs body(i) for i in [0, count) in forked children, all at once, and
// returns their exit codes (body's result; -1 for a child that crashed).
inline std::vector<int> RunInChildProcesses(int count, const std::function<int(int)>& body) {
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = fork();
        if (pid == 0) _exit(body(i));
        if (pid > 0) children.push_back(pid);
    }
    std::vector<int> codes;
    for (const pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    return codes;
}
