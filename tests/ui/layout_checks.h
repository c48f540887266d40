// Checks that a dialog built from a template looks right: every text fits its control and no
// two controls overlap. Each returns a description of every problem found (empty: none).
#pragma once

#include <QString>
#include <QStringList>

#include "qt_printers.h"

class QComboBox;
class QWidget;

namespace testing_support {

// Labels, buttons (icon and caption), group box titles and the drop-down lists' shown entries
// that do not fit.
QStringList ClippedTexts(const QWidget& dialog);

// Entries of a drop-down list that would be cut in its closed box when chosen.
QStringList EntriesThatDoNotFit(const QComboBox& combo);

// Controls that overlap one another, cross a group box's frame or leave the dialog.
QStringList Overlaps(const QWidget& dialog);

}  // namespace testing_support
