// File-type filters of a file picker, in the form Qt's file dialog understands.
#pragma once

#include <QString>

namespace ui {

// One entry of a file picker's type list: its text and its patterns, ";"-separated.
struct FileFilter {
    QString description;
    QString patterns;
};

// Qt reads a filter's patterns from its last parentheses, separated by blanks:
// "MPEG Files (*.mpg;*.mpeg)" with "*.mpg;*.mpeg" becomes
// "MPEG Files (*.mpg;*.mpeg) (*.mpg *.mpeg)". Shown with HideNameFilterDetails, the dialog
// lists the description alone.
QString ToQtNameFilter(const FileFilter& filter);

}  // namespace ui
