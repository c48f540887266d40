#include "controls/shade.h"

#include <algorithm>

namespace controls {

QRgb ShadeColor(QRgb color, int shade) {
    const int r = qRed(color);
    const int g = qGreen(color);
    const int b = qBlue(color);
    const int amount = shade > 0 ? std::min(shade, 255 - std::max({r, g, b}))
                                 : std::max(shade, -std::min({r, g, b}));
    return qRgba(r + amount, g + amount, b + amount, qAlpha(color));
}

}  // namespace controls
