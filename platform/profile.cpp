#include "platform/profile.h"
#include "platform/path.h"

#include "platform/ini_text.h"
#include "platform/ini_text_encoding.h"

#include <cerrno>
#include <optional>

namespace platform {

namespace {

std::optional<std::string> ReadProfileFile(const std::string& file, FileStatus* status = nullptr) {
    return ReadRegularFile(file, kMaxProfileFileSize, status);
}

std::optional<std::string> FindInFile(const std::string& file, const std::string& section,
                                      const std::string& key) {
    const std::optional<std::string> raw = ReadProfileFile(file);
    if (!raw)
        return std::nullopt;
    return ini::FindValue(ini::DecodeText(*raw).text, ini::TrimSpaces(section),
                          ini::TrimSpaces(key));
}

}  // namespace

std::string ProfileFileProblem(const std::string& file) {
    FileStatus status;
    if (ReadProfileFile(file, &status) || status.Error() == ENOENT)
        return "";
    return status.Message();
}

std::vector<std::optional<std::string>> ReadProfileValues(const std::string& file,
                                                          const std::string& section,
                                                          const std::vector<std::string>& keys) {
    std::vector<std::optional<std::string>> values(keys.size());
    const std::optional<std::string> raw = ReadProfileFile(file);
    if (!raw)
        return values;
    const std::string text = ini::DecodeText(*raw).text;
    for (std::size_t i = 0; i < keys.size(); ++i)
        values[i] = ini::FindValue(text, ini::TrimSpaces(section), ini::TrimSpaces(keys[i]));
    return values;
}

std::string ReadProfileText(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& defaultValue,
                            std::size_t bufferSize) {
    const std::optional<std::string> value = FindInFile(file, section, key);
    if (value)
        return ini::CutToBufferSize(*value, bufferSize);
    return ini::CutToBufferSize(ini::TrimTrailingSpaces(defaultValue), bufferSize);
}

int ReadProfileInt(const std::string& file, const std::string& section, const std::string& key,
                   int defaultValue) {
    const std::optional<std::string> value = FindInFile(file, section, key);
    if (!value || value->empty())
        return defaultValue;
    return ini::ParseInt(*value);
}

FileStatus WriteProfileText(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) {
    const auto refused = [&](const std::string& why) {
        return FileStatus("cannot write to " + file + ": " + why, EINVAL);
    };
    const std::string_view trimmedSection = ini::TrimSpaces(section);
    const std::string_view trimmedKey = ini::TrimSpaces(key);
    if (auto why = ini::WriteArgumentError(trimmedSection, trimmedKey, value))
        return refused(*why);
    // Taken before the file is read and held until it is replaced. Without a lock to be had
    // (a folder we may not write into), the replacement fails by itself and says why.
    const std::string folder = path::Parent(file);
    if (!folder.empty())
        CreateFolderTree(folder);
    const FileLock turn = FileLock::Wait(file + ".lock");
    FileStatus readStatus;
    const std::optional<std::string> old = ReadProfileFile(file, &readStatus);
    // A file that exists but cannot be read must not be replaced by one holding only this key.
    if (!old && readStatus.Error() != ENOENT)
        return readStatus;
    const ini::DecodedText decoded = ini::DecodeText(old.value_or(""));
    // A UTF-16 file that does not decode and encode back to itself would be changed in lines
    // other than this key's.
    if (old && ini::EncodeText(decoded.text, decoded.encoding) != *old)
        return refused("its UTF-16 text is not well formed and would not be kept as it is");
    const std::optional<std::string> updated = ini::EncodeText(
        ini::SetValue(decoded.text, trimmedSection, trimmedKey, value), decoded.encoding);
    if (!updated)
        return refused("the file is in UTF-16 and the value is not UTF-8 text");
    if (old && *updated == *old)
        return {};
    return ReplaceFileAtomically(file, *updated);
}

}  // namespace platform
