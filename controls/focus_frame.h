// The focus frame of the control library's widgets, which paint themselves: a dotted
// one-pixel frame, shown while the widget has the keyboard focus.
#pragma once

class QColor;
class QPainter;
class QRect;
class QWidget;

namespace controls {

// Whether `widget` shows its focus frame: it has the focus, and the user has moved the focus
// with the keyboard in its window. A click alone does not show it, as with Qt's own controls,
// so a window opens without frames until the keyboard is used.
bool ShowsFocusFrame(const QWidget& widget);

// Every other pixel of the outermost pixels of `rect`, starting with its top-left corner.
void DrawFocusFrame(QPainter& painter, const QRect& rect, const QColor& color);

}  // namespace controls
