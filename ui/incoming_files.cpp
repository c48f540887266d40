#include "ui/incoming_files.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

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
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            incoming.files << VideosIn(info.absoluteFilePath(), &incoming.unreadableFolders);
        else if (info.isFile())
            incoming.files << info.absoluteFilePath();
        else
            incoming.notFiles << path;
    }
    return incoming;
}

}  // namespace ui
