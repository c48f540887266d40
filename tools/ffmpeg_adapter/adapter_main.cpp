#include "tools/ffmpeg_adapter/adapter_main.h"

#include <cstdio>
#include <cstdlib>

#include "tools/ffmpeg_adapter/locate.h"
#include "tools/ffmpeg_adapter/translate.h"

namespace ffmpeg_adapter {

int RunAdapter(const std::vector<std::string>& args, const RunFfmpeg& run) {
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
    return run(*ffmpeg, TranslateArguments(args));
}

}  // namespace ffmpeg_adapter
