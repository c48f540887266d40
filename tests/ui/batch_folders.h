// Folders for a main-window test that adds and converts files: a private home and settings
// file (SettingsEnv), tool/DLL/ffmpeg as the fake encoder, in/ for sources and out/ as the
// output folder that the settings file names.
#pragma once

#include <filesystem>
#include <string>

#include "settings_env.h"
#include "support/temp_folder.h"

namespace testing_support {

class BatchFolders {
public:
    BatchFolders() {
        std::filesystem::create_directories(env_.Path("tool/DLL"));
        std::filesystem::create_directories(env_.Path("in"));
        std::filesystem::create_directories(env_.Path("out"));
        std::filesystem::create_symlink(FAKE_ENCODER_PATH, env_.Path("tool/DLL/ffmpeg"));
        env_.WriteIni("[Settings]\nOut Path=" + Out() + "\nFormat=3\n");
    }

    std::string Tool() const { return env_.Path("tool"); }
    std::string In(const std::string& name) const { return env_.Path("in/" + name); }
    std::string Out(const std::string& name = "") const {
        return name.empty() ? env_.Path("out") : env_.Path("out/" + name);
    }
    std::string Path(const std::string& name) const { return env_.Path(name); }
    const SettingsEnv& Env() const { return env_; }

    // A source of `bytes` bytes in in/; `script` (when given) directs the fake encoder for it.
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
