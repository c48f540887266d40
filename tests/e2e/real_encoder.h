// The engine's test folders with the real encoder behind them: the adapter built as
// bin/DLL/ffmpeg, which hands the work to the FFmpeg installed on PATH.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "batch_recorder.h"
#include "media_tools.h"

namespace testing_support {

// The folder whose DLL/ffmpeg is the adapter.
inline std::string RealToolFolder() {
    return VANTREL_BIN_DIR;
}

// A test of the engine with the real encoder; skipped where FFmpeg is not installed. Its
// folders set XDG_CONFIG_HOME, so no test reads the user's settings.
class RealEncoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FfmpegInstalled())
            GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    }

    // A clip in the source folder; fails the test when FFmpeg cannot make it.
    std::string Clip(const std::string& name, const ClipSpec& shape = {}) {
        const std::string path = folders.In(name);
        const std::string problem = MakeClip(path, shape);
        EXPECT_EQ(problem, "") << "making " << name;
        return path;
    }

    EngineFolders folders;
    RecordingEvents events;
    std::atomic<bool> stop{false};
};

}  // namespace testing_support
