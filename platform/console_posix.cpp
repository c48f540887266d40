#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/console.h"

namespace platform {
namespace {

int Descriptor(StdStream stream) {
    return stream == StdStream::Output ? STDOUT_FILENO : STDERR_FILENO;
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareConsole() {
    // A closed pipe on standard output must not kill us in the middle of a job.
    ::signal(SIGPIPE, SIG_IGN);
}

bool IsTerminal(StdStream stream) {
    return ::isatty(Descriptor(stream)) == 1;
}

int TerminalColumns(StdStream stream) {
    winsize size{};
    if (::ioctl(Descriptor(stream), TIOCGWINSZ, &size) == 0)
        return size.ws_col;
    return 0;
}

}  // namespace platform
