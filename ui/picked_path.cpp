#include "ui/picked_path.h"

#include <QFile>
#include <QFileInfo>
#include <optional>

#include "platform/dir_list.h"
#include "platform/path.h"
#include "platform/path_info.h"
#include "ui/path_text.h"

namespace ui {

std::string PickedPathBytes(const QString& picked) {
    const std::string bytes = PathBytes(picked);
    if (!picked.contains(QChar::ReplacementCharacter) ||
        platform::Inspect(bytes).kind != platform::PathInfo::Kind::Missing)
        return bytes;
    const QFileInfo info(picked);
    const std::string folder = PathBytes(info.absolutePath());
    const auto entries = platform::ListFolder(folder);
    if (!entries)
        return bytes;
    const QString name = info.fileName();
    std::optional<std::string> match;
    for (const platform::FolderEntry& entry : *entries) {
        if (QFile::decodeName(QByteArray::fromStdString(entry.name)) != name)
            continue;
        if (match)
            return bytes;  // two names look alike: which one was meant cannot be told
        match = entry.name;
    }
    return match ? platform::path::Join(folder, *match) : bytes;
}

}  // namespace ui
