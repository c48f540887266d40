#include "ui/incoming_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

#include "platform/fs.h"

#include "platform/path_info.h"
#include "ui/path_text.h"
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
    // A name is looked at by its bytes (ui::PathBytes), so one that is not UTF-8 is found.
    for (const QString& path : paths) {
        const std::string bytes = ui::PathBytes(path);
        const platform::PathInfo info = platform::Inspect(bytes);
        if (info.kind == platform::PathInfo::Kind::Folder)
            incoming.files << VideosIn(QFileInfo(path).absoluteFilePath());
        else if (info.kind == platform::PathInfo::Kind::Regular)
            incoming.files << ui::PathText(platform::AbsolutePath(bytes));
        else
            incoming.notFiles << path;
    }
    return incoming;
}

}  // namespace ui
