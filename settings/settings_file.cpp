#include "settings/settings_file.h"

#include "platform/fs.h"
#include "platform/ini_text.h"
#include "platform/profile.h"

namespace settings {

std::string SettingsFilePath() {
    return platform::ConfigDir() + "/vantrel/" + kFileName;
}

std::string DefaultOutPath() {
    return platform::HomeDir() + "/ZedovAvizevare";
}

std::string FallbackOutPath() {
    return platform::HomeDir() + "/ZedovAvizevare";
}

std::string ReadText(const std::string& key, const std::string& defaultValue) {
    return platform::ReadProfileText(SettingsFilePath(), kSection, key, defaultValue,
                                     kValueBufferSize);
}

int ReadInt(const std::string& key, int defaultValue) {
    return platform::ReadProfileInt(SettingsFilePath(), kSection, key, defaultValue);
}

bool WriteText(const std::string& key, const std::string& value, std::string* error) {
    return platform::WriteProfileText(SettingsFilePath(), kSection, key, value, error);
}

int TextToInt(const std::string& text) {
    return platform::ini::ParseInt(text);
}

std::string EnsureOutputFolder(const std::string& outPath) {
    if (platform::FolderExists(outPath))
        return outPath;
    if (platform::CreateFolder(outPath))
        return outPath;
    // Neither there nor creatable: use the fall-back folder and remember it. Failures here
    // surface later, when the first conversion cannot write its output.
    const std::string fallback = FallbackOutPath();
    platform::CreateFolderTree(fallback);
    WriteText(kOutPath, fallback);
    return fallback;
}

}  // namespace settings
