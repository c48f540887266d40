#include <QCryptographicHash>
#include <QDir>

#include "platform/places.h"
#include "ui/instance_place.h"
#include "ui/path_text.h"

namespace ui {

// Named pipes live in one namespace for the whole machine: the name comes from the folder,
// which is the user's own, so two users (or two test folders) never meet. Windows paths
// ignore case.
InstancePlace InstancePlaceIn(const QString& folder) {
    InstancePlace place;
    if (!QDir().mkpath(folder)) {
        place.problem = QStringLiteral(
                            "Files given to vantrel later open another window: the "
                            "folder %1 cannot be created.")
                            .arg(QDir::toNativeSeparators(folder));
        return place;
    }
    const QString key = QDir::toNativeSeparators(QDir::cleanPath(folder)).toCaseFolded();
    const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256);
    place.lock = folder + QStringLiteral("/instance.lock");
    place.server = QStringLiteral("vantrel-") + QString::fromLatin1(hash.toHex().left(32));
    return place;
}

InstancePlace DefaultInstancePlace() {
    return InstancePlaceIn(PathText(platform::StateFolder()));
}

}  // namespace ui
