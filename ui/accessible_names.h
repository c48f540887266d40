// How the windows name their controls for screen readers.
#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace ui {

// The label's text as a name: without the colon at its end ("Output directory:" is read
// "Output directory").
QString NameFromLabel(const QString& labelText);

// Ties `label` to the control it stands beside: the label becomes the control's buddy (screen
// readers on Linux read a list by the label it is labelled by) and both carry the same
// accessible name, `name` or else the label's text without its colon. A label that appears
// twice in a window ("Encoder:") is given a `name` that tells the two apart.
void NameAfterLabel(QLabel& label, QWidget& control, const QString& name = QString());

}  // namespace ui
