#include "platform/shell.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace platform {
namespace {

int CodeFromOpenerExit(int status) {
    if (!WIFEXITED(status))
        return kShellOutOfResources;
    switch (WEXITSTATUS(status)) {
        case 0:
            return kShellOk;
        case 2:
            return kShellFileNotFound;  // xdg-open: the file does not exist
        case 3:
            return kShellNoAssociation;  // a required tool was not found
        case 4:
            return kShellNoAssociation;  // the action failed
        default:
            return kShellOutOfResources;
    }
}

class XdgOpenShell final : public Shell {
public:
    int Open(const std::string& target) override {
        std::string program = "xdg-open";
        char* argv[] = {program.data(), const_cast<char*>(target.c_str()), nullptr};
        posix_spawnattr_t attr;
        posix_spawnattr_init(&attr);
        // Its own session, so that closing Vantrel does not take the opened program along.
        posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
        pid_t pid = -1;
        const int rc = posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv, environ);
        posix_spawnattr_destroy(&attr);
        if (rc != 0)
            return kShellNoAssociation;

        // xdg-open returns once it has handed the target over; wait a little for its verdict,
        // then let it finish on its own (reaped in the background, never a zombie).
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid)
                return CodeFromOpenerExit(status);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::thread([pid] {
            int status = 0;
            ::waitpid(pid, &status, 0);
        }).detach();
        return kShellOk;
    }
};

}  // namespace

Shell& DesktopShell() {
    static XdgOpenShell shell;
    return shell;
}

}  // namespace platform
