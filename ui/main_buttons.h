// How the main dialog dresses its icon buttons: image, hover colours and tooltip.
#pragma once

#include <QRgb>
#include <vector>

class CIconButton;

namespace ui {

enum class ButtonImage { None, Icon, Bitmap };

struct MainButtonLook {
    int id;  // control id of the button
    ButtonImage image;
    int resource;  // icon or bitmap number
    int size;      // icon size in pixels (bitmaps keep their own)
    const char* tooltip;
};

// Transparent colours of the bitmap buttons: the same bitmap serves both states.
inline constexpr QRgb kHoverTransparent = qRgb(255, 0, 255);
inline constexpr QRgb kNormalTransparent = qRgb(255, 255, 255);

// The ten dressed buttons, in the order they are set up.
const std::vector<MainButtonLook>& MainButtonLooks();

// Image, background under the pointer lightened by 30, tooltip, blue caption under the
// pointer and black otherwise. Returns the first failing set-up result, else 0.
int ApplyLook(CIconButton& button, const MainButtonLook& look);

}  // namespace ui
