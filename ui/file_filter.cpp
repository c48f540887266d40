#include "ui/file_filter.h"

#include <QStringList>

namespace ui {

QString ToQtNameFilter(const FileFilter& filter) {
    const QStringList patterns = filter.patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return filter.description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
           QLatin1Char(')');
}

}  // namespace ui
