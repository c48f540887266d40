// ChildProcess on Windows: CreateProcessW with only the child's two pipe ends inherited (jobs
// start at once from several threads, and each child must get its own ends and no other's),
// no console window, inside a job object that ends the program and whatever it started when
// the job is terminated or when its last handle closes, however Vantrel ends.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <mutex>

#include "platform/process.h"
#include "platform/wide_text.h"
#include "platform/windows_command_line.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

// The exit code of a program we ended; reported as death by SIGKILL, as on POSIX.
constexpr UINT kKilledExitCode = 128 + 9;

void CloseIfOpen(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    handle = nullptr;
}

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// A pipe whose `inherited` end (0 read, 1 write) alone may be handed to a child.
bool MakePipe(HANDLE ends[2], int inherited) {
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    if (!::CreatePipe(&ends[0], &ends[1], &security, 0))
        return false;
    if (::SetHandleInformation(ends[inherited], HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
        return true;
    const DWORD error = ::GetLastError();
    CloseIfOpen(ends[0]);
    CloseIfOpen(ends[1]);
    ::SetLastError(error);
    return false;
}

// A job whose programs all end when its last handle closes; nullptr when none can be made.
HANDLE MakeJob() {
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    if (job == nullptr)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                   sizeof limits)) {
        ::CloseHandle(job);
        return nullptr;
    }
    return job;
}

// The attribute list that limits inheritance to `handles`.
class HandleList {
public:
    explicit HandleList(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (!::InitializeProcThreadAttributeList(list, 1, 0, &size))
            return;
        if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                         handles_.data(), handles_.size() * sizeof(HANDLE), nullptr,
                                         nullptr)) {
            ::DeleteProcThreadAttributeList(list);
            return;
        }
        list_ = list;
    }
    ~HandleList() {
        if (list_ != nullptr)
            ::DeleteProcThreadAttributeList(list_);
    }
    HandleList(const HandleList&) = delete;
    HandleList& operator=(const HandleList&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

private:
    std::vector<HANDLE> handles_;
    std::vector<char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

}  // namespace

struct ChildProcess::Impl {
    ~Impl();
    StartResult Start(const std::vector<std::string>& args);
    ReadResult Read(int timeoutMs, std::size_t maxBytes, std::string* data);
    bool WaitForExit(int timeoutMs);
    void AskToEnd();
    void EndAll();
    StopResult Stop(const std::vector<StopStep>& steps);
    void ReapAndClose();

    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;      // nullptr when the system would not put the program in one
    HANDLE outRead_ = nullptr;  // our end of the program's stdout and stderr
    HANDLE inWrite_ = nullptr;  // our end of its stdin, written only to ask it to end
    DWORD id_ = 0;
    bool killed_ = false;  // ended by us, not by itself
    bool reaped_ = false;
    StopResult result_;
};

ChildProcess::ChildProcess() : impl_(std::make_unique<Impl>()) {}

ChildProcess::~ChildProcess() = default;

ChildProcess::StartResult ChildProcess::Start(const std::vector<std::string>& args) {
    return impl_->Start(args);
}

bool ChildProcess::Started() const {
    return impl_->process_ != nullptr || impl_->reaped_;
}

std::int64_t ChildProcess::Id() const {
    return Started() ? static_cast<std::int64_t>(impl_->id_) : -1;
}

ChildProcess::ReadResult ChildProcess::Read(int timeoutMs, std::size_t maxBytes,
                                            std::string* data) {
    return impl_->Read(timeoutMs, maxBytes, data);
}

bool ChildProcess::WaitForExit(int timeoutMs) {
    return impl_->WaitForExit(timeoutMs);
}

void ChildProcess::Terminate() {
    impl_->AskToEnd();
}

void ChildProcess::Kill() {
    impl_->EndAll();
}

StopResult ChildProcess::Stop(const std::vector<StopStep>& steps) {
    return impl_->Stop(steps);
}

ChildProcess::Impl::~Impl() {
    EndAll();
    ReapAndClose();
}

ChildProcess::StartResult ChildProcess::Impl::Start(const std::vector<std::string>& args) {
    EndAll();
    ReapAndClose();
    id_ = 0;
    killed_ = false;
    reaped_ = false;
    result_ = StopResult{};

    StartResult result;
    if (args.empty() || args[0].empty()) {
        result.error = StartError::Spawn;
        result.errorNumber = ERROR_FILE_NOT_FOUND;
        return result;
    }
    // The list of handles to inherit keeps each child to its own pipe ends; where it is not
    // honoured (Wine), a child started by another thread at this moment would inherit these
    // ends too and hold our output open. Only one start at a time has inheritable ends.
    static std::mutex starting;
    const std::lock_guard<std::mutex> one(starting);
    HANDLE out[2] = {nullptr, nullptr};
    if (!MakePipe(out, 1)) {
        result.error = StartError::OutputPipe;
        result.errorNumber = static_cast<int>(::GetLastError());
        return result;
    }
    HANDLE in[2] = {nullptr, nullptr};
    if (!MakePipe(in, 0)) {
        result.error = StartError::InputPipe;
        result.errorNumber = static_cast<int>(::GetLastError());
        CloseIfOpen(out[0]);
        CloseIfOpen(out[1]);
        return result;
    }

    const HandleList inherited({in[0], out[1]});
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = in[0];
    startup.StartupInfo.hStdOutput = out[1];
    startup.StartupInfo.hStdError = out[1];
    startup.lpAttributeList = inherited.Get();

    const std::wstring program = WideFromUtf8(args[0]);
    std::wstring commandLine = WideFromUtf8(WindowsCommandLine(args));
    // Suspended until it is in its job, so that nothing it starts can escape the job.
    const DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT |
                        (inherited.Get() != nullptr ? EXTENDED_STARTUPINFO_PRESENT : 0);
    PROCESS_INFORMATION info{};
    const BOOL started =
        inherited.Get() != nullptr &&
        ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                         nullptr, nullptr, &startup.StartupInfo, &info);
    const DWORD startError = started ? 0 : ::GetLastError();
    // The child's ends now belong to the child (or to nobody); our copies would keep the
    // output from ever reporting its end.
    CloseIfOpen(out[1]);
    CloseIfOpen(in[0]);
    if (!started) {
        CloseIfOpen(out[0]);
        CloseIfOpen(in[1]);
        result.error = StartError::Spawn;
        result.errorNumber =
            static_cast<int>(startError != 0 ? startError : ERROR_NOT_ENOUGH_MEMORY);
        return result;
    }
    job_ = MakeJob();
    if (job_ != nullptr && !::AssignProcessToJobObject(job_, info.hProcess))
        CloseIfOpen(job_);  // ended by itself alone, then
    ::ResumeThread(info.hThread);
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    outRead_ = out[0];
    inWrite_ = in[1];
    return result;
}

ChildProcess::ReadResult ChildProcess::Impl::Read(int timeoutMs, std::size_t maxBytes,
                                                  std::string* data) {
    data->clear();
    if (outRead_ == nullptr)
        return ReadResult::Ended;
    // Anonymous pipes cannot be waited on: look, and nap a little longer each time.
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    DWORD nap = 1;
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(outRead_, nullptr, 0, nullptr, &available, nullptr))
            return ReadResult::Ended;  // every writer has closed it, or it broke
        if (available > 0)
            break;
        const int left = RemainingMs(deadline);
        if (left == 0)
            return ReadResult::Timeout;
        ::Sleep(std::min<DWORD>(nap, static_cast<DWORD>(left)));
        nap = std::min<DWORD>(nap * 2, 10);
    }
    data->resize(std::max<std::size_t>(maxBytes, 1));
    DWORD read = 0;
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(data->size(), 1 << 20));
    if (!::ReadFile(outRead_, &(*data)[0], size, &read, nullptr) || read == 0) {
        data->clear();
        return ReadResult::Ended;
    }
    data->resize(read);
    return ReadResult::Data;
}

bool ChildProcess::Impl::WaitForExit(int timeoutMs) {
    if (process_ == nullptr)
        return true;
    return ::WaitForSingleObject(process_, static_cast<DWORD>(std::max(timeoutMs, 0))) ==
           WAIT_OBJECT_0;
}

void ChildProcess::Impl::AskToEnd() {
    if (inWrite_ == nullptr || WaitForExit(0))
        return;
    DWORD written = 0;
    // A program that has stopped reading may have filled the pipe: then it has a request
    // waiting already, and the write returns at once when the pipe is full or broken.
    ::WriteFile(inWrite_, kStopRequest, sizeof kStopRequest - 1, &written, nullptr);
}

void ChildProcess::Impl::EndAll() {
    if (process_ == nullptr)
        return;
    if (!WaitForExit(0))
        killed_ = true;
    if (job_ != nullptr)
        ::TerminateJobObject(job_, kKilledExitCode);
    else if (killed_)
        ::TerminateProcess(process_, kKilledExitCode);
}

StopResult ChildProcess::Impl::Stop(const std::vector<StopStep>& steps) {
    if (process_ == nullptr) {
        ReapAndClose();
        return result_;
    }
    bool forced = false;
    for (const StopStep& step : steps) {
        if (WaitForExit(0))
            break;
        if (step.action == StopAction::Terminate) {
            forced = true;
            AskToEnd();
        } else if (step.action == StopAction::Kill) {
            forced = true;
            EndAll();
        }
        if (WaitForExit(step.timeoutMs))
            break;
    }
    if (!WaitForExit(0))
        forced = true;
    // Whatever the program started and left in its job goes with it.
    EndAll();
    ReapAndClose();
    result_.forced = forced;
    return result_;
}

void ChildProcess::Impl::ReapAndClose() {
    // Closing our end of its stdin first lets a program blocked on writing to us end.
    CloseIfOpen(inWrite_);
    if (process_ != nullptr) {
        // Bounded: a program the system cannot end is left behind rather than hanging us.
        ::WaitForSingleObject(process_, 5000);
        DWORD code = 0;
        if (::GetExitCodeProcess(process_, &code) && code != STILL_ACTIVE) {
            if (killed_ && code == kKilledExitCode) {
                result_.status.kind = ExitStatus::Kind::Signaled;
                result_.status.signal = 9;
            } else {
                result_.status.kind = ExitStatus::Kind::Exited;
                result_.status.code = static_cast<int>(code);
            }
        }
        reaped_ = true;
    }
    CloseIfOpen(process_);
    CloseIfOpen(job_);
    CloseIfOpen(outRead_);
}

}  // namespace platform
