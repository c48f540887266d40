#include "ui/video_file_types.h"

#include <QFileDialog>
#include <QStringList>

namespace ui {

namespace {

struct VideoType {
    const char* name;
    const char* patterns;  // ";"-separated
};

// Every kind of video Vantrel accepts: the one table behind the picker and dropped folders.
constexpr VideoType kVideoTypes[] = {
    {"MPEG Files", "*.mpg;*.mpeg"},
    {"AVI Files", "*.avi"},
    {"MPEG4 Files", "*.mp4"},
    {"3GP Files", "*.3gp;*.3g2"},
    {"Video CD Files", "*.dat"},
    {"Quick Time Files", "*.mov;*.m4v;*.m2v"},
    {"Windows Media Video", "*.wmv;*.asf"},
    {"Flash Video Files", "*.flv"},
    {"DVD Video Files", "*.vob"},
    {"Matroska and WebM Files", "*.mkv;*.webm"},
};

FileFilter Described(const QString& name, const QString& patterns) {
    return {name + QStringLiteral(" (") + patterns + QLatin1Char(')'), patterns};
}

}  // namespace

const QStringList& VideoPatterns() {
    static const QStringList patterns = [] {
        QStringList all;
        for (const VideoType& type : kVideoTypes)
            all << QString::fromLatin1(type.patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        all.removeDuplicates();
        return all;
    }();
    return patterns;
}

const std::vector<FileFilter>& VideoFileTypes() {
    static const std::vector<FileFilter> types = [] {
        std::vector<FileFilter> list{Described(QStringLiteral("All Supported Video Formats"),
                                               VideoPatterns().join(QLatin1Char(';')))};
        for (const VideoType& type : kVideoTypes)
            list.push_back(
                Described(QString::fromLatin1(type.name), QString::fromLatin1(type.patterns)));
        return list;
    }();
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
