#include "settings/settings_file.h"

#include "platform/fs.h"
#include "platform/ini_text.h"
#include "platform/path.h"
#include "platform/places.h"
#include "platform/profile.h"

namespace settings {

std::string SettingsFilePath() {
    return platform::path::Join(platform::SettingsFolder(), kFileName);
}

std::string StateFolder() {
    return platform::StateFolder();
}

std::string QueueFilePath() {
    return platform::path::Join(StateFolder(), "queue.json");
}

std::string LogFolder() {
    return platform::path::Join(StateFolder(), "logs");
}

std::string DefaultOutPath() {
    return platform::DefaultOutputFolder();
}

std::string FallbackOutPath() {
    return platform::FallbackOutputFolder();
}

std::string ReadText(const std::string& key, const std::string& defaultValue) {
    const std::size_t bufferSize = key == kOutPath ? platform::kWholeValue : kValueBufferSize;
    return platform::ReadProfileText(SettingsFilePath(), kSection, key, defaultValue, bufferSize);
}

std::vector<std::string> ReadTexts(const std::vector<std::pair<std::string, std::string>>& keys) {
    std::vector<std::string> names;
    for (const auto& key : keys) names.push_back(key.first);
    const std::vector<std::optional<std::string>> values =
        platform::ReadProfileValues(SettingsFilePath(), kSection, names);
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::size_t bufferSize =
            keys[i].first == kOutPath ? platform::kWholeValue : kValueBufferSize;
        texts.push_back(values[i]
                            ? platform::ini::CutToBufferSize(*values[i], bufferSize)
                            : platform::ini::CutToBufferSize(
                                  platform::ini::TrimTrailingSpaces(keys[i].second), bufferSize));
    }
    return texts;
}

std::string FileProblem() {
    const std::string problem = platform::ProfileFileProblem(SettingsFilePath());
    return problem.empty()
               ? ""
               : "The settings file is not used (" + problem + "); the default settings apply.";
}

int ReadInt(const std::string& key, int defaultValue) {
    return platform::ReadProfileInt(SettingsFilePath(), kSection, key, defaultValue);
}

bool WriteText(const std::string& key, const std::string& value, std::string* error) {
    const platform::FileStatus written =
        platform::WriteProfileText(SettingsFilePath(), kSection, key, value);
    if (!written && error)
        *error = written.Message();
    return static_cast<bool>(written);
}

int TextToInt(const std::string& text) {
    return platform::ini::ParseInt(text);
}

namespace {

bool CanCreateFolder(const std::string& path) {
    return !platform::PathExists(path) && platform::FolderExists(platform::path::Parent(path));
}

}  // namespace

OutputFolderCheck ResolveOutputFolder(const std::string& outPath, bool create) {
    const bool absolute = platform::path::IsAbsolute(outPath);
    if (absolute && platform::FolderExists(outPath))
        return {outPath, false};
    if (absolute &&
        (create ? static_cast<bool>(platform::CreateFolder(outPath)) : CanCreateFolder(outPath)))
        return {outPath, false};
    // Neither there nor creatable: the fall-back folder. Failures to create it surface later,
    // when the first conversion cannot write its output.
    const std::string fallback = FallbackOutPath();
    if (create)
        platform::CreateFolderTree(fallback);
    return {fallback, true};
}

std::string EnsureOutputFolder(const std::string& outPath) {
    const OutputFolderCheck check = ResolveOutputFolder(outPath, true);
    if (check.fellBack)
        WriteText(kOutPath, check.folder);
    return check.folder;
}

}  // namespace settings
