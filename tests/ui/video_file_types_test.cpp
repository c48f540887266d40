// Add's file types, and a file picker set up with them that finds names in any letter case.
#include "ui/video_file_types.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QFileDialog>
#include <QListView>
#include <QTest>

#include "qt_printers.h"
#include "support/temp_folder.h"
#include "wait_until.h"

namespace {

using testing_support::WaitUntil;

TEST(VideoFileTypesTest, TheTenTypesInOrder) {
    const std::vector<ui::FileFilter>& types = ui::VideoFileTypes();
    ASSERT_EQ(types.size(), 10u);
    const char* const descriptions[] = {
        "MPEG Files (*.mpg;*.mpeg)",
        "AVI Files (*.avi)",
        "MPEG4 Files (*.mp4)",
        "3GP Files (*.3gp;*.3g2)",
        "Video CD Files (*.dat)",
        "Quick Time Files (*.mov;*.m4v;*.m2v)",
        "Windows Media Video (*.wmv;*.asf)",
        "Flash Video Files (*.flv)",
        "DVD Video Files (*.vob)",
        "All Supported Video Formats "
        "(*.mpg;*.mpeg;*.avi;*.mp4;*.3gp;*.dat;*.mov;*.flv;*.wmv;*.asf;*.vob)",
    };
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(types[i].description, QString::fromLatin1(descriptions[i])) << i;
        // Each description names its own patterns.
        EXPECT_TRUE(types[i].description.endsWith("(" + types[i].patterns + ")")) << i;
    }
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
        for (const char* name : {"CLIP.AVI", "clip.avi", "Movie.MpEg", "notes.txt", "old.VoB"})
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

TEST_F(OpenFilesDialogTest, PicksSeveralExistingFilesWithTheFirstTypeSelected) {
    EXPECT_EQ(dialog_.fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(dialog_.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog_.nameFilters().size(), 10);
    // The selected type is shown by its description alone.
    EXPECT_EQ(dialog_.selectedNameFilter(), QStringLiteral("MPEG Files (*.mpg;*.mpeg)"));
    EXPECT_EQ(dialog_.defaultSuffix(), QStringLiteral("mp3"));
}

TEST_F(OpenFilesDialogTest, TypesMatchNamesInAnyLetterCase) {
    // A native picker (GTK's matches patterns case-sensitively) gets the bracketed patterns.
    EXPECT_EQ(dialog_.nameFilters().at(1), QStringLiteral("AVI Files (*.avi) (*.[aA][vV][iI])"));
    const QStringList avi{"CLIP.AVI", "clip.avi"};
    EXPECT_EQ(ListedUnder(1, avi), avi);
    const QStringList mpeg{"Movie.MpEg"};
    EXPECT_EQ(ListedUnder(0, mpeg), mpeg);
    const QStringList all{"CLIP.AVI", "Movie.MpEg", "clip.avi", "old.VoB"};
    EXPECT_EQ(ListedUnder(9, all), all);
}

}  // namespace
