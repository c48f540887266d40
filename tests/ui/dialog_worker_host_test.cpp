// The main dialog's side of the worker: what each call does to the window, calls from the
// worker's thread served on the window's thread, and nothing done once the window has gone.
#include "ui/dialog_worker_host.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <atomic>
#include <memory>
#include <thread>

#include "batch_folders.h"
#include "engine/job_row.h"
#include "fake_ui_services.h"
#include "qt_printers.h"
#include "ui/converter_dlg.h"
#include "ui/gui_caller.h"
#include "wait_until.h"
#include "window_states.h"

namespace {

using testing_support::WaitUntil;

class DialogWorkerHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        dlg_ = std::make_unique<CConverterDlg>(nullptr, &services_);
        for (int i = 0; i < 40; ++i) {
            const QString name = QStringLiteral("/videos/clip %1.avi").arg(i);
            new QTreeWidgetItem(dlg_->m_listJobs, {QString::number(i), name, "", "flv", "Ready"});
        }
        caller_ = std::make_unique<ui::GuiCaller>(dlg_.get());
        host_ = std::make_unique<ui::DialogWorkerHost>(*dlg_, *caller_, services_, "/opt/tools");
    }
    QTreeWidgetItem* Row(int row) const { return dlg_->m_listJobs->topLevelItem(row); }

    testing_support::BatchFolders folders_;
    testing_support::FakeUiServices services_;
    std::unique_ptr<CConverterDlg> dlg_;
    std::unique_ptr<ui::GuiCaller> caller_;
    std::unique_ptr<ui::DialogWorkerHost> host_;
};

TEST_F(DialogWorkerHostTest, ReadsTheRowsFolderProfileAndToolFolder) {
    EXPECT_EQ(host_->RowCount(), 40);
    EXPECT_EQ(host_->RowPath(3), "/videos/clip 3.avi");
    EXPECT_EQ(host_->RowPath(99), "");
    dlg_->m_editOutPath->setText(QStringLiteral("/out/put"));
    EXPECT_EQ(host_->OutputFolder(), "/out/put");
    dlg_->m_comboFormat->setCurrentIndex(4);
    EXPECT_EQ(host_->ProfileIndex(), 4);
    EXPECT_EQ(host_->ToolFolder(), "/opt/tools");
    EXPECT_EQ(&host_->StopFlag(), &dlg_->m_bStop);
}

TEST_F(DialogWorkerHostTest, SetsTheStatusColumnOnly) {
    host_->SetRowStatus(2, "Converting");
    EXPECT_EQ(Row(2)->text(engine::kColumnStatus), QStringLiteral("Converting"));
    EXPECT_EQ(Row(2)->text(engine::kColumnName), QStringLiteral("/videos/clip 2.avi"));
    host_->SetRowStatus(99, "Complete");  // no such row: nothing happens
}

TEST_F(DialogWorkerHostTest, AFailedJobExplainsItselfInItsStatusTooltip) {
    host_->JobFinished(1, {"Error", "the encoder exited with status 1: Invalid data", 1});
    EXPECT_EQ(Row(1)->toolTip(engine::kColumnStatus),
              QStringLiteral("the encoder exited with status 1: Invalid data"));
    host_->JobFinished(1, {"Complete", "", 0});
    EXPECT_EQ(Row(1)->toolTip(engine::kColumnStatus), QString());
}

TEST_F(DialogWorkerHostTest, SelectsARowBesideTheOthersAndScrollsItIntoView) {
    dlg_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg_.get()));
    host_->SelectRow(0);
    host_->SelectRow(35);
    EXPECT_TRUE(Row(0)->isSelected());
    EXPECT_TRUE(Row(35)->isSelected());
    EXPECT_EQ(dlg_->m_listJobs->selectedItems().size(), 2);
    const QRect shown = dlg_->m_listJobs->visualItemRect(Row(35));
    EXPECT_TRUE(dlg_->m_listJobs->viewport()->rect().contains(shown));
}

TEST_F(DialogWorkerHostTest, ProgressOutsideTheRangeShowsAFullOrEmptyBar) {
    host_->SetProgressRange(1, 100);
    EXPECT_EQ(dlg_->m_progress->minimum(), 1);
    EXPECT_EQ(dlg_->m_progress->maximum(), 100);
    host_->SetProgressPos(37);
    EXPECT_EQ(dlg_->m_progress->value(), 37);
    host_->SetProgressPos(400);
    EXPECT_EQ(dlg_->m_progress->value(), 100);
    host_->SetProgressPos(0);
    EXPECT_EQ(dlg_->m_progress->value(), 1);
}

TEST_F(DialogWorkerHostTest, EnableControlsRestoresTheStateAfterABatch) {
    for (QWidget* w : std::initializer_list<QWidget*>{dlg_->m_btnAdd, dlg_->m_btnQuit,
                                                      dlg_->m_btnSettings, dlg_->m_btnSettingsTop,
                                                      dlg_->m_btnBrowse, dlg_->m_comboFormat}) {
        w->setEnabled(false);
    }
    dlg_->m_btnStop->setEnabled(true);
    host_->EnableControls();
    EXPECT_EQ(testing_support::EnabledStates(*dlg_), testing_support::states::kListed);
}

TEST_F(DialogWorkerHostTest, OpensTheFolderThroughTheShellAndShowsErrorsInAnErrorBox) {
    host_->OpenFolder("/out/put");
    EXPECT_EQ(services_.shell.opened, std::vector<std::string>{"/out/put"});
    host_->ShowError("Can't create out pipe");
    ASSERT_EQ(services_.told.size(), 1u);
    EXPECT_EQ(services_.told[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(services_.told[0].text, QStringLiteral("Can't create out pipe"));
    EXPECT_EQ(services_.told[0].icon, ui::MessageIcon::None);
}

TEST_F(DialogWorkerHostTest, CallsFromTheWorkerThreadAreServedByTheWindow) {
    std::atomic<bool> done{false};
    int count = 0;
    std::string path;
    std::thread worker([&] {
        count = host_->RowCount();
        host_->SetRowStatus(1, "Complete");
        path = host_->RowPath(1);
        done = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(count, 40);
    EXPECT_EQ(path, "/videos/clip 1.avi");
    EXPECT_EQ(Row(1)->text(engine::kColumnStatus), QStringLiteral("Complete"));
}

TEST_F(DialogWorkerHostTest, AfterClosingTheListLooksEmptyAndNothingIsTouched) {
    caller_->Close();
    std::thread worker([&] {
        EXPECT_EQ(host_->RowCount(), 0);
        EXPECT_EQ(host_->RowPath(0), "");
        host_->SetRowStatus(0, "Stop");
        host_->OpenFolder("/out/put");
        host_->EnableControls();
    });
    worker.join();
    QTest::qWait(20);
    EXPECT_EQ(Row(0)->text(engine::kColumnStatus), QStringLiteral("Ready"));
    EXPECT_TRUE(services_.shell.opened.empty());
    EXPECT_FALSE(dlg_->m_btnConvert->isEnabled());
}

}  // namespace
