#include "controls/link_fit.h"

namespace controls {

QRect FitLinkRect(const QRect& window, const QSize& allowance, const QSize& text,
                  Qt::Alignment alignment) {
    int x = window.x();
    int y = window.y();
    int w = window.width();
    int h = window.height();
    if (alignment & Qt::AlignVCenter) {
        const int shrink = (h - text.height()) / 2;
        y += shrink;
        h -= 2 * shrink;
    } else if (alignment & Qt::AlignBottom) {
        y += h - text.height();
        h = text.height();
    } else {
        h = text.height();
    }
    if (alignment & Qt::AlignHCenter) {
        const int shrink = (w - text.width()) / 2;
        x += shrink;
        w -= 2 * shrink;
    } else if (alignment & Qt::AlignRight) {
        x += w - text.width();
        w = text.width();
    } else {
        w = text.width();
    }
    return QRect(x, y, w + allowance.width(), h + allowance.height());
}

}  // namespace controls
