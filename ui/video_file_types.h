// The file types that Add offers, and patterns that match a name whatever its letter case.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "ui/file_filter.h"

class QFileDialog;

namespace ui {

// The types of Add's file picker, in order: "All Supported Video Formats" first, selected when
// the picker opens, then each kind of video on its own.
const std::vector<FileFilter>& VideoFileTypes();

// The name patterns of every file Vantrel accepts, each once ("*.mpg", "*.mpeg", "*.avi", ...):
// the "All Supported" type, and what a dropped folder gives.
const QStringList& VideoPatterns();

// `patterns` with every letter turned into a bracket of both its cases, so that a file system
// that tells case apart still matches CLIP.AVI with "*.avi": "*.avi;*.mpg" becomes
// "*.[aA][vV][iI];*.[mM][pP][gG]". Other characters stay as they are.
QString AnyCasePatterns(const QString& patterns);

// Sets `dialog` up as Add's picker: existing files, several at once, `filters` in order with
// patterns of any case and the first one selected, default extension "mp3".
void SetUpOpenFilesDialog(QFileDialog& dialog, const std::vector<FileFilter>& filters);

}  // namespace ui
