#include "ui/incoming_files.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "platform/fs.h"

#include "platform/path_info.h"
#include "ui/path_text.h"
#include "ui/video_file_types.h"

namespace ui {
namespace {

// The videos in `folder` and every folder below it (links to folders are not followed), and
// how many of those folders could not be listed. QDir matches the patterns whatever the letter
// case.
void Search(const QString& folder, QStringList* found, int* unreadable) {
    const QFileInfo info(folder);
    if (!info.isReadable() || !info.isExecutable()) {
        ++*unreadable;
        return;
    }
    const QDir dir(folder);
    for (const QFileInfo& file :
         dir.entryInfoList(VideoPatterns(), QDir::Files | QDir::Readable | QDir::Hidden))
        *found << file.absoluteFilePath();
    for (const QFileInfo& sub :
         dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden))
        Search(sub.absoluteFilePath(), found, unreadable);
}

QStringList VideosIn(const QString& folder, int* unreadable) {
    QStringList found;
    Search(folder, &found, unreadable);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

IncomingFiles CollectIncomingFiles(const QStringList& paths) {
    IncomingFiles incoming;
    // A name is looked at by its bytes (ui::PathBytes), so one that is not UTF-8 is found.
    for (const QString& path : paths) {
        const std::string bytes = ui::PathBytes(path);
        const platform::PathInfo info = platform::Inspect(bytes);
        if (info.kind == platform::PathInfo::Kind::Folder)
            incoming.files << VideosIn(QFileInfo(path).absoluteFilePath(),
                                       &incoming.unreadableFolders);
        else if (info.kind == platform::PathInfo::Kind::Regular)
            incoming.files << ui::PathText(platform::AbsolutePath(bytes));
        else
            incoming.notFiles << path;
    }
    return incoming;
}

}  // namespace ui
