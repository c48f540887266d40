// DLL\\ffmpeg.exe: accepts Vantrel's legacy encoder command lines (conversion and probe) and
// runs FFmpeg with today's syntax, passing its output and exit status back. Vantrel starts it
// in a job object that ends it, and the FFmpeg it runs, when Vantrel ends.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/console.h"
#include "tools/ffmpeg_adapter/locate.h"
#include "tools/ffmpeg_adapter/relay_windows.h"
#include "tools/ffmpeg_adapter/translate.h"

int main(int argc, char** argv) {
    using namespace ffmpeg_adapter;
    if (std::getenv(kNestedMarker) != nullptr) {
        std::fprintf(stderr,
                     "vantrel: the FFmpeg found is another Vantrel adapter; install ffmpeg or set "
                     "VANTREL_FFMPEG\n");
        return 127;
    }
    std::string problem;
    const auto ffmpeg = LocateFfmpeg(&problem);
    if (!ffmpeg) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 127;
    }
    return RunAndRelay(*ffmpeg, TranslateArguments(platform::ProgramArguments(argc, argv)));
}
