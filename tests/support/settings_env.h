// A private home and configuration folder for one test: the settings file and the default
// output folder land in a temporary folder, never in the user's own.
#pragma once

#include <filesystem>
#include <string>

#include "support/temp_folder.h"

namespace testing_support {

class SettingsEnv {
public:
    SettingsEnv() {
        std::filesystem::create_directories(Home());
        std::filesystem::create_directories(temp_ / "drive");
    }

    std::string Home() const { return temp_ / "home"; }
    std::string ConfigHome() const { return temp_ / "config"; }
    std::string StateHome() const { return temp_ / "state"; }
    std::string IniPath() const { return ConfigHome() + "/vantrel/vantrel.ini"; }
    std::string Path(const std::string& name) const { return temp_ / name; }

    void WriteIni(const std::string& content) const { WriteFile(IniPath(), content); }
    std::string Ini() const { return ReadFile(IniPath()); }
    bool IniExists() const { return std::filesystem::exists(IniPath()); }

private:
    TempFolder temp_;
    ScopedEnv home_{"HOME", temp_ / "home"};
    ScopedEnv config_{"XDG_CONFIG_HOME", temp_ / "config"};
    ScopedEnv state_{"XDG_STATE_HOME", temp_ / "state"};
    // Where Windows programs find the same folders.
    ScopedEnv profile_{"USERPROFILE", temp_ / "home"};
    ScopedEnv appData_{"APPDATA", temp_ / "config"};
    ScopedEnv localAppData_{"LOCALAPPDATA", temp_ / "state"};
    ScopedEnv systemDrive_{"SystemDrive", temp_ / "drive"};
};

}  // namespace testing_support
