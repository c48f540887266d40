// DLL/ffmpeg: accepts Vantrel's legacy encoder command lines (conversion and probe) and runs
// the installed FFmpeg with today's syntax, passing its output and exit status back.
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/process.h"
#include "tools/ffmpeg_adapter/locate_posix.h"
#include "tools/ffmpeg_adapter/relay_posix.h"
#include "tools/ffmpeg_adapter/translate.h"

namespace {

// True when Vantrel started us with a pipe as standard input that it holds and never writes:
// its end is our parent's death. The variable goes no further than us.
bool TakeParentPipe() {
    const char* value = std::getenv(platform::kParentPipeVariable);
    const bool told = value != nullptr && std::strcmp(value, platform::kParentPipeStdin) == 0;
    ::unsetenv(platform::kParentPipeVariable);
    struct stat st {};
    return told && ::fstat(STDIN_FILENO, &st) == 0 && S_ISFIFO(st.st_mode);
}

// True when the pipe our parent holds has already ended.
bool ParentPipeEnded() {
    pollfd entry{STDIN_FILENO, POLLIN, 0};
    char byte;
    return ::poll(&entry, 1, 0) == 1 && ::read(STDIN_FILENO, &byte, 1) == 0;
}

// When the program that started us dies, we get SIGTERM and stop FFmpeg as for any stop signal.
// The parent may have died before we could ask for that, even before we could read its id, so
// a parent already gone is seen through its pipe (or, without one, by a new parent id).
void EndWithParent(bool parentPipe) {
#ifdef __linux__
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        std::exit(128 + SIGTERM);
#endif
    if (parentPipe && ParentPipeEnded())
        std::exit(128 + SIGTERM);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace ffmpeg_adapter;
    if (std::getenv(kNestedMarker) != nullptr) {
        std::fprintf(stderr,
                     "vantrel: the FFmpeg found is another Vantrel adapter; install ffmpeg or set "
                     "VANTREL_FFMPEG\n");
        return 127;
    }
    const bool parentPipe = TakeParentPipe();
    EndWithParent(parentPipe);

    std::string problem;
    const auto ffmpeg = LocateFfmpeg(&problem);
    if (!ffmpeg) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 127;
    }
    ::setenv(kNestedMarker, "1", 1);
    return RunAndRelay(*ffmpeg, TranslateArguments(std::vector<std::string>(argv + 1, argv + argc)),
                       parentPipe);
}
