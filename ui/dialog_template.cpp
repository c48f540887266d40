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
        return Qt::Window | common | Qt::WindowMinimizeButtonHint;
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
    dialog->setFixedSize(ui::ToPixels(units_, widthDlu, heightDlu));
}

QRect DialogTemplate::ToPixels(const DluRect& rect) const {
    return ui::ToPixels(units_, rect);
}

void DialogTemplate::Place(QWidget* control, const DluRect& rect) const {
    control->setGeometry(ToPixels(rect));
}

void DialogTemplate::PlaceDropDown(QComboBox* combo, const DluRect& rect) const {
    QRect pixels = ToPixels(rect);
    pixels.setHeight(combo->sizeHint().height());
    combo->setGeometry(pixels);
}

void DialogTemplate::PlaceGroupBox(QGroupBox* box, const DluRect& rect) const {
    QRect pixels = ToPixels(rect);
    if (box->title().isEmpty())
        pixels.setTop(pixels.top() + fontHeight_ / 2 - 1);
    box->setGeometry(pixels);
}

}  // namespace ui
