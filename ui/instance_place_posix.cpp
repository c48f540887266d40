#include <QDir>
#include <QFile>

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/places.h"
#include "ui/instance_place.h"
#include "ui/path_text.h"

namespace ui {

InstancePlace InstancePlaceIn(const QString& folder) {
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return {folder + QStringLiteral("/instance.lock"), folder + QStringLiteral("/instance"), {}};
}

// The session's runtime folder, else a folder of the state folder that must be this user's
// own, not a link, and closed to others (anyone who could write there could listen in the
// window's place and be handed the user's files).
InstancePlace DefaultInstancePlace() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return InstancePlaceIn(runtime + QStringLiteral("/vantrel"));
    const std::string state = platform::StateFolder();
    const std::string folder = platform::path::Join(state, "session");
    platform::FileStatus own = platform::CreateFolderTree(state);
    if (own)
        own = platform::EnsurePrivateFolder(folder);
    if (!own) {
        InstancePlace none;
        none.problem = QStringLiteral("Files given to vantrel later open another window: ") +
                       QString::fromStdString(own.Message()) + QLatin1Char('.');
        return none;
    }
    return InstancePlaceIn(PathText(folder));
}

}  // namespace ui
