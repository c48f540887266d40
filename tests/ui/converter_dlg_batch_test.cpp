// Converting from the main window: Convert runs the worker with the dialog as its host (the
// fake encoder as DLL/ffmpeg), Stop, and ending the dialog while a batch runs.
#include <gtest/gtest.h>

#include <csignal>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "batch_folders.h"
#include "controls/icon_button.h"
#include "descriptors.h"
#include "engine/job.h"
#include "fake_ui_services.h"
#include "platform/path.h"
#include "process_checks.h"
#include "qt_printers.h"
#include "settings/settings_file.h"
#include "ui/converter_dlg.h"
#include "ui/job_columns.h"
#include "ui/job_list_ctrl.h"
#include "ui/path_text.h"
#include "ui/session_end.h"
#include "wait_until.h"
#include "window_states.h"

namespace {

using testing_support::ColumnTexts;
using testing_support::EnabledStates;
using testing_support::WaitUntil;
namespace states = testing_support::states;

// A job that shows progress, then keeps its tool running until it is ended.
std::string HangingJob(const std::string& pidFile) {
    return "write-pid " + pidFile + "\nbanner\nprogress 2\nhang\n";
}

class ConverterDlgBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        services_.toolFolder = folders_.Tool();
        dlg_ = std::make_unique<CConverterDlg>(nullptr, &services_);
        dlg_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg_.get()));
    }

    // Adds the sources in this order, top to bottom, then gives each its script for the
    // conversion (the probes of Add see the fake's usual behaviour).
    void AddSources(const std::vector<std::pair<std::string, std::string>>& sources,
                    std::size_t bytes = 100000) {
        QStringList paths;
        for (const auto& source : sources)
            paths << QString::fromStdString(folders_.Source(source.first, "", bytes));
        services_.filesToPick = paths;
        dlg_->OnAdd();
        ASSERT_EQ(dlg_->m_listJobs->topLevelItemCount(), static_cast<int>(sources.size()));
        for (const auto& [name, script] : sources) {
            if (!script.empty())
                testing_support::WriteFile(folders_.In(name) + ".fake", script);
        }
    }
    QStringList Statuses() const { return ColumnTexts(*dlg_, ui::kColumnStatus); }
    QString Status(int row) const {
        return dlg_->m_listJobs->topLevelItem(row)->text(ui::kColumnStatus);
    }
    bool WaitForBatchEnd() {
        return WaitUntil([&] { return !dlg_->IsConverting(); });
    }
    // Starts a batch whose top job hangs, and waits until its tool runs and wrote output.
    pid_t StartHangingBatch(const std::string& pidFile) {
        AddSources({{"hang.avi", HangingJob(pidFile)}, {"next.avi", ""}});
        dlg_->OnConvert();
        EXPECT_TRUE(WaitUntil([&] {
            return testing_support::PidFromFile(pidFile) > 0 &&
                   std::filesystem::exists(engine::PartPathOf(folders_.Out("hang.flv"))) &&
                   dlg_->m_progress->value() > 1;
        }));
        return testing_support::PidFromFile(pidFile);
    }
    // Answers Yes to the question with this text and No to any other.
    void AnswerYesTo(const QString& text) {
        services_.onAsk = [text](const testing_support::ToldMessage& q) { return q.text == text; };
    }

    testing_support::BatchFolders folders_;
    testing_support::FakeUiServices services_;
    std::unique_ptr<CConverterDlg> dlg_;
};

TEST_F(ConverterDlgBatchTest, ConvertOnAnEmptyListChangesNothing) {
    dlg_->OnConvert();
    EXPECT_FALSE(dlg_->IsConverting());
    EXPECT_EQ(EnabledStates(*dlg_), states::kIdle);
}

TEST_F(ConverterDlgBatchTest, BatchConvertsEveryRowTopToBottom) {
    AddSources({{"first.avi", ""},
                {"second.avi", "banner\nprogress 3\nsleep 600\nexit 0\n"},
                {"third.avi", "banner\nprogress 2\nexit 1\n"}});
    EXPECT_EQ(EnabledStates(*dlg_), states::kListed);

    QTest::mouseClick(dlg_->m_btnConvert, Qt::LeftButton);
    EXPECT_EQ(EnabledStates(*dlg_), states::kConverting);
    // The first result is read back while the second job converts.
    ASSERT_TRUE(WaitUntil([&] {
        return Statuses() == QStringList{"Complete", "Converting", "Ready"};
    })) << Statuses().join(' ').toStdString();
    EXPECT_EQ(EnabledStates(*dlg_), states::kConverting);
    EXPECT_EQ(dlg_->m_progress->minimum(), 1);
    EXPECT_EQ(dlg_->m_progress->maximum(), 100);
    // Rows handled in this batch stay selected.
    EXPECT_TRUE(dlg_->m_listJobs->topLevelItem(0)->isSelected());
    EXPECT_TRUE(dlg_->m_listJobs->topLevelItem(1)->isSelected());
    EXPECT_TRUE(services_.shell.opened.empty());

    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), (QStringList{"Complete", "Complete", "Error"}));
    EXPECT_EQ(EnabledStates(*dlg_), states::kListed);
    EXPECT_EQ(services_.shell.opened, std::vector<std::string>{folders_.Out()});
    EXPECT_EQ(dlg_->m_progress->value(), dlg_->m_progress->minimum()) << "the bar ends empty";
    EXPECT_TRUE(std::filesystem::exists(folders_.Out("first.flv")));
    EXPECT_TRUE(std::filesystem::exists(folders_.Out("second.flv")));
    EXPECT_FALSE(std::filesystem::exists(folders_.Out("third.flv")));
    // The failure is said in words once the batch has ended, not only in a tooltip.
    ASSERT_EQ(services_.told.size(), 1u);
    const QString failures = services_.told[0].items.join(QLatin1Char('\n'));
    EXPECT_TRUE(failures.contains(QString::fromStdString(folders_.In("third.avi"))));
    EXPECT_TRUE(failures.contains(QStringLiteral("status 1")));
    EXPECT_FALSE(dlg_->m_bStop);
}

// Without a mouse: a running row's Status cell tells how long it has run and has left, in its
// tooltip and accessible text, and a screen reader hears of each new status of a row.
TEST_F(ConverterDlgBatchTest, ARunningRowTellsItsTimesAndScreenReadersHearEachNewStatus) {
    AddSources({{"a.avi", ""}, {"b.avi", "banner\nprogress 3\nsleep 600\nexit 0\n"}});
    dlg_->OnConvert();
    QTreeWidgetItem* running = dlg_->m_listJobs->topLevelItem(1);
    ASSERT_TRUE(WaitUntil([&] { return !running->toolTip(ui::kColumnStatus).isEmpty(); }));
    const QString times = running->toolTip(ui::kColumnStatus);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Converting, [0-9]+ %, [0-9]+:[0-9]{2} elapsed, "
                                                  "[0-9]+:[0-9]{2} left$"))
                    .match(times)
                    .hasMatch())
        << times.toStdString();
    EXPECT_EQ(running->data(ui::kColumnStatus, Qt::AccessibleDescriptionRole).toString(), times);
    ASSERT_TRUE(WaitForBatchEnd());

    // Converting and Complete for each row, as the cell's child index (the header is row 0);
    // the first result may be read back while the second row converts.
    const int columns = dlg_->m_listJobs->columnCount();
    const int header = dlg_->m_listJobs->isHeaderHidden() ? 0 : 1;
    std::vector<std::pair<QObject*, int>> expected;
    for (int row : {0, 0, 1, 1})
        expected.emplace_back(dlg_->m_listJobs, (row + header) * columns + ui::kColumnStatus);
    std::vector<std::pair<QObject*, int>> announced = services_.announced;
    std::sort(announced.begin(), announced.end());
    EXPECT_EQ(announced, expected);
}

TEST_F(ConverterDlgBatchTest, BarMovesWithTheOutputAndStaysFullPastTheSourceSize) {
    // A 4000-byte source and no duration in the output: the fake's 4 kB steps give 100, 200
    // and 300 per cent.
    AddSources({{"small.avi", "progress 1\nsleep 300\nprogress 3\nsleep 600\n"}}, 4000);
    dlg_->OnConvert();
    ASSERT_TRUE(WaitUntil([&] { return dlg_->m_progress->value() == 100; }));
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), QStringList{"Complete"});
}

TEST_F(ConverterDlgBatchTest, ConvertRunsWhatIsLeftAndConvertAgainTheSelectedRows) {
    const std::string args = folders_.Path("args.txt");
    AddSources(
        {{"a.avi", "log-args " + args + "\nbanner\nprogress 5\n"}, {"b.avi", "banner\nexit 1\n"}});
    dlg_->OnConvert();
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), (QStringList{"Complete", "Error"}));
    folders_.Source("b.avi", "banner\nprogress 1\n");
    std::filesystem::remove(args);

    // The Complete row whose result is in place is left alone; the failed one runs.
    QTest::mouseClick(dlg_->m_btnConvert, Qt::LeftButton);
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), (QStringList{"Complete", "Complete"}));
    EXPECT_FALSE(std::filesystem::exists(args)) << "a Complete row was converted again";
    EXPECT_EQ(services_.shell.opened.size(), 2u);
    EXPECT_TRUE(services_.asked.empty());

    // "Convert again" asks about the row's own result, then converts it once more.
    dlg_->m_listJobs->clearSelection();
    dlg_->m_listJobs->topLevelItem(0)->setSelected(true);
    services_.answer = true;
    dlg_->OnConvertAgain();
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(services_.asked.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(args));
    EXPECT_EQ(Statuses(), (QStringList{"Complete", "Complete"}));
}

TEST_F(ConverterDlgBatchTest, TheProfileAndFolderAreThoseShownWhenConvertIsPressed) {
    const std::string args = folders_.Path("args.txt");
    AddSources({{"a.avi", "log-args " + args + "\nbanner\n"}});
    dlg_->m_comboFormat->setCurrentIndex(5);
    dlg_->OnConvert();
    ASSERT_TRUE(WaitForBatchEnd());
    const std::string logged = testing_support::ReadFile(args);
    EXPECT_NE(logged.find("480x320"), std::string::npos) << logged;
    EXPECT_NE(logged.find(engine::PartPathOf(folders_.Out("a.flv"))), std::string::npos) << logged;
}

TEST_F(ConverterDlgBatchTest, StopAnsweredNoKeepsConverting) {
    const pid_t pid = StartHangingBatch(folders_.Path("tool.pid"));
    services_.answer = false;
    QTest::mouseClick(dlg_->m_btnStop, Qt::LeftButton);
    ASSERT_EQ(services_.asked.size(), 1u);
    EXPECT_EQ(services_.asked[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(services_.asked[0].text, QStringLiteral("Do you want to stop convert?"));
    EXPECT_EQ(services_.asked[0].icon, ui::MessageIcon::Question);
    EXPECT_FALSE(dlg_->m_bStop);
    EXPECT_EQ(EnabledStates(*dlg_), states::kConverting);
    QTest::qWait(300);
    EXPECT_TRUE(testing_support::IsAlive(pid));
    EXPECT_EQ(Status(0), QStringLiteral("Converting"));
}

TEST_F(ConverterDlgBatchTest, StopFreesTheSettingsAtOnceThenEndsTheJobAndTheBatch) {
    const pid_t pid = StartHangingBatch(folders_.Path("tool.pid"));
    services_.answer = true;
    QTest::mouseClick(dlg_->m_btnStop, Qt::LeftButton);

    // The worker is still finishing: the tool gets its waits before it is ended.
    EXPECT_TRUE(dlg_->IsConverting());
    EXPECT_EQ(EnabledStates(*dlg_), states::kStopping);
    QTest::mouseClick(dlg_->m_btnSettings, Qt::LeftButton);
    EXPECT_EQ(services_.modalClasses, std::vector<QString>{"CSettingsDlg"});

    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), (QStringList{"Stop", "Ready"}));
    EXPECT_FALSE(std::filesystem::exists(folders_.Out("hang.flv"))) << "partial output kept";
    EXPECT_FALSE(std::filesystem::exists(folders_.Out("next.flv")));
    EXPECT_FALSE(testing_support::IsAlive(pid));
    EXPECT_TRUE(services_.shell.opened.empty()) << "a stopped batch opened the folder";
    EXPECT_EQ(EnabledStates(*dlg_), states::kListed);
    EXPECT_FALSE(dlg_->m_bStop);
}

TEST_F(ConverterDlgBatchTest, StopConfirmedAfterTheBatchEndedDoesNotStopTheNext) {
    AddSources({{"a.avi", "banner\nprogress 2\nsleep 300\n"}});
    dlg_->OnConvert();
    // The batch ends while the question is up.
    services_.onAsk = [&](const testing_support::ToldMessage&) {
        EXPECT_TRUE(WaitUntil([&] { return !dlg_->IsConverting(); }));
        return true;
    };
    dlg_->OnStop();
    EXPECT_EQ(Statuses(), QStringList{"Complete"});
    EXPECT_EQ(EnabledStates(*dlg_), states::kListed);

    std::filesystem::remove(folders_.Out("a.flv"));  // something left to do
    dlg_->OnConvert();
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), QStringList{"Complete"});
    EXPECT_EQ(services_.shell.opened.size(), 2u);
}

TEST_F(ConverterDlgBatchTest, MissingToolPutsTheJobInErrorAndTheBatchEndSaysWhy) {
    services_.toolFolder = folders_.Path("no-tool-here");
    AddSources({{"a.avi", ""}});
    ASSERT_EQ(services_.told.size(), 1u) << "Add says once that the encoder cannot run";
    dlg_->OnConvert();
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), QStringList{"Error"});
    ASSERT_EQ(services_.told.size(), 2u);
    EXPECT_TRUE(services_.told[1]
                    .items.join(QLatin1Char('\n'))
                    .contains(QStringLiteral("could not be started")));
    // The reason without a mouse: the details line of the selected row, and the Status
    // cell's accessible description.
    QTreeWidgetItem* row = dlg_->m_listJobs->topLevelItem(0);
    dlg_->m_listJobs->clearSelection();
    row->setSelected(true);
    EXPECT_TRUE(dlg_->m_details->text().contains(QStringLiteral("could not be started")));
    EXPECT_TRUE(row->data(ui::kColumnStatus, Qt::AccessibleDescriptionRole)
                    .toString()
                    .contains(QStringLiteral("could not be started")));
}

TEST_F(ConverterDlgBatchTest, ARowWhoseTargetAnotherFolderHoldsIsAskedAboutAgain) {
    AddSources({{"a.avi", ""}, {"b.avi", ""}});
    EXPECT_TRUE(services_.asked.empty());
    // Another folder, where a.flv is somebody's file.
    const std::string other = folders_.Path("other");
    testing_support::WriteFile(other + "/a.flv", "keep me");
    dlg_->m_editOutPath->setText(QString::fromStdString(other));
    services_.answer = false;
    dlg_->OnConvert();
    ASSERT_EQ(services_.asked.size(), 1u);
    EXPECT_EQ(services_.asked[0].text,
              QStringLiteral("Are you want to overtwrite  %1!")
                  .arg(QString::fromStdString(platform::path::Join(other, "a.flv"))));
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), (QStringList{"Ready", "Complete"}));
    EXPECT_EQ(testing_support::ReadFile(other + "/a.flv"), "keep me");

    // Yes is remembered for that target: the next batch asks nothing.
    services_.answer = true;
    dlg_->OnConvert();
    ASSERT_TRUE(WaitForBatchEnd());
    dlg_->OnConvert();
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(services_.asked.size(), 2u);
    EXPECT_EQ(Statuses(), (QStringList{"Complete", "Complete"}));
}

TEST_F(ConverterDlgBatchTest, AnOutputFolderThatCannotTakeResultsIsToldBeforeAnyJobRuns) {
    AddSources({{"a.avi", ""}});
    std::filesystem::remove_all(folders_.Out());
    testing_support::WriteFile(folders_.Out(), "a file where the folder was");
    dlg_->OnConvert();
    EXPECT_FALSE(dlg_->IsConverting());
    ASSERT_EQ(services_.told.size(), 1u);
    EXPECT_TRUE(services_.told[0].text.contains(QStringLiteral("is not a folder")));
    EXPECT_EQ(Statuses(), QStringList{"Ready"});
    EXPECT_EQ(EnabledStates(*dlg_), states::kListed);

    // The default folder is ours: it is made again, as at start-up.
    const std::string home = settings::DefaultOutPath();
    dlg_->m_editOutPath->setText(QString::fromStdString(home));
    std::filesystem::remove_all(home);
    dlg_->OnConvert();
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), QStringList{"Complete"});
    EXPECT_TRUE(std::filesystem::exists(home + "/a.flv"));
}

TEST_F(ConverterDlgBatchTest, PipeFailureOfAJobIsShownInAnErrorBoxAndTheBatchGoesOn) {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizers check memory through pipes of their own, which the limit takes away.
    GTEST_SKIP() << "not under the sanitizers";
#elif defined(_WIN32)
    GTEST_SKIP() << "Windows has no limit on a process's descriptors to run out of";
#endif
    AddSources({{"a.avi", ""}, {"b.avi", ""}});
    // The bar's text is drawn once before: its first drawing opens font files, which would
    // race the job for the one descriptor left.
    dlg_->m_progress->setFormat(QStringLiteral("1 of 2 \u00b7 0:01 left"));
    dlg_->m_progress->setTextVisible(true);
    dlg_->m_progress->grab();
    {
        testing_support::ScopedDescriptorLimit limit(1);
        dlg_->OnConvert();
        ASSERT_TRUE(WaitUntil([&] { return !services_.told.empty(); }));
    }
    ASSERT_TRUE(WaitForBatchEnd());
    ASSERT_EQ(services_.told.size(), 2u);  // the pipe failure once, then the batch's end
    EXPECT_EQ(services_.told[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(services_.told[0].text, QStringLiteral("Can't create out pipe"));
    EXPECT_EQ(services_.told[0].icon, ui::MessageIcon::None);
    EXPECT_EQ(Statuses(), (QStringList{"Error", "Error"}));
    EXPECT_EQ(EnabledStates(*dlg_), states::kListed);
}

TEST_F(ConverterDlgBatchTest, CloseBoxDuringABatchStopsItBeforeTheWindowCloses) {
    const pid_t pid = StartHangingBatch(folders_.Path("tool.pid"));
    AnswerYesTo(QStringLiteral("Do you want to quit?"));
    EXPECT_TRUE(dlg_->close());
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_FALSE(dlg_->IsConverting()) << "the window closed before its worker ended";
    EXPECT_FALSE(testing_support::IsAlive(pid));
    EXPECT_FALSE(std::filesystem::exists(folders_.Out("hang.flv")));
    EXPECT_FALSE(std::filesystem::exists(engine::PartPathOf(folders_.Out("hang.flv"))));
    EXPECT_EQ(dlg_->result(), QDialog::Rejected);
    ASSERT_EQ(services_.asked.size(), 1u);
    EXPECT_EQ(services_.asked[0].text, QStringLiteral("Do you want to quit?"));
    dlg_.reset();
}

TEST_F(ConverterDlgBatchTest, CloseBoxAnsweredNoKeepsTheBatchRunning) {
    const pid_t pid = StartHangingBatch(folders_.Path("tool.pid"));
    services_.answer = false;
    EXPECT_FALSE(dlg_->close());
    EXPECT_TRUE(dlg_->isVisible());
    EXPECT_TRUE(dlg_->IsConverting());
    EXPECT_TRUE(testing_support::IsAlive(pid));
    EXPECT_FALSE(dlg_->m_bStop);
}

TEST_F(ConverterDlgBatchTest, EscDuringABatchAsksTheCloseBoxsQuestionFirst) {
    const pid_t pid = StartHangingBatch(folders_.Path("tool.pid"));
    services_.answer = false;
    QTest::keyClick(dlg_.get(), Qt::Key_Escape);
    ASSERT_EQ(services_.asked.size(), 1u);
    EXPECT_EQ(services_.asked[0].text, QStringLiteral("Do you want to quit?"));
    EXPECT_TRUE(dlg_->isVisible());
    EXPECT_TRUE(testing_support::IsAlive(pid));

    services_.answer = true;
    QTest::keyClick(dlg_.get(), Qt::Key_Escape);
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_FALSE(dlg_->IsConverting());
    EXPECT_FALSE(testing_support::IsAlive(pid));
    EXPECT_FALSE(std::filesystem::exists(engine::PartPathOf(folders_.Out("hang.flv"))));
    EXPECT_EQ(Status(0), QStringLiteral("Stop"));
    EXPECT_EQ(Status(1), QStringLiteral("Ready"));
}

#ifndef _WIN32  // Windows has no SIGTERM to send; its session's end is the next test
TEST_F(ConverterDlgBatchTest, ATerminationSignalStopsTheBatchAndQuitsWithoutAQuestion) {
    const pid_t pid = StartHangingBatch(folders_.Path("tool.pid"));
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(WaitUntil([&] { return !dlg_->isVisible(); }));
    EXPECT_TRUE(services_.asked.empty());
    EXPECT_FALSE(dlg_->IsConverting());
    EXPECT_FALSE(testing_support::IsAlive(pid));
    EXPECT_FALSE(std::filesystem::exists(engine::PartPathOf(folders_.Out("hang.flv"))));
    EXPECT_EQ(Status(0), QStringLiteral("Stop"));
}
#endif

// Windows ends the session with messages that Qt turns into aboutToQuit, and ends the process
// as soon as that returns: by then the batch has stopped and the list is saved.
TEST_F(ConverterDlgBatchTest, TheSessionsEndHasStoppedTheBatchAndSavedTheListWhenItReturns) {
    ui::StopAtSessionEnd(*dlg_);
    const pid_t pid = StartHangingBatch(folders_.Path("tool.pid"));
    // As Qt's Windows platform emits it.
    ASSERT_TRUE(QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection));
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_TRUE(services_.asked.empty());
    EXPECT_FALSE(dlg_->IsConverting());
    EXPECT_FALSE(testing_support::IsAlive(pid));
    EXPECT_FALSE(std::filesystem::exists(engine::PartPathOf(folders_.Out("hang.flv"))));
    const std::string saved = testing_support::ReadFile(settings::QueueFilePath());
    EXPECT_NE(saved.find("Stop"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("Converting"), std::string::npos) << saved;
}

TEST_F(ConverterDlgBatchTest, SeveralAtOnceShowTheirOwnProgressAndTheBarShowsTheBatch) {
    // The choice is the context menu's, stored for the next start.
    QMenu* jobs = nullptr;
    for (QAction* action : dlg_->SystemMenu()->actions())
        if (action->menu() && action->text() == QStringLiteral("Simultaneous conversions"))
            jobs = action->menu();
    ASSERT_NE(jobs, nullptr);
    if (jobs->actions().size() < 2)
        GTEST_SKIP() << "one core: nothing to choose";
    jobs->actions()[1]->trigger();
    EXPECT_NE(folders_.Env().Ini().find("Jobs=2"), std::string::npos);
    EXPECT_EQ(dlg_->SimultaneousConversions(), 2);

    AddSources({{"a.avi", "banner\nprogress 2\nhang\n"},
                {"b.avi", "banner\nprogress 2\nhang\n"},
                {"c.avi", ""}});
    dlg_->m_listJobs->clearSelection();
    dlg_->OnConvert();
    const auto rowProgress = [&](int row) {
        return dlg_->m_listJobs->topLevelItem(row)->data(ui::kColumnStatus,
                                                         CJobListCtrl::kProgressRole);
    };
    ASSERT_TRUE(WaitUntil([&] {
        return Status(0) == "Converting" && Status(1) == "Converting" &&
               rowProgress(0).toInt() > 0 && rowProgress(1).toInt() > 0;
    }));
    EXPECT_EQ(Status(2), QStringLiteral("Ready"));
    EXPECT_TRUE(dlg_->m_listJobs->selectedItems().isEmpty()) << "the selection is the user's";
    EXPECT_EQ(dlg_->m_progress->minimum(), 0);
    EXPECT_LT(dlg_->m_progress->value(), 100);

    services_.answer = true;
    dlg_->OnStop();
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), (QStringList{"Stop", "Stop", "Ready"}));
    EXPECT_FALSE(rowProgress(0).isValid());
    EXPECT_FALSE(std::filesystem::exists(engine::PartPathOf(folders_.Out("a.flv"))));
    EXPECT_FALSE(std::filesystem::exists(engine::PartPathOf(folders_.Out("b.flv"))));
}

TEST_F(ConverterDlgBatchTest, QuitDuringABatchStopsItBeforeTheWindowCloses) {
    const pid_t pid = StartHangingBatch(folders_.Path("tool.pid"));
    // The Quit button is disabled meanwhile; its handler is what Enter would reach.
    EXPECT_FALSE(dlg_->m_btnQuit->isEnabled());
    QTest::keyClick(dlg_->m_listJobs, Qt::Key_Return);
    EXPECT_TRUE(services_.asked.empty());
    EXPECT_TRUE(dlg_->isVisible());

    AnswerYesTo(QStringLiteral("Do you want to quit?"));
    dlg_->OnOK();
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_EQ(dlg_->result(), QDialog::Accepted);
    EXPECT_FALSE(dlg_->IsConverting());
    EXPECT_FALSE(testing_support::IsAlive(pid));
    EXPECT_FALSE(std::filesystem::exists(folders_.Out("hang.flv")));
}

TEST_F(ConverterDlgBatchTest, DestroyingTheWindowDuringABatchStopsAndJoinsItsWorker) {
    const pid_t pid = StartHangingBatch(folders_.Path("tool.pid"));
    dlg_.reset();
    EXPECT_FALSE(testing_support::IsAlive(pid));
    EXPECT_FALSE(std::filesystem::exists(folders_.Out("hang.flv")));
    // Nothing of the batch is left to arrive later.
    QTest::qWait(100);
}

TEST_F(ConverterDlgBatchTest, DestroyingTheWindowWhileStopIsUnderWayEndsCleanly) {
    const pid_t pid = StartHangingBatch(folders_.Path("tool.pid"));
    services_.answer = true;
    dlg_->OnStop();
    QTest::qWait(50);
    dlg_.reset();
    EXPECT_FALSE(testing_support::IsAlive(pid));
    EXPECT_FALSE(std::filesystem::exists(folders_.Out("hang.flv")));
}

}  // namespace

namespace {

// What a kill -9 in the middle of a batch leaves: the list as saved while a row converted, and
// its ".part". The next start shows the rows again, the converting one as "Stop", and removes
// the ".part"; a saved list that cannot be used is set aside with one message.
TEST_F(ConverterDlgBatchTest, AListSavedDuringABatchComesBackAfterAKill) {
    const std::string queue = settings::QueueFilePath();
    StartHangingBatch(folders_.Path("hang.pid"));
    ASSERT_TRUE(WaitUntil(
        [&] { return testing_support::ReadFile(queue).find("Converting") != std::string::npos; }));
    const std::string killed = testing_support::ReadFile(queue);
    const QStringList names = ColumnTexts(*dlg_, ui::kColumnName);
    dlg_.reset();
    testing_support::WriteFile(queue, killed);
    testing_support::WriteFile(engine::PartPathOf(folders_.Out("hang.flv")), "partial");

    dlg_ = std::make_unique<CConverterDlg>(nullptr, &services_);
    EXPECT_EQ(ColumnTexts(*dlg_, ui::kColumnName), names);
    EXPECT_EQ(Statuses(), (QStringList{"Stop", "Ready"}));
    EXPECT_FALSE(std::filesystem::exists(engine::PartPathOf(folders_.Out("hang.flv"))));
    EXPECT_EQ(EnabledStates(*dlg_), states::kListed);

    dlg_.reset();
    testing_support::WriteFile(queue, "{\"vantrel-queue\": 1, \"rows\": [");
    services_.told.clear();
    dlg_ = std::make_unique<CConverterDlg>(nullptr, &services_);
    ASSERT_TRUE(WaitUntil([&] { return !services_.told.empty(); }));
    EXPECT_EQ(dlg_->m_listJobs->topLevelItemCount(), 0);
    EXPECT_TRUE(services_.told[0].text.contains(QStringLiteral("damaged")));
    int setAside = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(queue).parent_path()))
        setAside += entry.path().filename().string().rfind("queue.json.unreadable-", 0) == 0;
    EXPECT_EQ(setAside, 1);
}

}  // namespace

namespace {

#ifndef _WIN32  // Windows names are UTF-16: none of them is invalid UTF-8
// A name that is not UTF-8 (here Latin-1) reaches the engine as its very bytes.
TEST_F(ConverterDlgBatchTest, ANameThatIsNotUtf8ConvertsAsFromTheCommandLine) {
    const std::string source = folders_.Source("caf\xe9 \xff.avi");
    dlg_->OpenFiles({ui::PathText(source)});
    ASSERT_EQ(dlg_->Jobs().Count(), 1);
    EXPECT_EQ(dlg_->Jobs().Row(0).source, source);
    EXPECT_EQ(ui::PathBytes(ColumnTexts(*dlg_, ui::kColumnName).at(0)), source);
    dlg_->OnConvert();
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(Statuses(), QStringList{"Complete"});
    EXPECT_TRUE(std::filesystem::exists(folders_.Out("caf\xe9 \xff.flv")));
}
#endif

}  // namespace
