// DLL/ffmpeg: accepts Vantrel's legacy encoder command lines (conversion and probe) and runs
// the installed FFmpeg with today's syntax, passing its output and exit status back.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/ffmpeg_adapter/locate_posix.h"
#include "tools/ffmpeg_adapter/relay_posix.h"
#include "tools/ffmpeg_adapter/translate.h"

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
