#include "ui/accessible_names.h"

#include <QLabel>
#include <QWidget>

namespace ui {

QString NameFromLabel(const QString& labelText) {
    QString name = labelText.trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

void NameAfterLabel(QLabel& label, QWidget& control, const QString& name) {
    const QString accessibleName = name.isEmpty() ? NameFromLabel(label.text()) : name;
    label.setBuddy(&control);
    label.setAccessibleName(accessibleName);
    control.setAccessibleName(accessibleName);
}

}  // namespace ui
