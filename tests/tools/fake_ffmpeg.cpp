// A stand-in for FFmpeg in the adapter's tests. It prints the arguments it received to
// standard output and a progress line to standard error, then behaves as the environment says:
//   FAKE_FFMPEG_PIDFILE  write our pid to this file (complete once it exists)
//   FAKE_FFMPEG_SPLIT    print a progress line in three writes that split "KiB"
//   FAKE_FFMPEG_NO_ENCODER  act out an FFmpeg without this encoder: when an argument names it,
//                        say so as FFmpeg does (in two writes) and exit 1
//   FAKE_FFMPEG_IGNORE_TERM  ignore SIGTERM, SIGINT and SIGHUP, as FFmpeg blocked opening a
//                        FIFO does
//   FAKE_FFMPEG_SLEEP    sleep this many seconds (SIGTERM ends us as usual)
//   FAKE_FFMPEG_SIGNAL   die of this signal
//   FAKE_FFMPEG_EXIT     exit with this status (default 0)
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Write(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

int EnvInt(const char* name, int otherwise) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::atoi(value) : otherwise;
}

}  // namespace

int main(int argc, char** argv) {
    if (EnvInt("FAKE_FFMPEG_IGNORE_TERM", 0) != 0) {
        for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::signal(signal, SIG_IGN);
    }
    std::string args;
    for (int i = 1; i < argc; ++i) args += "arg[" + std::to_string(i) + "]=" + argv[i] + "\n";
    Write(STDOUT_FILENO, args);
    Write(STDERR_FILENO, "frame=   21 size=     256KiB time=00:00:01.05 from MyKiBook.avi\n");

    if (const char* pidFile = std::getenv("FAKE_FFMPEG_PIDFILE")) {
        const std::string partial = std::string(pidFile) + ".part";
        if (FILE* out = std::fopen(partial.c_str(), "w")) {
            std::fprintf(out, "%d\n", static_cast<int>(::getpid()));
            std::fclose(out);
            std::rename(partial.c_str(), pidFile);
        }
    }
    if (const char* missing = std::getenv("FAKE_FFMPEG_NO_ENCODER")) {
        for (int i = 1; i < argc; ++i) {
            if (std::string(argv[i]) == missing) {
                Write(STDERR_FILENO, "[fatal] Unknown encoder '");
                ::usleep(10000);
                Write(STDERR_FILENO, std::string(missing) + "'\n");
                return 1;
            }
        }
    }
    if (EnvInt("FAKE_FFMPEG_SPLIT", 0) != 0) {
        Write(STDERR_FILENO, "size=      12K");
        ::usleep(10000);
        Write(STDERR_FILENO, "i");
        ::usleep(10000);
        Write(STDERR_FILENO, "B time=00:00:02.00\n");
    }
    for (int left = EnvInt("FAKE_FFMPEG_SLEEP", 0); left > 0; left = ::sleep(left)) {
    }
    if (const int signal = EnvInt("FAKE_FFMPEG_SIGNAL", 0))
        ::raise(signal);
    return EnvInt("FAKE_FFMPEG_EXIT", 0);
}
