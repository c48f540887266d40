// vantrel-cli run as a user runs it: a child process with its own HOME and XDG_CONFIG_HOME,
// the adapter beside it and the real FFmpeg behind that.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "child_run.h"
#include "media_tools.h"
#include "support/temp_folder.h"

namespace testing_support {

inline constexpr char kCli[] = VANTREL_BIN_DIR "/vantrel-cli";
inline constexpr auto kRunLimit = std::chrono::seconds(60);

inline bool Exists(const std::string& path) {
    return std::filesystem::exists(std::filesystem::symlink_status(path));
}

class CliTest : public ::testing::Test {
protected:
    CliTest() {
        std::filesystem::create_directories(temp_ / "home");
        std::filesystem::create_directories(temp_ / "in");
        env_.Set("HOME", temp_ / "home")
            .Set("XDG_CONFIG_HOME", temp_ / "config")
            .Unset("VANTREL_FFMPEG");
    }

    std::string Path(const std::string& name) const { return temp_ / name; }
    std::string In(const std::string& name) const { return temp_ / ("in/" + name); }
    std::string Out(const std::string& name = "") const {
        return name.empty() ? temp_ / "out" : temp_ / ("out/" + name);
    }
    std::string SettingsFile() const { return temp_ / "config/vantrel/vantrel.ini"; }
    std::string DefaultOutFolder() const { return temp_ / "home/ZedovAvizevare"; }

    void WriteSettings(const std::string& content) { WriteFile(SettingsFile(), content); }

    // Runs `command` in the test's folder; whatever it did, the settings file is as it was
    // before.
    ChildResult RunCommand(const std::vector<std::string>& command,
                           std::chrono::milliseconds limit = kRunLimit) {
        const std::optional<std::string> before = Settings();
        ChildResult result = RunChild(command, env_, limit, temp_.Path());
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(Settings(), before) << "the settings file changed";
        if (!before) {
            EXPECT_FALSE(Exists(temp_ / "config")) << "a configuration folder appeared";
        }
        return result;
    }

    // Runs vantrel-cli with `args` in the test's folder.
    ChildResult Run(const std::vector<std::string>& args,
                    std::chrono::milliseconds limit = kRunLimit) {
        std::vector<std::string> command{kCli};
        command.insert(command.end(), args.begin(), args.end());
        return RunCommand(command, limit);
    }

    // A clip at `path` (relative to the test's folder, or absolute).
    std::string ClipAt(const std::string& path, const ClipSpec& shape = {}) {
        const std::string full = path.front() == '/' ? path : Path(path);
        EXPECT_EQ(MakeClip(full, shape), "") << "making " << path;
        return full;
    }
    std::string Clip(const std::string& name, const ClipSpec& shape = {}) {
        return ClipAt(In(name), shape);
    }

    std::string CorruptVideo(const std::string& name) { return WriteCorruptVideo(In(name)); }

    TempFolder temp_;
    Environment env_;

private:
    std::optional<std::string> Settings() const {
        if (!Exists(SettingsFile()))
            return std::nullopt;
        return ReadFile(SettingsFile());
    }
};

// Tests that convert with the real FFmpeg.
class CliConvertTest : public CliTest {
protected:
    void SetUp() override {
        if (!FfmpegInstalled())
            GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    }
};

// A long conversion: 640x480, `loops` seconds, costly enough to be caught while it runs.
inline ClipSpec LongClip(int loops = 100) {
    ClipSpec shape;
    shape.width = 640;
    shape.height = 480;
    shape.loops = loops;
    return shape;
}

}  // namespace testing_support
