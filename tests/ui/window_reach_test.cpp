// Reaching the windows: what screen readers are told about every control, the main window
// growing with its controls anchored, the Delete key in the job list, the message when the
// output folder cannot be opened, the keyboard (Tab, mnemonics, the read-only folder field),
// pressing through the accessibility interface, and long paths.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <algorithm>
#include <functional>
#include <memory>

#include "controls/focus_frame.h"
#include "controls/icon_button.h"
#include "fake_ui_services.h"
#include "layout_checks.h"
#include "support/settings_env.h"
#include "ui/about_dlg.h"
#include "ui/converter_dlg.h"
#include "ui/job_columns.h"
#include "ui/path_field.h"
#include "ui/product.h"
#include "ui/settings_dlg.h"
#include "wait_until.h"

namespace {

using testing_support::FakeUiServices;
using testing_support::SettingsEnv;

// What a screen reader says a control is called. Qt on Linux reads a drop-down list by the
// label it is labelled by (its own name is the entry shown).
QString SpokenName(QAccessibleInterface* control) {
    if (control->role() == QAccessible::ComboBox) {
        const auto labels = control->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    }
    return control->text(QAccessible::Name);
}

QString RoleName(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
            return "button";
        case QAccessible::Link:
            return "link";
        case QAccessible::StaticText:
            return "text";
        case QAccessible::Graphic:
            return "graphic";
        case QAccessible::Grouping:
            return "group";
        case QAccessible::ComboBox:
            return "list";
        case QAccessible::EditableText:
            return "field";
        case QAccessible::ProgressBar:
            return "progress";
        case QAccessible::Tree:
            return "tree";
        default:
            return QString::number(role);
    }
}

struct WindowCase {
    const char* window;
    std::function<std::unique_ptr<QDialog>(FakeUiServices&)> make;
    QString title;
    // Every child of the window, as "role: name", in any order.
    QStringList controls;
};

const QString kSite = QString::fromLatin1(product::kWebSiteUrl);

const WindowCase kWindows[] = {
    {"main window",
     [](FakeUiServices& services) { return std::make_unique<CConverterDlg>(nullptr, &services); },
     "Vantrel version 1.40",
     {"button: Settings",
      "link: Web Site",
      "link: " + kSite,
      "link: Help",
      "button: About",
      "group: Commands",
      "button: Add",
      "button: Remove",
      "button: Clear",
      "button: Convert",
      "button: Stop",
      "button: Quit",
      "tree: Jobs",
      "group: Output",
      "text: Output Formats",
      "list: Output Formats",
      "button: Settings",
      "text: Output directory",
      "field: Output directory",
      "button: Browse",
      "button: Open",
      "text: Progress",
      "progress: Progress"}},
    {"about box",
     [](FakeUiServices& services) {
         return std::make_unique<CAboutDlg>(nullptr, &services.Shell());
     },
     "Vantrel",
     {"graphic: Vantrel", "text: Vantrel Version 1.40", "link: " + kSite,
      "text: " + QString::fromLatin1(product::kNotice), "button: OK"}},
    {"custom settings",
     [](FakeUiServices& services) { return std::make_unique<CSettingsDlg>(nullptr, &services); },
     "Settings",
     {"group: Video",
      "group: Audio",
      "button: OK",
      "button: Cancel",
      "button: Default",
      "text: Video resolution",
      "list: Video resolution",
      "text: Video frame rate",
      "list: Video frame rate",
      "text: Video encoder",
      "list: Video encoder",
      "text: Video bit rate",
      "list: Video bit rate",
      "text: Audio sample rate",
      "list: Audio sample rate",
      "text: Audio channel",
      "list: Audio channel",
      "text: Audio encoder",
      "list: Audio encoder",
      "text: Audio bit rate",
      "list: Audio bit rate"}},
};

TEST(WindowReachTest, ScreenReadersHearEveryControlByNameAndRole) {
    for (const WindowCase& c : kWindows) {
        SettingsEnv env;
        FakeUiServices services;
        std::unique_ptr<QDialog> window = c.make(services);
        window->show();
        QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
        ASSERT_NE(root, nullptr) << c.window;
        EXPECT_EQ(root->role(), QAccessible::Dialog) << c.window;
        EXPECT_EQ(root->text(QAccessible::Name), c.title) << c.window;

        QStringList heard;
        for (int i = 0; i < root->childCount(); ++i) {
            QAccessibleInterface* control = root->child(i);
            ASSERT_NE(control, nullptr) << c.window << " child " << i;
            heard << RoleName(control->role()) + ": " + SpokenName(control);
            // A link also tells where it leads.
            if (control->role() == QAccessible::Link) {
                EXPECT_EQ(control->text(QAccessible::Value), kSite) << c.window;
            }
        }
        QStringList expected = c.controls;
        heard.sort();
        expected.sort();
        EXPECT_EQ(heard, expected) << c.window;
    }
}

// ---- The main window -----------------------------------------------------------------------

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        dlg_ = std::make_unique<CConverterDlg>(nullptr, &services_);
        dlg_->show();
        QApplication::setActiveWindow(dlg_.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg_.get()));
    }
    CConverterDlg& Dlg() { return *dlg_; }

    SettingsEnv env_;
    FakeUiServices services_;
    std::unique_ptr<CConverterDlg> dlg_;
};

TEST_F(MainWindowTest, GrowingWindowGrowsTheListAndTheFolderFieldAndKeepsEdgesAnchored) {
    const QSize base = Dlg().size();
    const auto rect = [](QWidget* w) { return w->geometry(); };
    const QRect list = rect(Dlg().m_listJobs), field = rect(Dlg().m_editOutPath);
    const QRect open = rect(Dlg().m_btnOpen), quit = rect(Dlg().m_btnQuit);
    const QRect add = rect(Dlg().m_btnAdd), combo = rect(Dlg().m_comboFormat);
    const int name = Dlg().m_listJobs->columnWidth(1);
    const int status = Dlg().m_listJobs->columnWidth(4);

    const struct {
        const char* what;
        std::function<void()> resize;
    } sizes[] = {
        {"template size", [&] { Dlg().resize(base); }},
        {"wider and taller", [&] { Dlg().resize(base + QSize(300, 200)); }},
        {"smaller than the template", [&] { Dlg().resize(base - QSize(100, 100)); }},
        {"maximised", [&] { Dlg().showMaximized(); }},
    };
    for (const auto& size : sizes) {
        size.resize();
        QApplication::processEvents();
        const QSize grown = Dlg().size() - base;
        ASSERT_GE(grown.width(), 0) << size.what;
        ASSERT_GE(grown.height(), 0) << size.what;
        EXPECT_EQ(rect(Dlg().m_listJobs), list.adjusted(0, 0, grown.width(), grown.height()))
            << size.what;
        EXPECT_EQ(rect(Dlg().m_editOutPath),
                  field.adjusted(0, 0, grown.width(), 0).translated(0, grown.height()))
            << size.what;
        EXPECT_EQ(rect(Dlg().m_btnOpen), open.translated(grown.width(), grown.height()))
            << size.what;
        EXPECT_EQ(rect(Dlg().m_btnQuit), quit.translated(grown.width(), 0)) << size.what;
        EXPECT_EQ(rect(Dlg().m_btnAdd), add) << size.what;
        EXPECT_EQ(rect(Dlg().m_comboFormat), combo.translated(0, grown.height())) << size.what;
        EXPECT_EQ(Dlg().m_listJobs->columnWidth(1), name + grown.width()) << size.what;
        EXPECT_EQ(Dlg().m_listJobs->columnWidth(4), status) << size.what;
        EXPECT_EQ(testing_support::Overlaps(Dlg()), QStringList()) << size.what;
        EXPECT_EQ(testing_support::ClippedTexts(Dlg()), QStringList()) << size.what;
    }
    EXPECT_TRUE(Dlg().isMaximized());
    EXPECT_GT(Dlg().width(), base.width());
}

TEST_F(MainWindowTest, DeleteKeyInTheJobListRemovesTheSelectedRowsWhenRemoveCan) {
    const struct {
        const char* what;
        bool removeEnabled;  // off while a batch runs
        bool focusOnList;
        int rowsLeft;
    } cases[] = {
        {"idle, in the list", true, true, 2},
        {"converting", false, true, 3},
        {"focus elsewhere", true, false, 3},
    };
    for (const auto& c : cases) {
        QTreeWidget* list = Dlg().m_listJobs;
        list->clear();
        for (const char* name : {"a.avi", "b.avi", "c.avi"})
            new QTreeWidgetItem(list, QStringList{"", name, "", "", "Ready"});
        list->topLevelItem(1)->setSelected(true);
        Dlg().m_btnRemove->setEnabled(c.removeEnabled);
        QWidget* target = c.focusOnList ? static_cast<QWidget*>(list) : Dlg().m_comboFormat;
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Delete);
        EXPECT_EQ(list->topLevelItemCount(), c.rowsLeft) << c.what;
        if (c.rowsLeft == 2) {
            EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("c.avi")) << c.what;
        }
    }
}

TEST_F(MainWindowTest, OpenSaysWhyTheOutputFolderCouldNotBeOpened) {
    const struct {
        int shellResult;
        const char* reason;  // "" when nothing is told
    } cases[] = {
        {platform::kShellOk, ""},
        {platform::kShellNoAssociation, "No program of the desktop could open it"},
        {platform::kShellFileNotFound, "The folder does not exist."},
        {platform::kShellOutOfResources, "out\nof memory"},
    };
    Dlg().m_editOutPath->setText(QStringLiteral("/some/folder"));
    for (const auto& c : cases) {
        services_.told.clear();
        services_.shell.result = c.shellResult;
        QTest::mouseClick(Dlg().m_btnOpen, Qt::LeftButton);
        if (*c.reason == '\0') {
            EXPECT_TRUE(services_.told.empty()) << c.shellResult;
            continue;
        }
        ASSERT_EQ(services_.told.size(), 1u) << c.shellResult;
        EXPECT_EQ(services_.told[0].caption, QStringLiteral("Error"));
        EXPECT_EQ(services_.told[0].icon, ui::MessageIcon::Exclamation);
        EXPECT_TRUE(services_.told[0].text.startsWith(
            QStringLiteral("The output folder could not be opened:\n\n/some/folder\n\n")));
        EXPECT_TRUE(services_.told[0].text.contains(QString::fromLatin1(c.reason)))
            << services_.told[0].text.toStdString();
    }
}

// ---- The keyboard -------------------------------------------------------------------------

TEST_F(MainWindowTest, TabGoesThroughTheControlsInReadingOrderFromAddWithItsFrame) {
    ASSERT_EQ(QApplication::focusWidget(), Dlg().m_btnAdd);
    EXPECT_TRUE(controls::ShowsFocusFrame(*Dlg().m_btnAdd));
    // As when rows are listed and a batch could be stopped: every command takes the focus.
    for (CIconButton* button : Dlg().findChildren<CIconButton*>()) button->setEnabled(true);
    QStringList reached;
    do {
        reached << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    } while (QApplication::focusWidget() != Dlg().m_btnAdd && reached.size() < 40);
    // The list, the command row, the lower frame line by line, the top bar left to right.
    EXPECT_EQ(reached,
              (QStringList{"1004", "1005", "1006", "1007", "1008", "1", "1000", "1023", "1001",
                           "1002", "1010", "1024", "1014", "1016", "1011", "1015", "1003"}));
}

TEST_F(MainWindowTest, EveryMnemonicIsUniqueAndPressesItsButton) {
    QMap<QKeySequence, QStringList> owners;
    for (QWidget* widget : Dlg().findChildren<QWidget*>()) {
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget))
            text = label->text();
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            owners[key] << widget->objectName();
    }
    EXPECT_FALSE(owners.isEmpty());
    for (auto it = owners.cbegin(); it != owners.cend(); ++it)
        EXPECT_EQ(it->size(), 1) << (it.key().toString() + ": " + it->join(' ')).toStdString();

    // Each answers its own key (the questions and pickers are answered No and Cancel).
    for (CIconButton* button : Dlg().findChildren<CIconButton*>()) {
        const QKeySequence key = QKeySequence::mnemonic(button->text());
        if (key.isEmpty())
            continue;
        button->setEnabled(true);
        QSignalSpy clicks(button, &QAbstractButton::clicked);
        QTest::keySequence(&Dlg(), key);
        EXPECT_TRUE(clicks.count() == 1 || clicks.wait(2000)) << key.toString().toStdString();
    }
}

// An assistive tool's press comes back at once; the modal dialog opens afterwards, from the
// window's own event loop.
TEST_F(MainWindowTest, AccessiblePressReturnsAtOnceAlsoWhenAModalDialogOpens) {
    services_.onModal = [](QDialog& dialog) {
        QTimer::singleShot(0, &dialog, &QDialog::reject);
        return dialog.exec();
    };
    for (CIconButton* button : {Dlg().m_btnAbout, Dlg().m_btnSettings, Dlg().m_btnSettingsTop}) {
        services_.modalClasses.clear();
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(button);
        ASSERT_NE(reader->actionInterface(), nullptr);
        reader->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_TRUE(services_.modalClasses.empty()) << button->objectName().toStdString();
        EXPECT_TRUE(
            testing_support::WaitUntil([&] { return services_.modalClasses.size() == 1; }, 3000))
            << button->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, OutputFolderFieldIsReadOnlyButItsTextCanBeSelectedAndCopied) {
    QLineEdit* field = Dlg().m_editOutPath;
    const QString folder = field->text();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(field->isEnabled());
    field->setFocus();
    QTest::keyClicks(field, "typed");
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->text(), folder);
    QApplication::clipboard()->clear();
    QTest::keySequence(field, QKeySequence::SelectAll);
    QTest::keySequence(field, QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text(), folder);
}

// A long path keeps its start and its file name on screen; the tooltip and what a screen
// reader reads hold all of it.
TEST_F(MainWindowTest, LongPathsAreElidedInTheMiddleWithTheWholePathInTooltipAndAccessibleText) {
    const QString path = "/home/user/" + QString(40, 'f') + "/" + QString(60, 'g') + "/clip.avi";
    QTreeWidget* list = Dlg().m_listJobs;
    new QTreeWidgetItem(list, QStringList{"1", path, "", "flv", "Ready"});
    Dlg().m_editOutPath->setText(path);
    Dlg().m_btnAdd->setFocus();  // the field shows the whole path only while it has the focus

    EXPECT_EQ(list->textElideMode(), Qt::ElideMiddle);
    const QString shown = static_cast<ui::PathField*>(Dlg().m_editOutPath)->ShownText();
    EXPECT_TRUE(shown.startsWith("/home/") && shown.endsWith("clip.avi") &&
                shown.size() < path.size())
        << shown.toStdString();

    const QRect cell = list->visualRect(list->model()->index(0, ui::kColumnName));
    QHelpEvent help(QEvent::ToolTip, cell.center(), list->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(list->viewport(), &help);
    EXPECT_TRUE(QToolTip::text().contains(path)) << QToolTip::text().toStdString();
    EXPECT_TRUE(Dlg().m_editOutPath->toolTip().contains(path));

    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(tree->tableInterface(), nullptr);
    EXPECT_EQ(tree->tableInterface()->cellAt(0, ui::kColumnName)->text(QAccessible::Name), path);
    QAccessibleInterface* field = QAccessible::queryAccessibleInterface(Dlg().m_editOutPath);
    EXPECT_EQ(field->text(QAccessible::Value), path);
}

}  // namespace
