// The file types that Add offers, and patterns that match a name whatever its letter case.
#pragma once

#include <QString>
#include <vector>

#include "ui/file_filter.h"

class QFileDialog;

namespace ui {

// The ten types of Add's file picker, in order; the first is selected when it opens.
const std::vector<FileFilter>& VideoFileTypes();

// `patterns` with every letter turned into a bracket of both its cases, so that a file system
// that tells case apart still matches CLIP.AVI with "*.avi": "*.avi;*.mpg" becomes
// "*.[aA][vV][iI];*.[mM][pP][gG]". Other characters stay as they are.
QString AnyCasePatterns(const QString& patterns);

// Sets `dialog` up as Add's picker: existing files, several at once, `filters` in order with
// patterns of any case and the first one selected, default extension "mp3".
void SetUpOpenFilesDialog(QFileDialog& dialog, const std::vector<FileFilter>& filters);

}  // namespace ui
