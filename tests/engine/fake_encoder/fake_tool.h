// Placing the fake encoder where Vantrel looks for its tool, and giving it a script.
#pragma once

#include <filesystem>
#include <string>

#include "support/temp_folder.h"

#ifndef FAKE_ENCODER_PATH
#error "FAKE_ENCODER_PATH must name the fake encoder program (link fake_encoder_support)"
#endif

namespace testing_support {

inline constexpr char kFakeEncoderPath[] = FAKE_ENCODER_PATH;

// A temporary folder holding DLL/ffmpeg, a link to the fake encoder. Its Path() is the tool
// folder to hand to EncoderProcess::Start.
class FakeToolFolder : public TempFolder {
public:
    FakeToolFolder() {
        std::filesystem::create_directories(Path() + "/DLL");
        std::filesystem::create_symlink(kFakeEncoderPath, Path() + "/DLL/ffmpeg");
    }

    // Writes `script` as the fake's script for the input `source` (source + ".fake"), so that
    // only runs on that input follow it. Returns the source's path.
    std::string ScriptFor(const std::string& sourceName, const std::string& script) const {
        const std::string source = *this / sourceName;
        WriteFile(source, "source bytes");
        WriteFile(source + ".fake", script);
        return source;
    }
};

}  // namespace testing_support
