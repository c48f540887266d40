// DLL\\ffmpeg.exe: accepts Vantrel's legacy encoder command lines (conversion and probe) and
// runs FFmpeg with today's syntax, passing its output and exit status back. Vantrel starts it
// in a job object that ends it, and the FFmpeg it runs, when Vantrel ends.
#include "platform/console.h"
#include "tools/ffmpeg_adapter/adapter_main.h"
#include "tools/ffmpeg_adapter/relay_windows.h"

int main(int argc, char** argv) {
    return ffmpeg_adapter::RunAdapter(platform::ProgramArguments(argc, argv),
                                      ffmpeg_adapter::RunAndRelay);
}
