// DLL/ffmpeg: accepts Vantrel's legacy encoder command lines (conversion and probe) and runs
// the installed FFmpeg with today's syntax, passing its output and exit status back.
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/ffmpeg_adapter/adapter_main.h"
#include "tools/ffmpeg_adapter/locate_posix.h"
#include "tools/ffmpeg_adapter/relay_posix.h"

int main(int argc, char** argv) {
    using namespace ffmpeg_adapter;
    const bool parentPipe = TakeParentPipe();
    EndWithParent(parentPipe);
    return RunAdapter(std::vector<std::string>(argv + 1, argv + argc),
                      [parentPipe](const std::string& ffmpeg, std::vector<std::string> args) {
                          ::setenv(kNestedMarker, "1", 1);
                          return RunAndRelay(ffmpeg, args, parentPipe);
                      });
}
