// Placing the fake encoder where Vantrel looks for its tool, and giving it a script.
#pragma once

#include <filesystem>
#include <string>

#include "engine/encoder_tool.h"
#include "support/settings_env.h"
#include "support/temp_folder.h"

#ifndef FAKE_ENCODER_PATH
#error "FAKE_ENCODER_PATH must name the fake encoder program (link fake_encoder_support)"
#endif

namespace testing_support {

inline constexpr char kFakeEncoderPath[] = FAKE_ENCODER_PATH;

// Puts the fake encoder at `toolFolder`/kEncoderPath: a link to it, or on Windows, where links
// need rights a test does not have, a copy.
inline void PlaceFakeEncoder(const std::string& toolFolder) {
    const auto tool =
        std::filesystem::u8path(toolFolder) / std::filesystem::u8path(engine::kEncoderPath);
    std::filesystem::create_directories(tool.parent_path());
#ifdef _WIN32
    std::filesystem::copy_file(kFakeEncoderPath, tool);
#else
    std::filesystem::create_symlink(kFakeEncoderPath, tool);
#endif
}

// A temporary folder holding DLL/ffmpeg, a link to the fake encoder. Its Path() is the tool
// folder to hand to EncoderProcess::Start.
class FakeToolFolder : public TempFolder {
public:
    FakeToolFolder() { PlaceFakeEncoder(Path()); }

    // Writes `script` as the fake's script for the input `source` (source + ".fake"), so that
    // only runs on that input follow it. Returns the source's path.
    std::string ScriptFor(const std::string& sourceName, const std::string& script) const {
        const std::string source = *this / sourceName;
        WriteFile(source, "source bytes");
        WriteFile(source + ".fake", script);
        return source;
    }
};

// The folders of a test that converts: a private home and settings folder, tool/DLL/ffmpeg as
// the fake encoder, in/ for sources and out/ for results.
class EngineFolders {
public:
    EngineFolders() {
        PlaceFakeEncoder(Path("tool"));
        std::filesystem::create_directories(Path("in"));
        std::filesystem::create_directories(Path("out"));
    }

    std::string Tool() const { return Path("tool"); }
    std::string In(const std::string& name) const { return Path("in/" + name); }
    std::string Out(const std::string& name = "") const {
        return name.empty() ? Path("out") : Path("out/" + name);
    }
    std::string Path(const std::string& name) const { return env_.Path(name); }
    const SettingsEnv& Env() const { return env_; }

    // A source file of `bytes` bytes whose fake encoder follows `script` (none: the default).
    std::string Source(const std::string& name, const std::string& script = "",
                       std::size_t bytes = 100000) const {
        const std::string path = In(name);
        WriteFile(path, std::string(bytes, 'v'));
        if (!script.empty())
            WriteFile(path + ".fake", script);
        return path;
    }

private:
    SettingsEnv env_;
};

}  // namespace testing_support
