#include "ui/dialog_template.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>

namespace ui {
namespace {

Qt::WindowFlags FlagsOf(DialogFrame frame) {
    const Qt::WindowFlags common = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (frame == DialogFrame::Main)
        return Qt::Window | common | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    return Qt::Dialog | common;
}

}  // namespace

DialogTemplate::DialogTemplate(QDialog* dialog, int pointSize, int widthDlu, int heightDlu,
                               DialogFrame frame) {
    QFont font = QApplication::font();
    font.setPointSize(pointSize);
    dialog->setFont(font);
    units_ = BaseUnitsOf(font);
    fontHeight_ = QFontMetrics(font).height();
    dialog->setWindowFlags(FlagsOf(frame));
    const QSize size = ui::ToPixels(units_, widthDlu, heightDlu);
    if (frame == DialogFrame::Main) {
        // QDialog's own size grip would sit on the controls of the bottom-right corner.
        dialog->setSizeGripEnabled(false);
        layout_ = new AnchorLayout(dialog, size);
        dialog->setMinimumSize(size);
        dialog->resize(size);
    } else {
        dialog->setFixedSize(size);
    }
}

QRect DialogTemplate::ToPixels(const DluRect& rect) const {
    return ui::ToPixels(units_, rect);
}

void DialogTemplate::PlacePixels(QWidget* control, const QRect& pixels, Anchors anchors) const {
    if (layout_ != nullptr)
        layout_->AddControl(control, pixels, anchors);
    else
        control->setGeometry(pixels);
}

void DialogTemplate::Place(QWidget* control, const DluRect& rect, Anchors anchors) const {
    PlacePixels(control, ToPixels(rect), anchors);
}

void DialogTemplate::PlaceDropDown(QComboBox* combo, const DluRect& rect, Anchors anchors) const {
    QRect pixels = ToPixels(rect);
    pixels.setHeight(combo->sizeHint().height());
    PlacePixels(combo, pixels, anchors);
}

void DialogTemplate::PlaceGroupBox(QGroupBox* box, const DluRect& rect, Anchors anchors) const {
    QRect pixels = ToPixels(rect);
    if (box->title().isEmpty())
        pixels.setTop(pixels.top() + fontHeight_ / 2 - 1);
    PlacePixels(box, pixels, anchors);
}

}  // namespace ui
