// Add's file types, the same set for a dropped folder, and a file picker set up with them that
// finds names in any letter case.
#include "ui/video_file_types.h"

#include "ui/incoming_files.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QTest>

#include "qt_printers.h"
#include "support/temp_folder.h"
#include "wait_until.h"

namespace {

using testing_support::WaitUntil;

TEST(VideoFileTypesTest, AllSupportedComesFirstAndHoldsEveryPatternOfTheTypes) {
    const std::vector<ui::FileFilter>& types = ui::VideoFileTypes();
    ASSERT_GE(types.size(), 2u);
    EXPECT_TRUE(types[0].description.startsWith("All Supported Video Formats ("));
    EXPECT_EQ(types[0].patterns, ui::VideoPatterns().join(';'));
    QStringList ofTheTypes;
    for (std::size_t i = 0; i < types.size(); ++i) {
        // Each description names its own patterns.
        EXPECT_TRUE(types[i].description.endsWith("(" + types[i].patterns + ")")) << i;
        if (i > 0)
            ofTheTypes << types[i].patterns.split(';');
    }
    ofTheTypes.sort();
    QStringList all = ui::VideoPatterns();
    all.sort();
    EXPECT_EQ(ofTheTypes, all);  // and no pattern in two types
    for (const char* pattern : {"*.avi", "*.m4v", "*.3g2", "*.m2v", "*.mkv", "*.webm"})
        EXPECT_TRUE(all.contains(pattern)) << pattern;
}

// A dropped folder gives the files of every accepted type, in any letter case, and only them.
TEST(VideoFileTypesTest, ADroppedFolderGivesTheFilesOfEveryType) {
    testing_support::TempFolder folder;
    QStringList expected;
    for (const QString& pattern : ui::VideoPatterns()) {
        const QString name = "clip" + pattern.mid(1).toUpper();
        testing_support::WriteFile(folder / name.toStdString(), "x");
        expected << QDir::toNativeSeparators(QString::fromStdString(folder / name.toStdString()));
    }
    testing_support::WriteFile(folder / "notes.txt", "x");
    expected.sort();
    const ui::IncomingFiles incoming =
        ui::CollectIncomingFiles({QString::fromStdString(folder.Path())});
    EXPECT_EQ(incoming.files, expected);
    EXPECT_TRUE(incoming.notFiles.isEmpty());
}

TEST(VideoFileTypesTest, AnyCasePatternsBracketEveryLetter) {
    EXPECT_EQ(ui::AnyCasePatterns("*.avi"), QStringLiteral("*.[aA][vV][iI]"));
    EXPECT_EQ(ui::AnyCasePatterns("*.3gp;*.3g2"), QStringLiteral("*.3[gG][pP];*.3[gG]2"));
    EXPECT_EQ(ui::AnyCasePatterns(""), QString());
}

// The names a file picker lists in its folder under its selected type.
QStringList Listed(QFileDialog& dialog) {
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    if (!view)
        return {"(no list view)"};
    QStringList names;
    QAbstractItemModel* model = view->model();
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row) {
        const QModelIndex index = model->index(row, 0, root);
        if (model->flags(index) & Qt::ItemIsEnabled)
            names << index.data().toString();
    }
    names.sort();
    return names;
}

class OpenFilesDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"CLIP.AVI", "other.avi", "Movie.MpEg", "notes.txt", "old.VoB"})
            testing_support::WriteFile(folder_ / name, "x");
        dialog_.setOption(QFileDialog::DontUseNativeDialog);
        ui::SetUpOpenFilesDialog(dialog_, ui::VideoFileTypes());
        dialog_.setDirectory(QString::fromStdString(folder_.Path()));
        dialog_.show();
    }
    // What the picker lists under the type, once it shows `expected` or has had its time.
    QStringList ListedUnder(int type, const QStringList& expected) {
        dialog_.selectNameFilter(dialog_.nameFilters().at(type));
        QStringList listed;
        WaitUntil([&] { return (listed = Listed(dialog_)) == expected; }, 3000);
        return listed;
    }

    testing_support::TempFolder folder_;
    QFileDialog dialog_;
};

TEST_F(OpenFilesDialogTest, PicksSeveralExistingFilesWithAllSupportedSelected) {
    EXPECT_EQ(dialog_.fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(dialog_.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog_.nameFilters().size(), static_cast<int>(ui::VideoFileTypes().size()));
    // The selected type is shown by its description alone.
    EXPECT_EQ(dialog_.selectedNameFilter(), ui::VideoFileTypes().front().description);
    EXPECT_EQ(dialog_.defaultSuffix(), QStringLiteral("mp3"));
}

TEST_F(OpenFilesDialogTest, TypesMatchNamesInAnyLetterCase) {
    // A native picker (GTK's matches patterns case-sensitively) gets the bracketed patterns.
    EXPECT_EQ(dialog_.nameFilters().at(2), QStringLiteral("AVI Files (*.avi) (*.[aA][vV][iI])"));
    // Two names, as a folder that ignores letter case (Windows') can hold them.
    const QStringList avi{"CLIP.AVI", "other.avi"};
    EXPECT_EQ(ListedUnder(2, avi), avi);
    const QStringList mpeg{"Movie.MpEg"};
    EXPECT_EQ(ListedUnder(1, mpeg), mpeg);
    const QStringList all{"CLIP.AVI", "Movie.MpEg", "old.VoB", "other.avi"};
    EXPECT_EQ(ListedUnder(0, all), all);
}

}  // namespace
