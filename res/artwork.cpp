#include "res/artwork.h"

namespace res {

QString IconPath(int id) {
    return QStringLiteral(":/icons/%1.svg").arg(id);
}

QString BitmapPath(int id) {
    return QStringLiteral(":/bitmaps/%1.svg").arg(id);
}

}  // namespace res
