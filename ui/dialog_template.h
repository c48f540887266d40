// Builds a dialog the way a resource template describes it: the template's font, a fixed
// client area and every control at its place and size in dialog units.
#pragma once

#include "ui/dialog_units.h"

class QComboBox;
class QDialog;
class QGroupBox;
class QWidget;

namespace ui {

enum class DialogFrame {
    Main,   // caption, system menu and minimise box; a window of its own in the task bar
    Modal,  // caption, system menu and close box, modal frame
};

class DialogTemplate {
public:
    // Gives `dialog` the application's font at `pointSize`, the frame, and a fixed client area
    // of `widthDlu` by `heightDlu` dialog units (no sizing border, no maximise box).
    DialogTemplate(QDialog* dialog, int pointSize, int widthDlu, int heightDlu, DialogFrame frame);

    const DialogBaseUnits& Units() const { return units_; }
    QRect ToPixels(const DluRect& rect) const;

    void Place(QWidget* control, const DluRect& rect) const;

    // The template gives the height of the open list; the closed box keeps its natural height.
    void PlaceDropDown(QComboBox* combo, const DluRect& rect) const;

    // A group box without a caption draws its frame line half a character below its top,
    // as the dialog manager's group boxes do; with a caption the style already does so.
    void PlaceGroupBox(QGroupBox* box, const DluRect& rect) const;

private:
    DialogBaseUnits units_;
    int fontHeight_ = 0;
};

}  // namespace ui
