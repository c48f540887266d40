#include "ui/incoming_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

#include "ui/video_file_types.h"

namespace ui {
namespace {

// QDir matches the patterns whatever the letter case.
QStringList VideosIn(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, VideoPatterns(), QDir::Files | QDir::Readable | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) found << it.next();
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

IncomingFiles CollectIncomingFiles(const QStringList& paths) {
    IncomingFiles incoming;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir())
            incoming.files << VideosIn(info.absoluteFilePath());
        else if (info.isFile())
            incoming.files << info.absoluteFilePath();
        else
            incoming.notFiles << path;
    }
    return incoming;
}

}  // namespace ui
