// vantrel-cli.exe in a Windows console, with the fake encoder as its DLL\ffmpeg.exe: Ctrl+C
// stops the batch as it does on a terminal elsewhere, and a partial file left by an earlier
// run is removed when nobody holds it and refused when another run does.
//
// Ctrl+C reaches the programs that share a console only. Under Wine that takes a console on a
// terminal: tests/cli/CMakeLists.txt runs this program on a pseudo-terminal.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/job.h"
#include "fake_tool.h"
#include "platform/fs.h"
#include "platform/wide_text.h"
#include "platform/windows_command_line.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

constexpr char kCli[] = VANTREL_BIN_DIR "/vantrel-cli.exe";
constexpr DWORD kRunLimitMs = 60000;

bool Exists(const std::string& path) {
    return std::filesystem::exists(std::filesystem::u8path(path));
}

// A handle that the child inherits as its standard output or error: a file, read back after.
HANDLE InheritableFile(const std::string& path) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(platform::WidePath(path).c_str(), GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// One vantrel-cli.exe in this program's console, its output in files of the test's folder.
class CliRun {
public:
    // Its output goes to `logs` + ".out" and ".err".
    CliRun(const std::string& program, const std::vector<std::string>& args,
           const std::string& logs)
        : outPath_(logs + ".out"), errPath_(logs + ".err") {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), args.begin(), args.end());
        std::wstring commandLine = platform::WideFromUtf8(platform::WindowsCommandLine(argv));
        HANDLE out = InheritableFile(outPath_);
        HANDLE err = InheritableFile(errPath_);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(platform::WideFromUtf8(program).c_str(), commandLine.data(), nullptr,
                             nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
            ::CloseHandle(info.hThread);
            process_ = info.hProcess;
        }
        ::CloseHandle(out);
        ::CloseHandle(err);
    }
    ~CliRun() {
        if (process_) {
            ::TerminateProcess(process_, 1);
            ::WaitForSingleObject(process_, INFINITE);
            ::CloseHandle(process_);
        }
    }
    CliRun(const CliRun&) = delete;
    CliRun& operator=(const CliRun&) = delete;

    bool Started() const { return process_ != nullptr; }

    // Its exit status; -1 when it ran past the limit (it is then ended).
    int Wait() {
        if (::WaitForSingleObject(process_, kRunLimitMs) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        ::GetExitCodeProcess(process_, &code);
        return static_cast<int>(code);
    }
    // Its standard output, lines ending in "\n" (it writes text, "\r\n" on Windows).
    std::string Out() const {
        std::string out = ReadFile(outPath_);
        for (std::size_t at; (at = out.find("\r\n")) != std::string::npos;) out.erase(at, 1);
        return out;
    }
    std::string Err() const { return ReadFile(errPath_); }

private:
    std::string outPath_;
    std::string errPath_;
    HANDLE process_ = nullptr;
};

// A copy of vantrel-cli.exe beside the fake encoder (tool\DLL\ffmpeg.exe), and its folders.
class CliConsoleTest : public ::testing::Test {
protected:
    CliConsoleTest() {
        std::filesystem::copy_file(std::filesystem::u8path(kCli), std::filesystem::u8path(Cli()));
    }
    std::string Cli() const { return folders.Tool() + "/vantrel-cli.exe"; }

    // One conversion at a time, in the order given.
    std::vector<std::string> Arguments(const std::vector<std::string>& sources) const {
        std::vector<std::string> args{"--jobs", "1", "--profile", "3", "--out", folders.Out()};
        args.insert(args.end(), sources.begin(), sources.end());
        return args;
    }

    int Run(const std::vector<std::string>& sources, std::string* out) {
        CliRun cli(Cli(), Arguments(sources), folders.Path("cli"));
        EXPECT_TRUE(cli.Started());
        const int status = cli.Wait();
        *out = cli.Out();
        EXPECT_NE(status, -1) << "it never ended";
        return status;
    }

    testing_support::EngineFolders folders;
};

// Waits until `part` holds at least `bytes`.
void WaitUntilWriting(const CliRun& cli, const std::string& part, std::uintmax_t bytes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    auto writing = [&] {
        std::error_code none;
        const std::uintmax_t size = std::filesystem::file_size(std::filesystem::u8path(part), none);
        return !none && size >= bytes;
    };
    while (!writing() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(writing()) << "the conversion never started: " << cli.Err();
}

// Presses Ctrl+C in the console and waits for `cli` to end. Ctrl+C goes to every program of
// the console: this one ignores it.
int PressCtrlC(CliRun& cli) {
    ::SetConsoleCtrlHandler(nullptr, TRUE);
    const bool sent = ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
    const DWORD why = ::GetLastError();
    EXPECT_TRUE(sent) << "no console to press Ctrl+C in (error " << why << ")";
    const int status = cli.Wait();
    ::SetConsoleCtrlHandler(nullptr, FALSE);
    return status;
}

TEST_F(CliConsoleTest, CtrlCStopsTheBatchAndLeavesNoPartialOutputBehind) {
    const std::string done = folders.Source("done.avi");
    const std::string stopped = folders.Source("stopped.avi", "write-output 5000\nhang\n");
    const std::string next = folders.Source("next.avi");
    const std::string part = engine::PartPathOf(folders.Out("stopped.flv"));

    CliRun cli(Cli(), Arguments({done, stopped, next}), folders.Path("cli"));
    ASSERT_TRUE(cli.Started());
    WaitUntilWriting(cli, part, 5000);
    // The first result is read back while the second job runs, and published after that.
    WaitUntilWriting(cli, folders.Out("done.flv"), 1);
    const std::string result = ReadFile(folders.Out("done.flv"));
    EXPECT_EQ(PressCtrlC(cli), 130) << cli.Err();
    EXPECT_EQ(cli.Out(), "Complete\t" + done + "\nStop\t" + stopped + "\n");
    EXPECT_FALSE(result.empty());
    EXPECT_EQ(ReadFile(folders.Out("done.flv")), result) << "the earlier result changed";
    EXPECT_FALSE(Exists(part));
    EXPECT_FALSE(Exists(folders.Out("stopped.flv")));
    EXPECT_FALSE(Exists(folders.Out("next.flv")));
    EXPECT_TRUE(Exists(stopped));
}

// The same with the programs a user runs: bin\vantrel-cli.exe, the adapter (bin\DLL\ffmpeg.exe)
// and FFmpeg (bin\ffmpeg\ffmpeg.exe), which the adapter asks to stop with "q".
TEST_F(CliConsoleTest, CtrlCStopsARealConversionThroughTheAdapter) {
    const std::string ffmpeg = VANTREL_BIN_DIR "/ffmpeg/ffmpeg.exe";
    if (!Exists(ffmpeg))
        GTEST_SKIP() << "no FFmpeg for Windows in " << VANTREL_BIN_DIR;
    const std::string clip = folders.In("long clip.avi");
    CliRun make(ffmpeg,
                {"-nostdin", "-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25",
                 "-t", "120", "-c:v", "mpeg4", "-q:v", "20", clip},
                folders.Path("make"));
    ASSERT_EQ(make.Wait(), 0) << make.Err();
    const std::string part = engine::PartPathOf(folders.Out("long clip.flv"));

    CliRun cli(kCli, Arguments({clip}), folders.Path("cli"));
    ASSERT_TRUE(cli.Started());
    WaitUntilWriting(cli, part, 1);
    EXPECT_EQ(PressCtrlC(cli), 130) << cli.Err();
    EXPECT_EQ(cli.Out(), "Stop\t" + clip + "\n");
    EXPECT_FALSE(Exists(part));
    EXPECT_FALSE(Exists(folders.Out("long clip.flv")));
    EXPECT_TRUE(Exists(clip));
}

TEST_F(CliConsoleTest, APartialFileThatNobodyHoldsIsReplacedOneThatARunHoldsIsLeftAlone) {
    const std::string free = folders.Source("free.avi");
    const std::string held = folders.Source("held.avi");
    const std::string freePart = engine::PartPathOf(folders.Out("free.flv"));
    const std::string heldPart = engine::PartPathOf(folders.Out("held.flv"));
    WriteFile(freePart, "left by a run that was killed");
    WriteFile(heldPart, "another run's output so far");
    // The other run: its lock on the partial file, as a run of vantrel-cli holds it.
    ASSERT_TRUE(platform::RemoveFile(heldPart));
    platform::FileLock::Claim claim = platform::FileLock::Claim::Failed;
    const platform::FileLock otherRun = platform::FileLock::Create(heldPart, &claim);
    ASSERT_EQ(claim, platform::FileLock::Claim::Created);
    WriteFile(heldPart, "another run's output so far");

    std::string out;
    EXPECT_EQ(Run({free, held}, &out), 1);
    EXPECT_EQ(out, "Complete\t" + free + "\nError\t" + held + "\n");
    EXPECT_TRUE(Exists(folders.Out("free.flv")));
    EXPECT_FALSE(Exists(freePart));
    EXPECT_FALSE(Exists(folders.Out("held.flv")));
    EXPECT_EQ(ReadFile(heldPart), "another run's output so far");
}

}  // namespace
