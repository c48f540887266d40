// Questions the process tests ask about other processes: is it still alive, was our child
// reaped, and the pid a fake encoder wrote down.
#pragma once

#include <errno.h>
#include <sys/types.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace testing_support {

// True while `pid` exists and is not a zombie (a zombie has ended; only its parent's wait is
// missing).
inline bool IsAlive(pid_t pid) {
#ifdef _WIN32
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr)
        return false;
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
#endif
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return false;
    const std::size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z' &&
           text[close + 2] != 'X';
}

// Waits up to two seconds for `pid` to end; true when it has.
inline bool EndsSoon(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (IsAlive(pid)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// True when `pid`, a child of this process, has already been reaped: it can be waited for no
// more. (A zombie would be reaped by this call and give false.)
inline bool WasReaped(pid_t pid) {
#ifdef _WIN32
    return !IsAlive(pid);  // nothing to reap: a process that has ended is gone
#else
    int status = 0;
    return ::waitpid(pid, &status, WNOHANG) == -1 && errno == ECHILD;
#endif
}

// The first number in `path` (a pid file the fake encoder wrote), or -1.
inline pid_t PidFromFile(const std::string& path) {
    std::ifstream in(path);
    long pid = -1;
    in >> pid;
    return static_cast<pid_t>(pid);
}

}  // namespace testing_support
