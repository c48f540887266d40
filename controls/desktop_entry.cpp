#include "controls/desktop_entry.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace controls {
namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The value of `key` in group `group` of an ini-style desktop file.
std::optional<std::string> GroupValue(const std::string& contents, const std::string& group,
                                      const std::string& key) {
    std::istringstream in(contents);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#')
            continue;
        if (trimmed[0] == '[') {
            inGroup = trimmed == "[" + group + "]";
            continue;
        }
        if (!inGroup)
            continue;
        const std::size_t equals = trimmed.find('=');
        if (equals == std::string::npos)
            continue;
        if (Trim(trimmed.substr(0, equals)) == key)
            return Trim(trimmed.substr(equals + 1));
    }
    return std::nullopt;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) {
        part = Trim(part);
        if (!part.empty())
            parts.push_back(part);
    }
    return parts;
}

}  // namespace

std::vector<std::string> DefaultApplications(const std::string& mimeappsList,
                                             const std::string& mimeType) {
    const std::optional<std::string> value =
        GroupValue(mimeappsList, "Default Applications", mimeType);
    return value ? SplitList(*value, ';') : std::vector<std::string>();
}

std::optional<std::string> DesktopEntryExec(const std::string& desktopEntry) {
    const std::optional<std::string> raw = GroupValue(desktopEntry, "Desktop Entry", "Exec");
    if (!raw || raw->empty())
        return std::nullopt;
    std::string exec;
    for (std::size_t i = 0; i < raw->size(); ++i) {
        const char c = (*raw)[i];
        if (c != '\\' || i + 1 == raw->size()) {
            exec += c;
            continue;
        }
        switch ((*raw)[++i]) {
            case 's':
                exec += ' ';
                break;
            case 'n':
                exec += '\n';
                break;
            case 't':
                exec += '\t';
                break;
            case 'r':
                exec += '\r';
                break;
            case '\\':
                exec += '\\';
                break;
            default:  // not an escape of the file format; the command's own quoting keeps it
                exec += '\\';
                exec += (*raw)[i];
        }
    }
    return exec;
}

XdgDirectories CurrentXdgDirectories() {
    const std::string home = EnvOr("HOME", "");
    const std::string configHome = EnvOr("XDG_CONFIG_HOME", home + "/.config");
    const std::string dataHome = EnvOr("XDG_DATA_HOME", home + "/.local/share");
    const std::vector<std::string> configDirs =
        SplitList(EnvOr("XDG_CONFIG_DIRS", "/etc/xdg"), ':');
    const std::vector<std::string> dataDirs =
        SplitList(EnvOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':');

    XdgDirectories dirs;
    dirs.mimeappsLists.push_back(configHome + "/mimeapps.list");
    for (const std::string& dir : configDirs) dirs.mimeappsLists.push_back(dir + "/mimeapps.list");
    dirs.mimeappsLists.push_back(dataHome + "/applications/mimeapps.list");
    dirs.applicationDirs.push_back(dataHome + "/applications");
    for (const std::string& dir : dataDirs) {
        dirs.mimeappsLists.push_back(dir + "/applications/mimeapps.list");
        dirs.applicationDirs.push_back(dir + "/applications");
    }
    return dirs;
}

std::optional<std::string> DefaultBrowserCommand(const XdgDirectories& dirs) {
    for (const char* mimeType : {"x-scheme-handler/http", "text/html"}) {
        for (const std::string& list : dirs.mimeappsLists) {
            const std::optional<std::string> contents = ReadWholeFile(list);
            if (!contents)
                continue;
            for (const std::string& id : DefaultApplications(*contents, mimeType)) {
                // An entry that is listed but not installed is skipped, as the desktop does.
                for (const std::string& dir : dirs.applicationDirs) {
                    const std::optional<std::string> entry = ReadWholeFile(dir + "/" + id);
                    if (!entry)
                        continue;
                    if (std::optional<std::string> exec = DesktopEntryExec(*entry))
                        return exec;
                }
            }
        }
    }
    return std::nullopt;
}

}  // namespace controls
