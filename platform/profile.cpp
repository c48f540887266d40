#include "platform/profile.h"

#include "platform/fs.h"
#include "platform/ini_text.h"

#include <optional>

namespace platform {

namespace {

std::optional<std::string> FindInFile(const std::string& file, const std::string& section,
                                      const std::string& key) {
    const std::optional<std::string> text = ReadFile(file);
    if (!text)
        return std::nullopt;
    return ini::FindValue(*text, ini::TrimSpaces(section), ini::TrimSpaces(key));
}

}  // namespace

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

bool WriteProfileText(const std::string& file, const std::string& section, const std::string& key,
                      const std::string& value, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    const std::string_view trimmedSection = ini::TrimSpaces(section);
    const std::string_view trimmedKey = ini::TrimSpaces(key);
    if (auto why = ini::WriteArgumentError(trimmedSection, trimmedKey, value)) {
        return fail("cannot write to " + file + ": " + *why);
    }
    const std::optional<std::string> old = ReadFile(file);
    // A file that exists but cannot be read must not be replaced by one holding only this key.
    if (!old && PathExists(file))
        return fail("cannot read " + file);
    const std::string updated = ini::SetValue(old.value_or(""), trimmedSection, trimmedKey, value);
    if (old && updated == *old)
        return true;
    return ReplaceFileAtomically(file, updated, error);
}

}  // namespace platform
