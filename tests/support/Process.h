// Child processes for the native tests: started with posix_spawn, awaited with a bound.
#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace testsupport {

// Starts args[0] with args; stdout and stderr go to the named files when given. -1 on failure.
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& stdoutFile = "",
                   const std::string& stderrFile = "") {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const auto& [fd, file] : {std::pair{1, &stdoutFile}, std::pair{2, &stderrFile}})
        if (!file->empty())
            posix_spawn_file_actions_addopen(&actions, fd, file->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Waits at most timeoutMs for pid to end, and then sets pid to -1. The exit code; -1 unless it ended
// normally (not by a signal) within the time.
inline int WaitExit(pid_t& pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pid > 0) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

// Ends pid at once (if it still runs) and reaps it.
inline void Kill(pid_t& pid) {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

} // namespace testsupport
