#include "controls/focus_frame.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QRect>
#include <QWidget>

namespace controls {

bool ShowsFocusFrame(const QWidget& widget) {
    return widget.hasFocus() && widget.window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

void DrawFocusFrame(QPainter& painter, const QRect& rect, const QColor& color) {
    if (rect.width() < 1 || rect.height() < 1)
        return;
    painter.save();
    // A checkerboard brush dots each one-pixel side. Its own first pixel is a gap, so it is
    // anchored one pixel left of the corner: the corner pixel is drawn wherever the frame lies.
    painter.setBrushOrigin(rect.topLeft() - QPoint(1, 0));
    const QBrush dots(color, Qt::Dense4Pattern);
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), dots);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), dots);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), dots);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), dots);
    painter.restore();
}

}  // namespace controls
