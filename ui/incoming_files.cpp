#include "ui/incoming_files.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/dir_list.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/path_info.h"
#include "ui/path_text.h"
#include "ui/video_file_types.h"

namespace ui {
namespace {

// Whether `name` ends in one of Add's extensions, whatever the letter case.
bool IsVideoName(const std::string& name) {
    static const std::vector<std::string> suffixes = [] {
        std::vector<std::string> list;
        for (const QString& pattern : VideoPatterns())
            list.push_back(pattern.mid(1).toLower().toStdString());  // "*.avi" -> ".avi"
        return list;
    }();
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; });
    return std::any_of(suffixes.begin(), suffixes.end(), [&](const std::string& suffix) {
        return lower.size() > suffix.size() &&
               lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0;
    });
}

// The readable videos in `folder` and every folder below it (links to folders are not
// followed), and how many of those folders could not be listed. The names are the files' own
// bytes, so a name that is not UTF-8 still finds its file.
void Search(const std::string& folder, std::vector<std::string>* found, int* unreadable) {
    const auto entries = platform::ListFolder(folder);
    if (!entries) {
        ++*unreadable;
        return;
    }
    for (const platform::FolderEntry& entry : *entries) {
        const std::string path = platform::path::Join(folder, entry.name);
        if (entry.kind == platform::FolderEntry::Kind::File && IsVideoName(entry.name) &&
            platform::CanRead(path))
            found->push_back(path);
        else if (entry.kind == platform::FolderEntry::Kind::Folder && !entry.link)
            Search(path, found, unreadable);
    }
}

QStringList VideosIn(const std::string& folder, int* unreadable) {
    std::vector<std::string> found;
    Search(folder, &found, unreadable);
    QStringList names;
    for (const std::string& path : found) names << PathText(path);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

IncomingFiles CollectIncomingFiles(const QStringList& paths) {
    IncomingFiles incoming;
    // A name is looked at by its bytes (ui::PathBytes), so one that is not UTF-8 is found.
    for (const QString& path : paths) {
        const std::string bytes = ui::PathBytes(path);
        const platform::PathInfo info = platform::Inspect(bytes);
        if (info.kind == platform::PathInfo::Kind::Folder)
            incoming.files << VideosIn(platform::AbsolutePath(bytes), &incoming.unreadableFolders);
        else if (info.kind == platform::PathInfo::Kind::Regular)
            incoming.files << ui::PathText(platform::AbsolutePath(bytes));
        else
            incoming.notFiles << path;
    }
    return incoming;
}

}  // namespace ui
