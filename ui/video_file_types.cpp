#include "ui/video_file_types.h"

#include <QFileDialog>
#include <QStringList>

namespace ui {

const std::vector<FileFilter>& VideoFileTypes() {
    static const std::vector<FileFilter> types = {
        {"MPEG Files (*.mpg;*.mpeg)", "*.mpg;*.mpeg"},
        {"AVI Files (*.avi)", "*.avi"},
        {"MPEG4 Files (*.mp4)", "*.mp4"},
        {"3GP Files (*.3gp;*.3g2)", "*.3gp;*.3g2"},
        {"Video CD Files (*.dat)", "*.dat"},
        {"Quick Time Files (*.mov;*.m4v;*.m2v)", "*.mov;*.m4v;*.m2v"},
        {"Windows Media Video (*.wmv;*.asf)", "*.wmv;*.asf"},
        {"Flash Video Files (*.flv)", "*.flv"},
        {"DVD Video Files (*.vob)", "*.vob"},
        {"All Supported Video Formats "
         "(*.mpg;*.mpeg;*.avi;*.mp4;*.3gp;*.dat;*.mov;*.flv;*.wmv;*.asf;*.vob)",
         "*.mpg;*.mpeg;*.avi;*.mp4;*.3gp;*.dat;*.mov;*.flv;*.wmv;*.asf;*.vob"},
    };
    return types;
}

QString AnyCasePatterns(const QString& patterns) {
    QString result;
    for (const QChar c : patterns) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (lower == upper) {
            result += c;
        } else {
            result += QLatin1Char('[') + lower + upper + QLatin1Char(']');
        }
    }
    return result;
}

void SetUpOpenFilesDialog(QFileDialog& dialog, const std::vector<FileFilter>& filters) {
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setDefaultSuffix(QStringLiteral("mp3"));
    QStringList qtFilters;
    for (const FileFilter& filter : filters) {
        qtFilters << ToQtNameFilter({filter.description, AnyCasePatterns(filter.patterns)});
    }
    dialog.setNameFilters(qtFilters);
    if (!qtFilters.isEmpty())
        dialog.selectNameFilter(qtFilters.front());
}

}  // namespace ui
