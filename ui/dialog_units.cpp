#include "ui/dialog_units.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <cstdint>

namespace ui {

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const std::int64_t magnitude = product < 0 ? -product : product;
    const std::int64_t divisor = denominator < 0 ? -std::int64_t{denominator} : denominator;
    const std::int64_t rounded = (magnitude + divisor / 2) / divisor;
    return static_cast<int>(negative ? -rounded : rounded);
}

DialogBaseUnits BaseUnitsFromMetrics(int advanceOf52Letters, int height) {
    // The dialog manager's own rounding of the average over 52 letters.
    return DialogBaseUnits{(advanceOf52Letters / 26 + 1) / 2, height};
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return BaseUnitsFromMetrics(metrics.horizontalAdvance(letters), metrics.height());
}

QRect ToPixels(const DialogBaseUnits& units, const DluRect& rect) {
    // Edges are converted, so controls that touch in dialog units touch in pixels rather than
    // overlapping by a rounding pixel.
    const int left = MulDiv(rect.x, units.x, 4);
    const int top = MulDiv(rect.y, units.y, 8);
    const int right = MulDiv(rect.x + rect.w, units.x, 4);
    const int bottom = MulDiv(rect.y + rect.h, units.y, 8);
    return QRect(left, top, right - left, bottom - top);
}

QSize ToPixels(const DialogBaseUnits& units, int widthDlu, int heightDlu) {
    return QSize(MulDiv(widthDlu, units.x, 4), MulDiv(heightDlu, units.y, 8));
}

}  // namespace ui
