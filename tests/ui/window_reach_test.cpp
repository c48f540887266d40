// Reaching the windows: the main window growing with its controls anchored.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <functional>
#include <memory>

#include "controls/icon_button.h"
#include "fake_ui_services.h"
#include "layout_checks.h"
#include "support/settings_env.h"
#include "ui/converter_dlg.h"

namespace {

using testing_support::FakeUiServices;
using testing_support::SettingsEnv;

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

}  // namespace
