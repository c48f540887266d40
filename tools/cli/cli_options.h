// The command line of vantrel-cli, parsed without side effects.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cli {

enum class Mode { Convert, DryRun, Probe, Help, Version };

struct Options {
    Mode mode = Mode::Convert;
    std::optional<int> profile;      // --profile N, an index of engine::kProfiles
    std::optional<std::string> out;  // --out DIR
    std::optional<int> jobs;         // --jobs N: conversions or probes at once, 1 or more
    bool overwrite = false;
    bool verify = true;  // off with --no-verify, else as "Verify" in the settings file says
    std::vector<std::string> files;
};

struct ParseResult {
    Options options;
    std::string error;  // "" when the command line is good
};

ParseResult ParseOptions(const std::vector<std::string>& args);

// The usage text printed by --help and after a usage error.
std::string UsageText();

}  // namespace cli
