#include "engine/encoder_process.h"

#include "platform/path.h"
#include "platform/process.h"

namespace engine {
namespace {

// The tool gets two chances of this long to exit by itself before it is killed.
constexpr int kExitWaitMs = 1000;
// An aborted run gets this long to end after SIGTERM, which FFmpeg answers by closing its
// files and exiting. The signals go to the tool's whole process group, FFmpeg behind the
// adapter included, so the adapter's own longer grace period never comes into play here.
constexpr int kTermWaitMs = 2000;
// After the kill, how long to wait before reaping it anyway.
constexpr int kKillWaitMs = 1000;

std::vector<std::string> ResolvedArgs(const CommandLine& command, const std::string& toolFolder) {
    std::vector<std::string> args = command.args;
    if (!args.empty() && !args[0].empty() && !platform::path::IsAbsolute(args[0]) &&
        !toolFolder.empty()) {
        args[0] = platform::path::Join(toolFolder, args[0]);
    }
    return args;
}

}  // namespace

EncoderProcess::EncoderProcess() = default;

// An open run is killed at once here (the platform object's destructor); a caller that wants
// the tool to get its two waits calls Finish first.
EncoderProcess::~EncoderProcess() = default;

EncoderProcess::StartStatus EncoderProcess::Start(const CommandLine& command,
                                                  const std::string& toolFolder) {
    child_ = std::make_unique<platform::ChildProcess>();  // ends a previous run at once
    outcome_ = Outcome{};
    finished_ = false;

    const platform::ChildProcess::StartResult result =
        child_->Start(ResolvedArgs(command, toolFolder));
    switch (result.error) {
        case platform::ChildProcess::StartError::None:
            outcome_.started = true;
            return StartStatus::Started;
        case platform::ChildProcess::StartError::OutputPipe:
            return StartStatus::OutPipeFailed;
        case platform::ChildProcess::StartError::InputPipe:
            return StartStatus::InputPipeFailed;
        case platform::ChildProcess::StartError::Spawn:
            break;
    }
    return StartStatus::NotStarted;
}

EncoderProcess::ReadStatus EncoderProcess::ReadChunk(int pauseMs, std::size_t chunkSize,
                                                     std::string* chunk) {
    chunk->clear();
    if (!child_ || finished_)
        return ReadStatus::Ended;
    switch (child_->Read(pauseMs, chunkSize, chunk)) {
        case platform::ChildProcess::ReadResult::Data:
            return ReadStatus::Chunk;
        case platform::ChildProcess::ReadResult::Timeout:
            return ReadStatus::NoOutput;
        case platform::ChildProcess::ReadResult::Ended:
            break;
    }
    return ReadStatus::Ended;
}

EncoderProcess::Outcome EncoderProcess::Finish() {
    return End(false);
}

EncoderProcess::Outcome EncoderProcess::Abort() {
    return End(true);
}

EncoderProcess::Outcome EncoderProcess::End(bool abort) {
    if (finished_)
        return outcome_;
    finished_ = true;
    if (!child_ || !outcome_.started) {
        child_.reset();
        return outcome_;
    }
    const std::vector<platform::StopStep> steps =
        abort ? std::vector<platform::StopStep>{{platform::StopAction::Terminate, kTermWaitMs},
                                                {platform::StopAction::Kill, kKillWaitMs}}
              : std::vector<platform::StopStep>{{platform::StopAction::Wait, kExitWaitMs},
                                                {platform::StopAction::Wait, kExitWaitMs},
                                                {platform::StopAction::Kill, kKillWaitMs}};
    const platform::StopResult stop = child_->Stop(steps);
    child_.reset();
    outcome_.terminated = stop.forced;
    outcome_.exited = stop.status.kind == platform::ExitStatus::Kind::Exited;
    outcome_.exitCode = outcome_.exited ? stop.status.code : -1;
    return outcome_;
}

const char* StartFailureText(EncoderProcess::StartStatus status) {
    switch (status) {
        case EncoderProcess::StartStatus::OutPipeFailed:
            return "Can't create out pipe";
        case EncoderProcess::StartStatus::InputPipeFailed:
            return "Can't create input pipe";
        case EncoderProcess::StartStatus::Started:
        case EncoderProcess::StartStatus::NotStarted:
            break;
    }
    return "";
}

}  // namespace engine
