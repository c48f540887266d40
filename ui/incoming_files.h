// Files that come in other ways than Add's picker: the command line (a file manager's Open
// With), another vantrel handing its files over, a drop on the window.
#pragma once

#include <QStringList>

namespace ui {

struct IncomingFiles {
    QStringList files;          // to add, in order
    QStringList notFiles;       // names that are neither a file nor a folder
    int unreadableFolders = 0;  // folders (given or found inside one) that could not be read
};

// Sorts `paths` out, keeping their order: a file is added as it is; a folder gives the video
// files inside it (Add's file types whatever their letter case, in every folder below it),
// sorted by name; anything else (a missing path, a device) is no file. A folder that cannot be
// listed is counted, not searched.
IncomingFiles CollectIncomingFiles(const QStringList& paths);

}  // namespace ui
