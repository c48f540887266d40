#include "engine/job_verdict.h"

#include "platform/fs.h"

namespace engine {
namespace {

// FFmpeg's words for an output it could not write completely.
constexpr const char* kWriteFailureTexts[] = {"No space left on device", "Disk quota exceeded",
                                              "File too large", "Input/output error"};

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty())
            text += "; ";
        text += line;
    }
    return text;
}

// The tool's own words: its error lines, else its last line.
std::string Details(const ToolReport& report) {
    return report.errorLines.empty() ? report.lastLine : Joined(report.errorLines);
}

std::string WithDetails(std::string what, const ToolReport& report) {
    const std::string details = Details(report);
    return details.empty() ? what : what + ": " + details;
}

bool ReportsWriteFailure(const ToolReport& report, const std::string& output) {
    for (const std::string& line : report.errorLines) {
        if (!output.empty() && line.find(output) != std::string::npos)
            return true;
        for (const char* text : kWriteFailureTexts) {
            if (line.find(text) != std::string::npos)
                return true;
        }
    }
    return false;
}

}  // namespace

std::string RunFailure(const EncoderProcess::Outcome& outcome, const ToolReport& report,
                       const std::string& output) {
    if (!outcome.started)
        return "the encoder could not be started";
    if (outcome.terminated)
        return WithDetails("the encoder did not exit and was ended", report);
    if (!outcome.exited)
        return WithDetails("the encoder was ended by a signal", report);
    if (outcome.exitCode != 0)
        return WithDetails("the encoder exited with status " + std::to_string(outcome.exitCode),
                           report);
    if (ReportsWriteFailure(report, output))
        return WithDetails("the encoder could not write the whole output", report);
    return "";
}

std::string SourceProblem(const std::string& path, const platform::PathInfo& source) {
    int error = source.error;
    if (source.kind == platform::PathInfo::Kind::Regular && platform::CanRead(path, &error))
        return "";
    if (source.kind == platform::PathInfo::Kind::Folder ||
        source.kind == platform::PathInfo::Kind::Other)
        return "the source is not a regular file";
    return "the source file cannot be read: " + platform::ErrorText(error);
}

std::string OutputFailure(const platform::PathInfo& output, const std::string& outputPath) {
    using Kind = platform::PathInfo::Kind;
    switch (output.kind) {
        case Kind::Missing:
            return "the encoder left no output at " + outputPath +
                   (output.error ? " (" + platform::ErrorText(output.error) + ")" : "");
        case Kind::Regular:
            return output.size == 0 ? "the encoder wrote an empty file" : "";
        case Kind::Folder:
        case Kind::Other:
            break;
    }
    return "the output " + outputPath + " is not a file";
}

}  // namespace engine
