// Dialog units to pixels, as the Windows dialog manager converts its templates: a horizontal
// unit is a quarter of the font's average character width, a vertical unit an eighth of its
// height. Placing every control this way keeps a dialog looking like its template at any font
// size.
#pragma once

#include <QRect>
#include <QSize>

class QFont;

namespace ui {

struct DialogBaseUnits {
    int x = 0;  // average width of the letters A-Z a-z, rounded
    int y = 0;  // character height
};

// A rectangle in dialog units: left, top, width, height.
struct DluRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// number * numerator / denominator with a 64-bit intermediate, rounded half away from zero.
// A zero denominator gives -1.
int MulDiv(int number, int numerator, int denominator);

// Base units from the total advance of the 52 letters and the font's height.
DialogBaseUnits BaseUnitsFromMetrics(int advanceOf52Letters, int height);

// Base units of a font, measured.
DialogBaseUnits BaseUnitsOf(const QFont& font);

// Each edge converted on its own; the size is what lies between the converted edges.
QRect ToPixels(const DialogBaseUnits& units, const DluRect& rect);
QSize ToPixels(const DialogBaseUnits& units, int widthDlu, int heightDlu);

}  // namespace ui
