// Builds a dialog the way a resource template describes it: the template's font, the client
// area and every control at its place and size in dialog units.
#pragma once

#include "ui/anchor_layout.h"
#include "ui/dialog_units.h"

class QComboBox;
class QDialog;
class QGroupBox;
class QWidget;

namespace ui {

enum class DialogFrame {
    // Caption, system menu, minimise and maximise boxes and a sizing border; a window of its
    // own in the task bar. Opens at the template's size, which is also its smallest.
    Main,
    // Caption, system menu and close box, modal frame, fixed at the template's size.
    Modal,
};

class DialogTemplate {
public:
    // Gives `dialog` the application's font at `pointSize`, the frame, and a client area of
    // `widthDlu` by `heightDlu` dialog units.
    DialogTemplate(QDialog* dialog, int pointSize, int widthDlu, int heightDlu, DialogFrame frame);

    const DialogBaseUnits& Units() const { return units_; }
    QRect ToPixels(const DluRect& rect) const;

    // At the template's size a control is exactly where the template puts it. When a sizable
    // dialog grows, its edges anchored right or bottom follow the dialog's (see AnchorLayout);
    // in a fixed dialog the anchors have nothing to do.
    void Place(QWidget* control, const DluRect& rect, Anchors anchors = kStayTopLeft) const;

    // The template gives the height of the open list; the closed box keeps its natural height.
    void PlaceDropDown(QComboBox* combo, const DluRect& rect, Anchors anchors = kStayTopLeft) const;

    // A group box without a caption draws its frame line half a character below its top,
    // as the dialog manager's group boxes do; with a caption the style already does so.
    void PlaceGroupBox(QGroupBox* box, const DluRect& rect, Anchors anchors = kStayTopLeft) const;

private:
    void PlacePixels(QWidget* control, const QRect& pixels, Anchors anchors) const;

    DialogBaseUnits units_;
    int fontHeight_ = 0;
    AnchorLayout* layout_ = nullptr;  // owned by the dialog; only for a sizable frame
};

}  // namespace ui
