// A shell and a browser fall-back that record what they were asked to open instead of
// starting anything.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "controls/link_launch.h"
#include "platform/shell.h"

namespace testing_support {

class RecordingShell : public platform::Shell {
public:
    explicit RecordingShell(int result = platform::kShellOk) : result(result) {}
    int Open(const std::string& target) override {
        opened.push_back(target);
        return result;
    }
    int result;
    std::vector<std::string> opened;
};

class RecordingFallback : public controls::BrowserFallback {
public:
    std::optional<std::string> BrowserCommand() const override { return command; }
    int Run(const std::vector<std::string>& words) override {
        runs.push_back(words);
        return result;
    }
    std::optional<std::string> command;
    int result = platform::kShellOk;
    std::vector<std::vector<std::string>> runs;
};

}  // namespace testing_support
