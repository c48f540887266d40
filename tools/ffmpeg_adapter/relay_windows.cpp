// FFmpeg as a child process on Windows. A console program there has no signal a window could
// send, so the stop request comes as a line on our standard input, and we pass it on the way
// FFmpeg listens for a key: "q" on its standard input, which we hold for that (FFmpeg gets no
// -nostdin here). FFmpeg then closes its output file properly; should it not end within the
// grace period, it is killed. FFmpeg runs in a job object of ours that ends it should we die
// without doing that ourselves; Vantrel's own job object holds us both.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/wide_text.h"
#include "platform/windows_command_line.h"
#include "tools/ffmpeg_adapter/locate.h"
#include "tools/ffmpeg_adapter/missing_encoder.h"
#include "tools/ffmpeg_adapter/relay_loop.h"
#include "tools/ffmpeg_adapter/relay_windows.h"

namespace ffmpeg_adapter {
namespace {

// What a stopped run returns, as a run ended by SIGTERM does on POSIX: FFmpeg itself answers
// "q" with 0, which must not read as a finished conversion.
constexpr int kStoppedExitCode = 128 + 15;
constexpr UINT kKilledExitCode = 128 + 9;

std::atomic<bool> g_stopRequested{false};

void Report(const std::string& message) {
    const std::string line = message + "\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                &written, nullptr);
}

bool WriteAll(HANDLE to, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        DWORD n = 0;
        if (!::WriteFile(to, data.data() + done, static_cast<DWORD>(data.size() - done), &n,
                         nullptr) ||
            n == 0)
            return false;
        done += n;
    }
    return true;
}

// Any line on our standard input is a stop request; its end is none (a console, a parent
// that never writes, or one that has gone, which the job object answers).
void WatchInput() {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    if (input == nullptr || input == INVALID_HANDLE_VALUE)
        return;
    char buffer[64];
    DWORD read = 0;
    while (::ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        if (std::find(buffer, buffer + read, '\n') != buffer + read) {
            g_stopRequested.store(true);
            return;
        }
    }
}

// Ctrl+C, Ctrl+Break and a closed console, when the adapter runs in one.
BOOL WINAPI OnConsoleEvent(DWORD) {
    g_stopRequested.store(true);
    return TRUE;
}

bool MakePipe(HANDLE ends[2], int inherited) {
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    if (!::CreatePipe(&ends[0], &ends[1], &security, 0))
        return false;
    return ::SetHandleInformation(ends[inherited], HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) != 0;
}

HANDLE MakeJob() {
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job != nullptr && !::SetInformationJobObject(job, JobObjectExtendedLimitInformation,
                                                     &limits, sizeof limits)) {
        ::CloseHandle(job);
        return nullptr;
    }
    return job;
}

struct Child {
    HANDLE process = nullptr;
    HANDLE job = nullptr;
    HANDLE output = nullptr;  // our end of FFmpeg's stdout and stderr
    HANDLE input = nullptr;   // our end of its stdin
};

// Starts FFmpeg with only its two pipe ends inherited; false, with a message, when it could
// not be started.
bool Start(const std::string& program, const std::vector<std::string>& args, Child* child) {
    HANDLE out[2] = {nullptr, nullptr};
    HANDLE in[2] = {nullptr, nullptr};
    if (!MakePipe(out, 1) || !MakePipe(in, 0)) {
        Report("vantrel: cannot create a pipe for FFmpeg");
        return false;
    }
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> buffer(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer.data());
    HANDLE inherited[2] = {in[0], out[1]};
    const bool listed = ::InitializeProcThreadAttributeList(list, 1, 0, &size) &&
                        ::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                    inherited, sizeof inherited, nullptr, nullptr);
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = in[0];
    startup.StartupInfo.hStdOutput = out[1];
    startup.StartupInfo.hStdError = out[1];
    startup.lpAttributeList = list;

    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    std::wstring commandLine = platform::WideFromUtf8(platform::WindowsCommandLine(argv));
    PROCESS_INFORMATION info{};
    const bool started =
        listed && ::CreateProcessW(platform::WideFromUtf8(program).c_str(), commandLine.data(),
                                   nullptr, nullptr, TRUE,
                                   CREATE_NO_WINDOW | CREATE_SUSPENDED |
                                       EXTENDED_STARTUPINFO_PRESENT | CREATE_UNICODE_ENVIRONMENT,
                                   nullptr, nullptr, &startup.StartupInfo, &info);
    if (listed)
        ::DeleteProcThreadAttributeList(list);
    ::CloseHandle(out[1]);
    ::CloseHandle(in[0]);
    if (!started) {
        ::CloseHandle(out[0]);
        ::CloseHandle(in[1]);
        Report("vantrel: cannot run " + program);
        return false;
    }
    child->job = MakeJob();
    if (child->job != nullptr && !::AssignProcessToJobObject(child->job, info.hProcess)) {
        ::CloseHandle(child->job);
        child->job = nullptr;
    }
    ::ResumeThread(info.hThread);
    ::CloseHandle(info.hThread);
    child->process = info.hProcess;
    child->output = out[0];
    child->input = in[1];
    return true;
}

// FFmpeg behind an anonymous pipe, which has no wait with a time-out: its output is looked at
// with PeekNamedPipe, napping up to 10 ms while there is none.
class WindowsChild : public RelayedChild {
public:
    explicit WindowsChild(const Child& child) : child_(child) {}

    bool Exited() override { return ::WaitForSingleObject(child_.process, 0) == WAIT_OBJECT_0; }
    bool StopRequested() override { return g_stopRequested.load(); }
    void PassStopOn() override {
        DWORD written = 0;
        ::WriteFile(child_.input, "q", 1, &written, nullptr);
    }
    void Kill() override {
        if (child_.job == nullptr || !::TerminateJobObject(child_.job, kKilledExitCode))
            ::TerminateProcess(child_.process, kKilledExitCode);
    }
    bool Forward(const std::string& bytes) override {
        return WriteAll(::GetStdHandle(STD_OUTPUT_HANDLE), bytes);
    }

    Event Wait(int limitMs, bool outputOpen, std::string_view* piece) override {
        DWORD available = 0;
        if (outputOpen && !::PeekNamedPipe(child_.output, nullptr, 0, nullptr, &available, nullptr))
            return Event::OutputClosed;
        if (available == 0) {
            const DWORD wait = limitMs < 0 ? nap_ : std::min(nap_, static_cast<DWORD>(limitMs));
            if (!outputOpen)
                ::WaitForSingleObject(child_.process, wait);
            else
                ::Sleep(wait);
            nap_ = std::min<DWORD>(nap_ * 2, 10);
            return Event::Nothing;
        }
        nap_ = 1;
        DWORD read = 0;
        if (!::ReadFile(child_.output, buffer_, sizeof buffer_, &read, nullptr) || read == 0)
            return Event::Nothing;  // looked at again by PeekNamedPipe
        *piece = std::string_view(buffer_, read);
        return Event::Output;
    }

private:
    const Child& child_;
    DWORD nap_ = 1;
    char buffer_[4096];
};

}  // namespace

int RunAndRelay(const std::string& program, std::vector<std::string> args) {
    // FFmpeg must listen on its standard input here: that is how it is asked to stop.
    args.erase(std::remove(args.begin(), args.end(), "-nostdin"), args.end());
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    ::SetEnvironmentVariableW(platform::WideFromUtf8(kNestedMarker).c_str(), L"1");

    Child child;
    if (!Start(program, args, &child))
        return 127;
    std::thread(WatchInput).detach();

    MissingEncoderWatch watch;
    WindowsChild relayed(child);
    const Ending ending = Relay(relayed, watch);
    int code = kStoppedExitCode;
    DWORD status = 0;
    if (ending.exited && !ending.killed && ::GetExitCodeProcess(child.process, &status))
        code = g_stopRequested.load() && status == 0 ? kStoppedExitCode : static_cast<int>(status);
    ::CloseHandle(child.output);
    ::CloseHandle(child.input);
    ::CloseHandle(child.process);
    if (child.job != nullptr)
        ::CloseHandle(child.job);  // ends whatever FFmpeg left running
    if (code != 0 && watch.Seen())
        Report(kNoH264Message);
    return code;
}

}  // namespace ffmpeg_adapter
