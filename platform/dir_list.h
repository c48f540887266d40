// A folder's entries by their names' own bytes, so that a name that is not valid UTF-8 comes
// back as the very name of its file (on Windows, the UTF-8 of the UTF-16 name).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct FolderEntry {
    enum class Kind { File, Folder, Other };
    std::string name;         // the name alone, without the folder
    Kind kind = Kind::Other;  // what the entry names, a symbolic link followed
    bool link = false;        // the entry itself is a symbolic link (on Windows, a reparse point)
};

// The entries of `folder`, without "." and "..", in no particular order; nothing when the
// folder cannot be listed. A link that leads nowhere is Other.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder);

}  // namespace platform
