// The main window's other commands: Quit, the close box, Esc and Enter, Browse, Open and the
// profile list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <memory>

#include "batch_folders.h"
#include "controls/icon_button.h"
#include "fake_ui_services.h"
#include "qt_printers.h"
#include "settings/settings_file.h"
#include "ui/converter_dlg.h"

namespace {

class ConverterDlgCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dlg_ = std::make_unique<CConverterDlg>(nullptr, &services_);
        dlg_->show();
        QApplication::setActiveWindow(dlg_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg_.get()));
    }
    void ExpectAskedToQuit() const {
        ASSERT_EQ(services_.asked.size(), 1u);
        EXPECT_EQ(services_.asked[0].caption, QStringLiteral("Warning"));
        EXPECT_EQ(services_.asked[0].text, QStringLiteral("Do you want to quit?"));
        EXPECT_EQ(services_.asked[0].icon, ui::MessageIcon::Question);
    }

    testing_support::BatchFolders folders_;
    testing_support::FakeUiServices services_;
    std::unique_ptr<CConverterDlg> dlg_;
};

TEST_F(ConverterDlgCommandsTest, QuitAsksAndEndsTheDialogOnYes) {
    services_.answer = true;
    QTest::mouseClick(dlg_->m_btnQuit, Qt::LeftButton);
    ExpectAskedToQuit();
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_EQ(dlg_->result(), QDialog::Accepted);
}

TEST_F(ConverterDlgCommandsTest, QuitAnsweredNoKeepsTheDialog) {
    services_.answer = false;
    QTest::mouseClick(dlg_->m_btnQuit, Qt::LeftButton);
    ExpectAskedToQuit();
    EXPECT_TRUE(dlg_->isVisible());
}

TEST_F(ConverterDlgCommandsTest, EnterOnTheJobListAsksToQuit) {
    dlg_->m_listJobs->setFocus();
    services_.answer = false;
    QTest::keyClick(dlg_->m_listJobs, Qt::Key_Return);
    ExpectAskedToQuit();
    EXPECT_TRUE(dlg_->isVisible());
}

TEST_F(ConverterDlgCommandsTest, EnterOnAnotherButtonPressesThatButton) {
    dlg_->m_btnAbout->setFocus();
    QTest::keyClick(dlg_->m_btnAbout, Qt::Key_Return);
    EXPECT_TRUE(services_.asked.empty());
    EXPECT_EQ(services_.modalClasses, std::vector<QString>{"CAboutDlg"});
}

TEST_F(ConverterDlgCommandsTest, CloseBoxAsksAndEndsTheDialogAsCancelOnYes) {
    services_.answer = true;
    EXPECT_TRUE(dlg_->close());
    ExpectAskedToQuit();
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_EQ(dlg_->result(), QDialog::Rejected);
}

TEST_F(ConverterDlgCommandsTest, CloseBoxAnsweredNoKeepsTheDialog) {
    services_.answer = false;
    EXPECT_FALSE(dlg_->close());
    ExpectAskedToQuit();
    EXPECT_TRUE(dlg_->isVisible());
}

TEST_F(ConverterDlgCommandsTest, EscEndsTheDialogWithoutAQuestion) {
    QTest::keyClick(dlg_->m_listJobs, Qt::Key_Escape);
    EXPECT_TRUE(services_.asked.empty());
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_EQ(dlg_->result(), QDialog::Rejected);
}

TEST_F(ConverterDlgCommandsTest, BrowseShowsAndStoresThePickedFolder) {
    // Longer than the settings file's buffer for other values: stored and read back whole.
    const std::string picked =
        folders_.Path("picked/" + std::string(135, 'p') + "/" + std::string(135, 'q'));
    services_.folderToPick = QString::fromStdString(picked);
    const QString before = dlg_->m_editOutPath->text();
    QTest::mouseClick(dlg_->m_btnBrowse, Qt::LeftButton);
    EXPECT_EQ(services_.folderPrompts, std::vector<QString>{"Select output file path"});
    // The picker opens at the folder in use, not at the working folder.
    EXPECT_EQ(services_.folderStarts, std::vector<QString>{before});
    EXPECT_EQ(dlg_->m_editOutPath->text().toStdString(), picked);
    EXPECT_EQ(settings::ReadText(settings::kOutPath, ""), picked);
    EXPECT_TRUE(services_.told.empty());
}

TEST_F(ConverterDlgCommandsTest, CancelledBrowseChangesNothing) {
    const QString before = dlg_->m_editOutPath->text();
    const std::string ini = folders_.Env().Ini();
    services_.folderToPick.reset();
    dlg_->OnBrowse();
    EXPECT_EQ(dlg_->m_editOutPath->text(), before);
    EXPECT_EQ(folders_.Env().Ini(), ini);
}

TEST_F(ConverterDlgCommandsTest, FolderThatCannotBeStoredIsReported) {
    services_.folderToPick = QStringLiteral("/tmp/two\nlines");
    dlg_->OnBrowse();
    ASSERT_EQ(services_.told.size(), 1u);
    EXPECT_EQ(services_.told[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(services_.told[0].text.startsWith("The output folder could not be saved."))
        << services_.told[0].text.toStdString();
    EXPECT_NE(settings::ReadText(settings::kOutPath, ""), "/tmp/two");
}

TEST_F(ConverterDlgCommandsTest, OpenShowsTheOutputFolderInTheShell) {
    dlg_->m_editOutPath->setText(QStringLiteral("/some/folder with blanks"));
    QTest::mouseClick(dlg_->m_btnOpen, Qt::LeftButton);
    EXPECT_EQ(services_.shell.opened, std::vector<std::string>{"/some/folder with blanks"});
}

TEST_F(ConverterDlgCommandsTest, ChoosingAProfileStoresItForTheNextStart) {
    for (int chosen : {3, 8}) {
        SCOPED_TRACE(chosen);
        dlg_->m_comboFormat->setFocus();
        dlg_->m_comboFormat->setCurrentIndex(chosen - 1);
        QTest::keyClick(dlg_->m_comboFormat, Qt::Key_Down);
        EXPECT_EQ(dlg_->m_comboFormat->currentIndex(), chosen);
        EXPECT_EQ(settings::ReadText(settings::kFormat, ""), std::to_string(chosen));

        CConverterDlg next(nullptr, &services_);
        EXPECT_EQ(next.m_comboFormat->currentIndex(), chosen);
    }
}

TEST_F(ConverterDlgCommandsTest, ProfileSetByTheProgramIsNotStored) {
    dlg_->m_comboFormat->setCurrentIndex(5);
    EXPECT_EQ(settings::ReadText(settings::kFormat, "absent"), "3");  // BatchFolders' file
}

}  // namespace
