#include <QDir>
#include <QFile>

#include "platform/fs.h"
#include "platform/user.h"
#include "ui/instance_place.h"
#include "ui/path_text.h"

namespace ui {

InstancePlace InstancePlaceIn(const QString& folder) {
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return {folder + QStringLiteral("/instance.lock"), folder + QStringLiteral("/instance"), {}};
}

// A folder of the user's runtime folder, which only this user can reach (anyone who could
// write there could listen in the window's place and be handed the user's files).
InstancePlace DefaultInstancePlace() {
    platform::FileStatus status;
    const std::string runtime = platform::UserRuntimeFolder(&status);
    if (runtime.empty()) {
        InstancePlace none;
        none.problem = QStringLiteral("Files given to vantrel later open another window: ") +
                       QString::fromStdString(status.Message()) + QLatin1Char('.');
        return none;
    }
    return InstancePlaceIn(PathText(runtime) + QStringLiteral("/vantrel"));
}

}  // namespace ui
