// Reading the desktop's choice of web browser: mimeapps.list and desktop entry files.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace controls {

// The desktop ids listed for `mimeType` under [Default Applications] in the contents of a
// mimeapps.list file, in order of preference.
std::vector<std::string> DefaultApplications(const std::string& mimeappsList,
                                             const std::string& mimeType);

// The Exec value of the [Desktop Entry] group of a desktop entry file, with the file format's
// own escapes (\s, \n, \t, \r, \\) undone; nothing when the entry has none.
std::optional<std::string> DesktopEntryExec(const std::string& desktopEntry);

// Where the desktop keeps its files, from the XDG variables and their defaults.
struct XdgDirectories {
    std::vector<std::string> mimeappsLists;    // mimeapps.list files, most important first
    std::vector<std::string> applicationDirs;  // folders holding desktop entries
};
XdgDirectories CurrentXdgDirectories();

// The command of the default web browser (for http links, else for HTML files) found in
// `dirs`; nothing when none is set up or its entry cannot be read.
std::optional<std::string> DefaultBrowserCommand(const XdgDirectories& dirs);

}  // namespace controls
