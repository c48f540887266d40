#include "res/artwork.h"

namespace res {

QString IconPath(int id) {
    return QStringLiteral(":/icons/%1.png").arg(id);
}

const std::vector<int>& IconSizes() {
    static const std::vector<int> sizes{VANTREL_ICON_SIZES};
    return sizes;
}

QIcon Icon(int id) {
    QIcon icon;
    for (int size : IconSizes())
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(id).arg(size), QSize(size, size));
    icon.addFile(IconPath(id), QSize(256, 256));
    return icon;
}

QString BitmapPath(int id) {
    return QStringLiteral(":/bitmaps/%1.png").arg(id);
}

}  // namespace res
