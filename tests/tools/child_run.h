// Test helper: running a program with its standard output and standard error on one pipe,
// either to the end or started and handed back for signalling.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace testing_support {

struct Started {
    pid_t pid = -1;
    int output = -1;  // read end of the program's stdout+stderr
};

// Starts `args` (args[0] a path) with our environment, and `stdinFd` as its standard input
// when one is given; pid -1 when that failed.
inline Started StartProgram(const std::vector<std::string>& args, int stdinFd = -1) {
    Started started;
    int fds[2];
    if (::pipe(fds) != 0)
        return started;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
    if (stdinFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, stdinFd, STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (error != 0) {
        ::close(fds[0]);
        return started;
    }
    started.pid = pid;
    started.output = fds[0];
    return started;
}

// Reads what arrives within `timeoutMs` (stopping early at the end of the output).
inline std::string ReadFor(int fd, int timeoutMs, bool* ended = nullptr) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            break;
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(left)) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            if (ended != nullptr)
                *ended = true;
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

// The exit status as a shell reports it: the code, or 128 + the signal; -1 when the program
// did not end within `timeoutMs` (it is then killed).
inline int WaitForExit(pid_t pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (done < 0)
            return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        ::usleep(5000);
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

struct Finished {
    std::string output;
    int status = -1;
};

// Runs `args` to the end (at most `timeoutMs`) and collects everything it printed.
inline Finished RunProgram(const std::vector<std::string>& args, int timeoutMs = 30000) {
    Finished finished;
    const Started started = StartProgram(args);
    if (started.pid < 0)
        return finished;
    finished.output = ReadFor(started.output, timeoutMs);
    ::close(started.output);
    finished.status = WaitForExit(started.pid, timeoutMs);
    return finished;
}

}  // namespace testing_support
