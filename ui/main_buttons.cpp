#include "ui/main_buttons.h"

#include "controls/icon_button.h"

namespace ui {

const std::vector<MainButtonLook>& MainButtonLooks() {
    static const std::vector<MainButtonLook> looks = {
        {1004, ButtonImage::Icon, 135, 36, "Add video files to convert flv video format."},
        {1005, ButtonImage::Icon, 139, 36, "Remove a item from list."},
        {1006, ButtonImage::Icon, 141, 36, "Clear all items from list."},
        {1007, ButtonImage::Icon, 143, 36, "Start convert video files to flv video format."},
        {1008, ButtonImage::Icon, 145, 36, "Stop converting."},
        {1, ButtonImage::Icon, 147, 36, "Quit"},
        {1024, ButtonImage::Bitmap, 156, 0, "Select custom settings for FLV video encoder."},
        {1023, ButtonImage::Bitmap, 155, 0, "Select custom settings for FLV video encoder."},
        {1002, ButtonImage::Icon, 149, 32, "Select a directory for saving FLV video files."},
        {1010, ButtonImage::None, 0, 0, "Open output dorectory."},
    };
    return looks;
}

int ApplyLook(CIconButton& button, const MainButtonLook& look) {
    int result = CIconButton::ResultOk;
    const auto keepFirst = [&result](int r) {
        if (result == CIconButton::ResultOk)
            result = r;
    };
    switch (look.image) {
        case ButtonImage::Icon:
            keepFirst(button.LoadIcons(look.resource, look.size, look.size, look.resource,
                                       look.size, look.size));
            break;
        case ButtonImage::Bitmap:
            keepFirst(button.LoadBitmaps(look.resource, kHoverTransparent, look.resource,
                                         kNormalTransparent));
            break;
        case ButtonImage::None:
            break;
    }
    keepFirst(button.ShadeStateColor(CIconButton::ColorBackgroundIn, 30));
    button.SetToolTipText(QString::fromLatin1(look.tooltip), true);
    keepFirst(button.SetStateColor(CIconButton::ColorForegroundIn, qRgb(0, 0, 255)));
    keepFirst(button.SetStateColor(CIconButton::ColorForegroundOut, qRgb(0, 0, 0)));
    return result;
}

}  // namespace ui
