// A stand-in for FFmpeg in the engine's tests. It takes FFmpeg's command lines
// ("-y -i SRC ... OUT" for a conversion, "-i SRC" for a probe) and acts out a script: the file
// named by FAKE_ENCODER_SCRIPT, else SRC.fake beside the input, else FFmpeg's usual behaviour
// (see RunDefault). Script commands are listed in Run below.
#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fake_script.h"
#include "platform/console.h"

namespace fake_encoder {
namespace {

struct Invocation {
    std::vector<std::string> argv;
    std::string source;  // after "-i"; "" when there is none
    std::string output;  // the last argument when it follows the source; "" for a probe
};

Invocation ParseArgs(int argc, char** argv) {
    Invocation call;
    call.argv = platform::ProgramArguments(argc, argv);
    call.argv.insert(call.argv.begin(), argc > 0 ? argv[0] : "fake_encoder");
    argc = static_cast<int>(call.argv.size());
    int sourceIndex = -1;
    for (int i = 1; i + 1 < argc; ++i) {
        if (call.argv[i] == "-i") {
            sourceIndex = i + 1;
            call.source = call.argv[sourceIndex];
            break;
        }
    }
    if (sourceIndex > 0 && argc - 1 > sourceIndex)
        call.output = call.argv[argc - 1];
    return call;
}

// A path given in UTF-8, for the standard library's files.
std::filesystem::path FsPath(const std::string& path) {
    return std::filesystem::u8path(path);
}

void WriteAll(int fd, const std::string& text) {
#ifdef _WIN32
    HANDLE to = ::GetStdHandle(fd == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD n = 0;
        if (!::WriteFile(to, text.data() + done, static_cast<DWORD>(text.size() - done), &n,
                         nullptr) ||
            n == 0)
            return;  // output closed: like FFmpeg we simply go on
        done += n;
    }
#else
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0)
            return;  // output closed: like FFmpeg we simply go on
        done += static_cast<std::size_t>(n);
    }
#endif
}

void AppendToFile(const std::string& path, const std::string& text) {
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::app);
    out << text;
}

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(FsPath(path), error);
}

void SleepMs(long ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

long OwnId() {
#ifdef _WIN32
    return static_cast<long>(::GetCurrentProcessId());
#else
    return static_cast<long>(::getpid());
#endif
}

std::string Banner(const Invocation& call) {
    return "ffmpeg version 5.1.fake Copyright (c) 2000-2022 the FFmpeg developers\n"
           "  built with gcc 12 (Debian 12.2.0-14)\n"
           "Input #0, avi, from '" +
           call.source +
           "':\n"
           "  Duration: 00:00:02.00, start: 0.000000, bitrate: 1536 kb/s\n"
           "  Stream #0:0: Video: mpeg4 (Simple Profile) (FMP4 / 0x34504D46), yuv420p, "
           "320x240, 25 fps, 25 tbr, 25 tbn\n"
           "  Stream #0:1: Audio: mp3 (U[0][0][0] / 0x0055), 44100 Hz, stereo, fltp, "
           "128 kb/s\n";
}

// Like FFmpeg with -y, the first write replaces whatever the output file held; later writes
// add to it. Writing 0 bytes still creates the file.
void WriteOutputBytes(const Invocation& call, long bytes) {
    static bool opened = false;
    // "-": FFmpeg's standard output, as a read-back check decoding to nothing uses it.
    if (call.output.empty() || call.output == "-" || bytes < 0)
        return;
    std::ofstream out(FsPath(call.output),
                      std::ios::binary | (opened ? std::ios::app : std::ios::trunc));
    opened = true;
    out << std::string(static_cast<std::size_t>(bytes), 'F');
}

// Progress lines as FFmpeg prints them, each ending in "\r", with the output growing to match.
void Progress(const Invocation& call, int lines) {
    long writtenKb = 0;
    for (int i = 1; i <= lines; ++i) {
        const long kb = 4L * i;
        WriteOutputBytes(call, (kb - writtenKb) * 1024);
        writtenKb = kb;
        char line[160];
        std::snprintf(line, sizeof line,
                      "frame=%5d fps=0.0 q=2.0 size=%8ldkB time=00:00:%02d.%02d "
                      "bitrate=  81.9kbits/s speed=0.8x    \r",
                      10 * i, kb, (i * 40) / 100, (i * 40) % 100);
        WriteAll(2, line);
        SleepMs(20);
    }
}

int RunDefault(const Invocation& call) {
    if (!call.source.empty() && !Exists(call.source)) {
        WriteAll(2, call.source + ": No such file or directory\n");
        return 1;
    }
    WriteAll(2, Banner(call));
    if (call.output.empty()) {
        WriteAll(2, "At least one output file must be specified\n");
        return 1;
    }
    WriteAll(2, "Output #0, flv, to '" + call.output +
                    "':\nStream mapping:\n  Stream #0:0 -> #0:0 (mpeg4 (native) -> flv1 "
                    "(flv))\nPress [q] to stop, [?] for help\n");
    Progress(call, 5);
    WriteAll(2,
             "\nvideo:18kB audio:2kB subtitle:0kB other streams:0kB global headers:0kB "
             "muxing overhead: 1.0%\n");
    return 0;
}

#ifdef _WIN32

// Windows keeps no numbered list of open handles to show.
void ListFds(const std::string& file) {
    AppendToFile(file, "");
}

// Whether our stdin has something to read, is closed, or neither within 200 ms.
void ReadStdin(const std::string& file) {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    std::string verdict = "none";
    for (int i = 0; i < 20 && verdict == "none"; ++i) {
        DWORD available = 0;
        if (!::PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr))
            verdict = ::GetLastError() == ERROR_BROKEN_PIPE ? "eof" : "error";
        else if (available > 0)
            verdict = "data";
        else
            SleepMs(10);
    }
    AppendToFile(file, verdict + "\n");
}

// A grandchild (this program, sleeping) that runs as long as we do or longer; its id goes
// to `file`.
void SpawnChild(const std::string& file) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"fake_encoder --sleep-child";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                         nullptr, nullptr, &startup, &info)) {
        AppendToFile(file, std::to_string(info.dwProcessId) + "\n");
        ::CloseHandle(info.hThread);
        ::CloseHandle(info.hProcess);
    }
}

void CloseOutput() {
    HANDLE null = ::CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    ::SetStdHandle(STD_OUTPUT_HANDLE, null);
    ::SetStdHandle(STD_ERROR_HANDLE, null);
    ::CloseHandle(out);
    if (err != out)
        ::CloseHandle(err);
}

void Crash() {
    ::TerminateProcess(::GetCurrentProcess(), 0xC0000005);  // as an access violation ends one
}

// On Windows the stop request comes as a line on stdin (the SIGTERM of a console program):
// we end as SIGTERM would end us, unless told to ignore it.
std::atomic<bool> g_ignoreStop{false};

void WatchStopRequests() {
    std::thread([] {
        HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        char buffer[64];
        DWORD read = 0;
        while (::ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            if (std::find(buffer, buffer + read, '\n') != buffer + read && !g_ignoreStop.load())
                ::ExitProcess(128 + 15);
        }
    }).detach();
}

void IgnoreStop() {
    g_ignoreStop.store(true);
}

void Hang() {
    for (;;) ::Sleep(INFINITE);
}

#else

void ListFds(const std::string& file) {
    std::vector<int> fds;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        const int own = ::dirfd(dir);
        while (dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            const int fd = std::atoi(entry->d_name);
            if (fd != own)
                fds.push_back(fd);
        }
        ::closedir(dir);
    }
    std::sort(fds.begin(), fds.end());
    std::string text;
    for (int fd : fds) text += std::to_string(fd) + "\n";
    AppendToFile(file, text);
}

// "none" when nothing can be read from stdin within a short time, "eof" when it is closed,
// "data" when something arrived.
void ReadStdin(const std::string& file) {
    pollfd entry{0, POLLIN, 0};
    std::string verdict = "none";
    if (::poll(&entry, 1, 200) > 0) {
        char byte;
        const ssize_t n = ::read(0, &byte, 1);
        verdict = n > 0 ? "data" : n == 0 ? "eof" : "error";
    }
    AppendToFile(file, verdict + "\n");
}

// A grandchild in our process group that sleeps; its pid goes to `file`.
void SpawnChild(const std::string& file) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::sleep(30);
        ::_exit(0);
    }
    AppendToFile(file, std::to_string(pid) + "\n");
}

// Our stdout and stderr go to /dev/null, so the reader sees the end of the output while we
// keep running.
void CloseOutput() {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::close(null);
}

void Crash() {
    rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::signal(SIGSEGV, SIG_DFL);
    ::raise(SIGSEGV);
}

void WatchStopRequests() {}  // SIGTERM's default action ends us

void IgnoreStop() {
    ::signal(SIGTERM, SIG_IGN);
}

void Hang() {
    for (;;) ::pause();
}

#endif

// Runs the script; returns the exit code.
int Run(const Invocation& call, const std::vector<Command>& script) {
    for (const Command& command : script) {
        const std::string& name = command.name;
        const std::string& arg = command.argument;
        if (name == "print") {  // TEXT to stdout, escapes applied, no newline added
            WriteAll(1, Unescape(arg));
        } else if (name == "eprint") {  // the same to stderr
            WriteAll(2, Unescape(arg));
        } else if (name == "banner") {  // FFmpeg's description of the input, to stderr
            WriteAll(2, Banner(call));
        } else if (name == "progress") {  // N progress lines, output file growing with them
            Progress(call, std::atoi(arg.c_str()));
        } else if (name == "default") {  // FFmpeg's usual behaviour, then exit
            return RunDefault(call);
        } else if (name == "sleep") {  // MS
            SleepMs(std::atol(arg.c_str()));
        } else if (name == "write-output") {  // append BYTES bytes to the output file
            WriteOutputBytes(call, std::atol(arg.c_str()));
        } else if (name == "close-output") {
            CloseOutput();
        } else if (name == "hang") {
            Hang();
        } else if (name == "ignore-term") {  // SIGTERM, or on Windows the stop request
            IgnoreStop();
        } else if (name == "spawn-child") {  // FILE receives the grandchild's pid
            SpawnChild(arg);
        } else if (name == "write-pid") {  // FILE receives our pid
            AppendToFile(arg, std::to_string(OwnId()) + "\n");
        } else if (name == "exit") {  // CODE
            return std::atoi(arg.c_str());
        } else if (name == "crash") {
            Crash();
        } else if (name == "log-args") {  // FILE receives argv, one per line
            std::string text;
            for (const std::string& a : call.argv) text += a + "\n";
            AppendToFile(arg, text);
        } else if (name == "list-fds") {  // FILE receives our open descriptors, one per line
            ListFds(arg);
        } else if (name == "read-stdin") {  // FILE receives "none", "eof" or "data"
            ReadStdin(arg);
        } else {
            WriteAll(2, "fake encoder: unknown script command '" + name + "'\n");
            return 99;
        }
    }
    return 0;
}

bool LoadScript(const Invocation& call, std::string* text) {
    std::string path;
    if (const char* env = std::getenv("FAKE_ENCODER_SCRIPT"); env && *env) {
        path = env;
    } else if (!call.source.empty() && Exists(call.source + ".fake")) {
        path = call.source + ".fake";
    } else {
        return false;
    }
    std::ifstream in(FsPath(path), std::ios::binary);
    if (!in) {
        WriteAll(2, "fake encoder: cannot read script " + path + "\n");
        std::exit(98);
    }
    std::ostringstream content;
    content << in.rdbuf();
    *text = content.str();
    return true;
}

}  // namespace
}  // namespace fake_encoder

int main(int argc, char** argv) {
    using namespace fake_encoder;
    if (argc == 2 && std::string(argv[1]) == "--sleep-child") {
        SleepMs(30000);
        return 0;
    }
    const Invocation call = ParseArgs(argc, argv);
    std::string script;
    if (!LoadScript(call, &script))
        return RunDefault(call);
    // A script that reads stdin itself gets it to itself.
    if (script.find("read-stdin") == std::string::npos)
        WatchStopRequests();
    return Run(call, ParseScript(script));
}
