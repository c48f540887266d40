// The main window after start-up: caption, settings read at start, controls and their states,
// the job list's columns, the buttons' looks and the about and settings commands.
#include "ui/converter_dlg.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "controls/icon_button.h"
#include "engine/command_line.h"
#include "fake_ui_services.h"
#include "layout_checks.h"
#include "settings/settings_file.h"
#include "support/settings_env.h"
#include "ui/about_dlg.h"
#include "ui/dialog_units.h"
#include "ui/product.h"
#include "ui/settings_dlg.h"

namespace {

using testing_support::FakeUiServices;
using testing_support::SettingsEnv;

class ConverterDlgTest : public ::testing::Test {
protected:
    // Built on first use, so a test can prepare the settings file first.
    CConverterDlg& Dlg() {
        if (!dlg_)
            dlg_ = std::make_unique<CConverterDlg>(nullptr, &services_);
        return *dlg_;
    }
    CIconButton* Button(int id) {
        return Dlg().findChild<CIconButton*>(QString::number(id), Qt::FindDirectChildrenOnly);
    }
    int FormatSelectionWith(const std::string& ini) {
        env_.WriteIni(ini);
        return Dlg().m_comboFormat->currentIndex();
    }

    SettingsEnv env_;
    FakeUiServices services_;
    std::unique_ptr<CConverterDlg> dlg_;
};

TEST_F(ConverterDlgTest, CaptionNamesProductAndVersion) {
    EXPECT_EQ(Dlg().windowTitle(), QStringLiteral("Vantrel version 1.40"));
}

TEST_F(ConverterDlgTest, WindowOpensAtItsTemplateSizeWhichIsItsSmallest) {
    const Qt::WindowFlags flags = Dlg().windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    const QSize templateSize = ui::ToPixels(ui::BaseUnitsOf(Dlg().font()), 341, 259);
    EXPECT_EQ(Dlg().size(), templateSize);
    EXPECT_EQ(Dlg().minimumSize(), templateSize);
    EXPECT_GT(Dlg().maximumSize().width(), templateSize.width());
    EXPECT_GT(Dlg().maximumSize().height(), templateSize.height());
    EXPECT_FALSE(Dlg().windowIcon().isNull());
}

TEST_F(ConverterDlgTest, ProfileListHoldsTheNineProfilesInOrder) {
    QComboBox* list = Dlg().m_comboFormat;
    ASSERT_EQ(list->count(), 9);
    EXPECT_EQ(list->itemText(0), QStringLiteral("Custom Settings"));
    EXPECT_EQ(list->itemText(1), QStringLiteral("240x160,15fps,256kbps.mp3,stereo,11025hz"));
    EXPECT_EQ(list->itemText(8), QStringLiteral("1280x720,30fps,2500kbps,h264,aac,stereo,44100hz"));
    for (int i = 0; i < list->count(); ++i) {
        EXPECT_EQ(list->itemText(i), QString::fromLatin1(engine::kProfiles[i].entry));
    }
}

TEST_F(ConverterDlgTest, ProfileSelectionFollowsStoredFormat) {
    EXPECT_EQ(FormatSelectionWith("[Settings]\nFormat=3\n"), 3);
}

TEST_F(ConverterDlgTest, LastProfileIsSelectable) {
    EXPECT_EQ(FormatSelectionWith("[Settings]\nFormat=8\n"), 8);
}

TEST_F(ConverterDlgTest, FormatOutsideTheListLeavesNoSelection) {
    EXPECT_EQ(FormatSelectionWith("[Settings]\nFormat=9\n"), -1);
}

TEST_F(ConverterDlgTest, NegativeFormatLeavesNoSelection) {
    EXPECT_EQ(FormatSelectionWith("[Settings]\nFormat=-1\n"), -1);
}

TEST_F(ConverterDlgTest, NonNumericFormatSelectsCustomSettings) {
    EXPECT_EQ(FormatSelectionWith("[Settings]\nFormat=abc\n"), 0);
}

TEST_F(ConverterDlgTest, NoSettingsFileSelectsCustomSettingsAndWritesNothing) {
    EXPECT_EQ(Dlg().m_comboFormat->currentIndex(), 0);
    EXPECT_FALSE(env_.IniExists());
}

TEST_F(ConverterDlgTest, NoSettingsFileShowsAndCreatesTheDefaultFolder) {
    const std::string expected = settings::DefaultOutPath();
    // In the test's home, or on its system drive on Windows.
    ASSERT_EQ(expected.rfind(env_.Path(""), 0), 0u)
        << "default folder must lie in the test's folder";
    EXPECT_EQ(Dlg().m_editOutPath->text().toStdString(), expected);
    EXPECT_TRUE(std::filesystem::is_directory(expected));
}

TEST_F(ConverterDlgTest, ExistingOutPathIsShownAsItIs) {
    const std::string folder = env_.Path("videos");
    std::filesystem::create_directories(folder);
    env_.WriteIni("[Settings]\nOut Path=" + folder + "\n");
    EXPECT_EQ(Dlg().m_editOutPath->text().toStdString(), folder);
}

TEST_F(ConverterDlgTest, MissingOutPathFolderIsCreated) {
    const std::string folder = env_.Path("new-output");
    env_.WriteIni("[Settings]\nOut Path=" + folder + "\n");
    EXPECT_EQ(Dlg().m_editOutPath->text().toStdString(), folder);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST_F(ConverterDlgTest, OutPathThatCannotBeAFolderIsReplacedByTheFallback) {
    const std::string file = env_.Path("a-file");
    testing_support::WriteFile(file, "not a folder");
    env_.WriteIni("[Settings]\nOut Path=" + file + "\n");
    const std::string fallback = settings::FallbackOutPath();
    EXPECT_EQ(Dlg().m_editOutPath->text().toStdString(), fallback);
    EXPECT_EQ(settings::ReadText(settings::kOutPath, ""), fallback);
    EXPECT_TRUE(std::filesystem::is_directory(fallback));
}

TEST_F(ConverterDlgTest, StartUpEnablesOnlyTheIdleCommands) {
    for (int id : {1004, 1, 1002, 1010, 1023, 1024, 1015, 1014, 1011, 1016}) {
        EXPECT_TRUE(Button(id)->isEnabled()) << id;
    }
    for (int id : {1005, 1006, 1007, 1008}) EXPECT_FALSE(Button(id)->isEnabled()) << id;
    EXPECT_TRUE(Dlg().m_comboFormat->isEnabled());
    EXPECT_TRUE(Dlg().m_listJobs->isEnabled());
    // Reached by Tab and copied from, never typed into.
    EXPECT_TRUE(Dlg().m_editOutPath->isEnabled());
    EXPECT_TRUE(Dlg().m_editOutPath->isReadOnly());
}

TEST_F(ConverterDlgTest, MembersAreTheTemplatesControls) {
    EXPECT_EQ(Dlg().m_btnQuit, Button(1));
    EXPECT_EQ(Dlg().m_btnAdd, Button(1004));
    EXPECT_EQ(Dlg().m_btnRemove, Button(1005));
    EXPECT_EQ(Dlg().m_btnClear, Button(1006));
    EXPECT_EQ(Dlg().m_btnConvert, Button(1007));
    EXPECT_EQ(Dlg().m_btnStop, Button(1008));
    EXPECT_EQ(Dlg().m_btnBrowse, Button(1002));
    EXPECT_EQ(Dlg().m_btnOpen, Button(1010));
    EXPECT_EQ(Dlg().m_btnHelp, Button(1011));
    EXPECT_EQ(Dlg().m_btnWebSite, Button(1014));
    EXPECT_EQ(Dlg().m_btnAbout, Button(1015));
    EXPECT_EQ(Dlg().m_btnLink, Button(1016));
    EXPECT_EQ(Dlg().m_btnSettings, Button(1023));
    EXPECT_EQ(Dlg().m_btnSettingsTop, Button(1024));
    EXPECT_FALSE(Dlg().m_bStop);
}

TEST_F(ConverterDlgTest, CaptionsAreTheTemplates) {
    const std::pair<int, const char*> captions[] = {
        {1024, "Settings"}, {1014, "&Web Site"}, {1016, product::kWebSiteUrl},
        {1011, "&Help"},    {1015, "Abo&ut"},    {1004, "&Add"},
        {1005, "&Remove"},  {1006, "&Clear"},    {1007, "Conver&t"},
        {1008, "&Stop"},    {1, "&Quit"},        {1023, "Settings"},
        {1002, "&Browse"},  {1010, "&Open"},
    };
    for (const auto& [id, caption] : captions) {
        EXPECT_EQ(Button(id)->text(), QString::fromLatin1(caption)) << id;
    }
    QStringList labels;
    for (QLabel* label : Dlg().findChildren<QLabel*>())
        if (label != Dlg().m_details)  // the selected row's details, empty until one fails
            labels << label->text();
    labels.sort();
    EXPECT_EQ(labels, (QStringList{"Output Formats:", "Output directory:", "Progress:"}));
}

TEST_F(ConverterDlgTest, QuitIsTheDefaultButton) {
    EXPECT_TRUE(Dlg().m_btnQuit->IsDefault());
    EXPECT_TRUE(Dlg().m_btnQuit->isDefault());
}

TEST_F(ConverterDlgTest, JobListHasFiveColumnsWithTheirWidths) {
    QTreeWidget* list = Dlg().m_listJobs;
    ASSERT_EQ(list->columnCount(), 5);
    const QStringList headings{"NO.", "Name", "Length", "Target", "Status"};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(list->headerItem()->text(c), headings[c]);
        EXPECT_TRUE(list->headerItem()->textAlignment(c) & Qt::AlignLeft) << c;
    }
    // Name takes the list's remaining width (checked where the window is resized).
    const std::pair<int, int> fixedWidths[] = {{0, 35}, {2, 75}, {3, 60}};
    for (const auto& [column, width] : fixedWidths) {
        EXPECT_EQ(list->columnWidth(column), width) << column;
    }
    // Status fits its longest word with the selected row's 6-pixel indent on either side.
    const int converting = list->fontMetrics().horizontalAdvance(QStringLiteral("Converting"));
    EXPECT_GE(list->columnWidth(4), std::max(60, converting + 12));
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

TEST_F(ConverterDlgTest, JobListSelectsWholeRowsSeveralAtOnceAndNeverSorts) {
    QTreeWidget* list = Dlg().m_listJobs;
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_FALSE(list->rootIsDecorated());
    EXPECT_FALSE(list->header()->sectionsMovable());

    // Rows as the job-list commands will insert them; a click in any cell selects the row.
    for (const char* name : {"b.avi", "a.avi"}) {
        new QTreeWidgetItem(list, QStringList{"0", name, "", "flv", "Ready"});
    }
    Dlg().show();
    QHeaderView* header = list->header();
    const QRect statusCell = list->visualRect(list->model()->index(0, 4));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, statusCell.center());
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(list->selectionModel()->selectedIndexes().size(), 5);
    const QRect nameCell = list->visualRect(list->model()->index(1, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, nameCell.center());
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("b.avi"));
}

TEST_F(ConverterDlgTest, ProgressBarStartsEmptyWithoutText) {
    QProgressBar* progress = Dlg().m_progress;
    EXPECT_EQ(progress->minimum(), 0);
    EXPECT_EQ(progress->maximum(), 100);
    EXPECT_EQ(progress->value(), 0);
    EXPECT_FALSE(progress->isTextVisible());
}

TEST_F(ConverterDlgTest, ButtonsCarryTheirTooltips) {
    const std::pair<int, const char*> tips[] = {
        {1004, "Add video files to convert flv video format."},
        {1005, "Remove a item from list."},
        {1006, "Clear all items from list."},
        {1007, "Start convert video files to flv video format."},
        {1008, "Stop converting."},
        {1, "Quit"},
        {1024, "Select custom settings for FLV video encoder."},
        {1023, "Select custom settings for FLV video encoder."},
        {1002, "Select a directory for saving FLV video files."},
        {1010, "Open output dorectory."},
    };
    for (const auto& [id, tip] : tips) {
        EXPECT_TRUE(Button(id)->toolTip().contains(QString::fromLatin1(tip)))
            << id << ": " << Button(id)->toolTip().toStdString();
    }
    for (int id : {1015, 1014, 1011, 1016}) EXPECT_TRUE(Button(id)->toolTip().isEmpty()) << id;
}

TEST_F(ConverterDlgTest, ButtonsCarryTheirImages) {
    const std::pair<int, int> icons[] = {{1004, 36}, {1005, 36}, {1006, 36}, {1007, 36},
                                         {1008, 36}, {1, 36},    {1002, 32}};
    for (const auto& [id, size] : icons) {
        for (int state : {0, 1}) {
            EXPECT_EQ(Button(id)->Icon(state).size(), QSize(size, size)) << id << "/" << state;
        }
    }
    for (const auto& [id, size] : {std::pair{1023, 22}, std::pair{1024, 16}}) {
        for (int state : {0, 1}) {
            EXPECT_EQ(Button(id)->Bitmap(state).size(), QSize(size, size)) << id << "/" << state;
        }
    }
    for (int id : {1010, 1015, 1014, 1011, 1016}) {
        EXPECT_TRUE(Button(id)->Icon(0).isNull() && Button(id)->Bitmap(0).isNull()) << id;
    }
}

TEST_F(ConverterDlgTest, DressedButtonsHaveBlueHoverTextOnALighterFace) {
    for (int id : {1004, 1005, 1006, 1007, 1008, 1, 1024, 1023, 1002, 1010}) {
        CIconButton* button = Button(id);
        EXPECT_EQ(button->StateColor(CIconButton::ColorForegroundIn), qRgb(0, 0, 255)) << id;
        EXPECT_EQ(button->StateColor(CIconButton::ColorForegroundOut), qRgb(0, 0, 0)) << id;
        const QColor face(button->StateColor(CIconButton::ColorBackgroundOut));
        const QColor hover(button->StateColor(CIconButton::ColorBackgroundIn));
        const int lift = std::min(30, 255 - std::max({face.red(), face.green(), face.blue()}));
        EXPECT_EQ(hover.red() - face.red(), lift) << id;
        EXPECT_EQ(hover.blue() - face.blue(), lift) << id;
    }
    // The top bar's About button keeps the plain look.
    CIconButton fresh;
    EXPECT_EQ(Button(1015)->StateColor(CIconButton::ColorBackgroundIn),
              fresh.StateColor(CIconButton::ColorBackgroundIn));
    EXPECT_EQ(Button(1015)->StateColor(CIconButton::ColorForegroundIn),
              fresh.StateColor(CIconButton::ColorForegroundIn));
}

TEST_F(ConverterDlgTest, WebSiteHelpAndAddressButtonsOpenTheWebSite) {
    for (int id : {1014, 1011, 1016}) {
        EXPECT_STREQ(Button(id)->LinkUrl(), product::kWebSiteUrl) << id;
    }
    for (int id : {1015, 1004, 1, 1010}) EXPECT_STREQ(Button(id)->LinkUrl(), "") << id;

    Dlg().show();
    for (int id : {1014, 1011, 1016}) QTest::mouseClick(Button(id), Qt::LeftButton);
    EXPECT_EQ(services_.shell.opened,
              std::vector<std::string>(3, std::string(product::kWebSiteUrl)));
    EXPECT_TRUE(services_.modalClasses.empty());
}

TEST_F(ConverterDlgTest, AboutButtonOpensTheAboutBox) {
    Dlg().show();
    QTest::mouseClick(Dlg().m_btnAbout, Qt::LeftButton);
    EXPECT_EQ(services_.modalClasses, std::vector<QString>{"CAboutDlg"});
}

TEST_F(ConverterDlgTest, AboutItemOfTheMenuOpensTheAboutBox) {
    const QList<QAction*> actions = Dlg().SystemMenu()->actions();
    ASSERT_FALSE(actions.isEmpty());
    EXPECT_EQ(actions.last()->text(), QStringLiteral("&About Vantrel..."));
    actions.last()->trigger();
    EXPECT_EQ(services_.modalClasses, std::vector<QString>{"CAboutDlg"});
}

TEST_F(ConverterDlgTest, RightClickOnTheDialogShowsTheMenu) {
    Dlg().show();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            Dlg().mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&Dlg(), &event);
    EXPECT_TRUE(Dlg().SystemMenu()->isVisible());
    Dlg().SystemMenu()->hide();
}

TEST_F(ConverterDlgTest, OnlyTheAboutCommandOpensTheAboutBox) {
    Dlg().OnSysCommand(0xF020);  // minimise: the window manager's business
    EXPECT_TRUE(services_.modalClasses.empty());
    Dlg().OnSysCommand(CConverterDlg::IDM_ABOUTBOX | 0x0003);
    EXPECT_EQ(services_.modalClasses, std::vector<QString>{"CAboutDlg"});
}

TEST_F(ConverterDlgTest, BothSettingsButtonsOpenTheSettingsDialogAndKeepTheProfile) {
    env_.WriteIni("[Settings]\nFormat=4\n");
    Dlg().show();
    QTest::mouseClick(Dlg().m_btnSettings, Qt::LeftButton);
    QTest::mouseClick(Dlg().m_btnSettingsTop, Qt::LeftButton);
    EXPECT_EQ(services_.modalClasses, (std::vector<QString>{"CSettingsDlg", "CSettingsDlg"}));
    EXPECT_EQ(Dlg().m_comboFormat->currentIndex(), 4);
}

TEST_F(ConverterDlgTest, AboutBoxLinkOpensThroughTheWindowsShell) {
    services_.onModal = [](QDialog& dialog) {
        if (auto* about = qobject_cast<CAboutDlg*>(&dialog))
            about->m_link.OpenLink();
        return int{QDialog::Rejected};
    };
    Dlg().OnAbout();
    EXPECT_EQ(services_.shell.opened, std::vector<std::string>{product::kWebSiteUrl});
}

TEST_F(ConverterDlgTest, EveryTextFitsItsControl) {
    EXPECT_EQ(testing_support::ClippedTexts(Dlg()), QStringList());
    EXPECT_EQ(testing_support::EntriesThatDoNotFit(*Dlg().m_comboFormat), QStringList());
}

TEST_F(ConverterDlgTest, NoControlsOverlap) {
    EXPECT_EQ(testing_support::Overlaps(Dlg()), QStringList());
}

TEST_F(ConverterDlgTest, ControlsSitWhereTheTemplatePutsThem) {
    // 341 x 259 units; the job list at 7, 52, 327 x 141; Quit at 282, 18, 49 x 26.
    const ui::DialogBaseUnits units = ui::BaseUnitsOf(Dlg().font());
    EXPECT_EQ(Dlg().size(), ui::ToPixels(units, 341, 259));
    EXPECT_EQ(Dlg().m_listJobs->geometry(), ui::ToPixels(units, {7, 52, 327, 131}));
    EXPECT_EQ(Dlg().m_btnQuit->geometry(), ui::ToPixels(units, {282, 18, 49, 26}));
    EXPECT_EQ(Dlg().m_progress->geometry(), ui::ToPixels(units, {87, 241, 241, 11}));
    const QRect combo = Dlg().m_comboFormat->geometry();
    EXPECT_EQ(combo.topLeft(), ui::ToPixels(units, {87, 202, 179, 121}).topLeft());
}

}  // namespace
