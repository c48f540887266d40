// Converting and ending: Convert hands the listed jobs to an engine batch running on a worker
// thread and shows its events, Stop asks it to stop, and every way of ending the dialog first
// stops a running batch or Add and waits for it.
#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>
#include <system_error>
#include <utility>

#include "controls/icon_button.h"
#include "engine/batch.h"
#include "engine/command_line.h"
#include "engine/job_log.h"
#include "engine/time_left.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "settings/settings_file.h"
#include "ui/converter_dlg.h"
#include "ui/dialog_events.h"
#include "ui/job_columns.h"
#include "ui/job_list_ctrl.h"
#include "ui/overwrite_questions.h"
#include "ui/path_text.h"
#include "ui/ui_services.h"

namespace {

const QString kWarning = QStringLiteral("Warning");

std::string Encoded(const QString& path) {
    return ui::PathBytes(path);
}

}  // namespace

std::string CConverterDlg::UsableOutputFolder() {
    const std::string shown = Encoded(m_editOutPath->text());
    // The default folder is ours to make, as at start-up; any other is the user's to fix.
    if (shown == settings::DefaultOutPath() || shown == settings::FallbackOutPath())
        settings::ResolveOutputFolder(shown, true);
    const std::string problem = engine::OutputFolderProblem(shown);
    if (problem.empty())
        return shown;
    services_.Tell(this, QStringLiteral("Error"),
                   QString::fromStdString(problem) +
                       QStringLiteral("\n\nChoose another output folder with Browse."),
                   ui::MessageIcon::Exclamation);
    return "";
}

void CConverterDlg::OnConvert() {
    ConvertRows({});
}

void CConverterDlg::OnConvertAgain() {
    const std::vector<int> rows = SelectedRows();
    if (!rows.empty())
        ConvertRows(rows);
}

// The job list's plan says what is left to do: Complete rows whose target still holds their
// result are left alone, a row whose target exists is asked about unless the user agreed to
// replace that very file, and a row that must not run says why.
void CConverterDlg::ConvertRows(const std::vector<int>& only) {
    if (m_jobs.Count() == 0 || m_batch || m_adding)
        return;
    const std::string folder = UsableOutputFolder();
    if (folder.empty())
        return;
    engine::PlanOptions planOptions;
    planOptions.folder = folder;
    planOptions.existing = engine::ExistingTargets::Ask;
    planOptions.only = only;
    const engine::Plan plan = m_jobs.PlanAll(planOptions);
    ui::OverwriteQuestions questions(
        services_, this,
        static_cast<int>(std::count_if(
            plan.rows.begin(), plan.rows.end(),
            [](const engine::PlanEntry& entry) { return entry.verdict == engine::Verdict::Ask; })));

    std::vector<engine::Job> jobs;
    std::vector<int> rows;
    for (int row = 0; row < static_cast<int>(plan.rows.size()); ++row) {
        const engine::PlanEntry& entry = plan.rows[row];
        switch (entry.verdict) {
            case engine::Verdict::Keep:
                continue;
            case engine::Verdict::Listed:
            case engine::Verdict::Skip:
                m_jobs.SetFailed(row, entry.reason);
                ShowRow(row);
                continue;
            case engine::Verdict::Ask: {
                if (!questions.MayReplace(entry.target))
                    continue;
                m_jobs.SetReplaceStamp(row, engine::FileStamp(entry.target));
                break;
            }
            case engine::Verdict::Run:
                break;
        }
        engine::Job job = m_jobs.Row(row);
        job.target = entry.target;
        job.state = engine::JobState::Ready;
        job.progress = 0;
        job.reason.clear();
        jobs.push_back(std::move(job));
        rows.push_back(row);
    }
    if (rows.empty()) {
        if (only.empty() && std::all_of(plan.rows.begin(), plan.rows.end(), [](const auto& entry) {
                return entry.verdict == engine::Verdict::Keep;
            }))
            services_.Tell(this, QStringLiteral("Information"),
                           QStringLiteral("Every job is complete and its result is in place. "
                                          "\"Convert again\" in the list's context menu converts "
                                          "the selected rows once more."),
                           ui::MessageIcon::Information);
        return;
    }

    engine::BatchOptions options;
    options.folder = folder;
    options.profile = m_comboFormat->currentIndex();
    options.parallel = SimultaneousConversions();
    // A target is replaced only when it is the very file the user agreed to have replaced;
    // one that appeared or changed since is kept, and the row says so.
    options.overwrite = false;
    options.toolFolder = services_.ToolFolder();
    options.silenceLimit = m_silenceLimit;
    options.verify = settings::ReadInt(settings::kVerify, 1) != 0;
    options.logFolder = settings::LogFolder();

    SetListCommandsEnabled(false);
    m_btnStop->setEnabled(true);
    m_btnAdd->setEnabled(false);
    m_btnQuit->setEnabled(false);
    SetBatchSettingsEnabled(false);
    // One at a time the bar shows the running job, as it always did; several at once, the
    // whole batch.
    m_progress->setRange(options.parallel == 1 ? 1 : 0, 100);
    m_progress->reset();

    // The list as the batch starts is on disk before the first job runs.
    if (m_saveTimer->isActive())
        SaveQueueNow();
    // A Stop confirmed after the last batch had already ended must not end this one.
    m_bStop = false;
    m_batchRows = std::move(rows);
    m_batchStart = std::chrono::steady_clock::now();
    m_jobsStarted = 0;
    m_lastStarted = -1;
    m_batchPercent = 0;
    ShowBatchCount();
    m_batch = std::make_unique<engine::Batch>(std::move(jobs), options, m_bStop);
    m_batchEvents = std::make_unique<ui::DialogBatchEvents>(*this);
    try {
        m_worker = std::thread([batch = m_batch.get(), events = m_batchEvents.get()] {
            engine::ConvertWorkerProc(*batch, *events);
        });
        m_keepAwake.emplace();
    } catch (const std::system_error& e) {
        m_batch.reset();
        m_batchEvents.reset();
        m_batchRows.clear();
        RestoreAfterBatch();
        services_.Tell(this, QStringLiteral("Error"),
                       QStringLiteral("The conversion could not start: ") + e.what(),
                       ui::MessageIcon::Exclamation);
    }
}

bool CConverterDlg::OneAtATime() const {
    return !m_batch || m_batch->Options().parallel == 1;
}

QTreeWidgetItem* CConverterDlg::BatchRow(int index) const {
    return index >= 0 && index < static_cast<int>(m_batchRows.size())
               ? m_listJobs->topLevelItem(m_batchRows[index])
               : nullptr;
}

void CConverterDlg::OnJobStarted(int index, const engine::Job& job) {
    QTreeWidgetItem* item = BatchRow(index);
    if (item == nullptr)
        return;
    ++m_jobsStarted;
    m_lastStarted = index;
    m_jobs.Apply(m_batchRows[index], job);
    ShowRow(m_batchRows[index]);
    AnnounceStatus(m_batchRows[index]);
    if (OneAtATime()) {
        // Rows handled earlier in the batch stay selected; the list follows the job.
        item->setSelected(true);
    } else {
        item->setData(ui::kColumnStatus, CJobListCtrl::kProgressRole, 0);
    }
    // A running row stays in view; with several at once the selection is the user's.
    m_listJobs->scrollToItem(item);
    ShowBatchCount();
}

void CConverterDlg::OnJobProgress(int index, const engine::Job& job, int batchPercent) {
    m_batchPercent = batchPercent;
    if (QTreeWidgetItem* item = BatchRow(index)) {
        m_jobs.Apply(m_batchRows[index], job);
        ShowRunningTimes(m_batchRows[index]);
        if (!OneAtATime())
            item->setData(ui::kColumnStatus, CJobListCtrl::kProgressRole, job.progress);
    }
    m_progress->setValue(OneAtATime() ? std::clamp(job.progress, m_progress->minimum(), 100)
                                      : batchPercent);
    ShowBatchCount();
}

void CConverterDlg::OnJobEnded(int index, const engine::Job& job, int batchPercent) {
    m_batchPercent = batchPercent;
    if (QTreeWidgetItem* item = BatchRow(index)) {
        m_jobs.Apply(m_batchRows[index], job);
        ShowRow(m_batchRows[index]);
        AnnounceStatus(m_batchRows[index]);
        item->setData(ui::kColumnStatus, CJobListCtrl::kProgressRole, QVariant());
    }
    // One at a time, a job's result may be read back while the next one converts: the bar
    // is emptied only when no later job has started.
    if (!OneAtATime())
        m_progress->setValue(batchPercent);
    else if (index == m_lastStarted)
        m_progress->setValue(m_progress->minimum());
    ShowBatchCount();
}

// "3 of 10 · 2:13 left" on the progress bar: the job reached and the batch's time left.
void CConverterDlg::ShowBatchCount() {
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_batchStart).count();
    const std::optional<double> left = engine::SecondsLeft(elapsed, m_batchPercent);
    QString text = QStringLiteral("%1 of %2").arg(m_jobsStarted).arg(m_batchRows.size());
    if (left)
        text += QStringLiteral(" \u00b7 %1 left")
                    .arg(QString::fromStdString(engine::DurationText(*left)));
    m_progress->setFormat(text);
    m_progress->setTextVisible(true);
    m_progress->setAccessibleDescription(text);
}

// A running row's Status tooltip and accessible text: how long it has run and has left.
void CConverterDlg::ShowRunningTimes(int row) {
    QTreeWidgetItem* item = m_listJobs->topLevelItem(row);
    const engine::Job& job = m_jobs.Row(row);
    if (item == nullptr || job.state != engine::JobState::Converting || job.started == 0)
        return;
    const double elapsed = std::max<double>(0, std::time(nullptr) - job.started);
    QString text = QStringLiteral("Converting, %1 %, %2 elapsed")
                       .arg(job.progress)
                       .arg(QString::fromStdString(engine::DurationText(elapsed)));
    if (const std::optional<double> left = engine::SecondsLeft(elapsed, job.progress))
        text +=
            QStringLiteral(", %1 left").arg(QString::fromStdString(engine::DurationText(*left)));
    item->setToolTip(ui::kColumnStatus, text);
    item->setData(ui::kColumnStatus, Qt::AccessibleDescriptionRole, text);
}

// Screen readers hear of a row's new status as it happens.
void CConverterDlg::AnnounceStatus(int row) {
    const int header = m_listJobs->isHeaderHidden() ? 0 : 1;
    QAccessibleEvent event(m_listJobs, QAccessible::NameChanged);
    event.setChild((row + header) * m_listJobs->columnCount() + ui::kColumnStatus);
    services_.Announce(event);
}

void CConverterDlg::OnEngineAlert(const std::string& text) {
    if (!m_quitting)
        services_.Tell(this, QStringLiteral("Error"), QString::fromStdString(text),
                       ui::MessageIcon::None);
}

void CConverterDlg::OnBatchEnded(const engine::BatchSummary& summary) {
    if (m_worker.joinable())
        m_worker.join();
    m_batchEvents.reset();
    const std::vector<int> batchRows = std::exchange(m_batchRows, {});
    const std::string folder = m_batch ? m_batch->Options().folder : std::string();
    const bool ran = m_batch != nullptr;
    m_batch.reset();
    m_keepAwake.reset();
    if (ran) {
        RestoreAfterBatch();
        // Someone who turned to other work learns that the batch has ended.
        if (!m_quitting && !isActiveWindow()) {
            QString text = QStringLiteral("%1 completed").arg(summary.complete);
            const int failed = summary.failed + summary.skipped;
            text += failed > 0 ? QStringLiteral(", %1 failed.").arg(failed) : QStringLiteral(".");
            services_.Notify(QStringLiteral("Conversion finished"), text);
        }
        if (!m_quitting)
            TellFailures(batchRows);
        if (!summary.wasStopped && !m_quitting)
            services_.Shell().Open(folder);
        if (!m_quitting && !m_pendingFiles.isEmpty())
            QMetaObject::invokeMethod(
                this, [this] { OpenPendingFiles(); }, Qt::QueuedConnection);
    }
    emit batchEnded();
}

// Every failed job of the batch with its reason, in a list the user can scroll through.
void CConverterDlg::TellFailures(const std::vector<int>& rows) {
    QStringList lines;
    for (const int row : rows) {
        if (row >= m_jobs.Count())
            continue;
        const engine::Job& job = m_jobs.Row(row);
        if (job.state == engine::JobState::Error)
            lines << ui::PathText(job.source) + QStringLiteral(": ") + ui::PathText(job.reason);
    }
    if (lines.isEmpty())
        return;
    const QString text = lines.size() == 1 ? QStringLiteral("A job failed.")
                                           : QStringLiteral("%1 jobs failed.").arg(lines.size());
    services_.TellList(this, QStringLiteral("Error"), text, lines, ui::MessageIcon::Exclamation);
}

void CConverterDlg::RestoreAfterBatch() {
    m_progress->setTextVisible(false);
    m_progress->setAccessibleDescription(QString());
    SetListCommandsEnabled(true);
    m_btnStop->setEnabled(false);
    m_btnAdd->setEnabled(true);
    m_btnQuit->setEnabled(true);
    SetBatchSettingsEnabled(true);
}

// Both Settings buttons, the profile list and Browse, in that order.
void CConverterDlg::SetBatchSettingsEnabled(bool enabled) {
    m_btnSettings->setEnabled(enabled);
    m_btnSettingsTop->setEnabled(enabled);
    m_comboFormat->setEnabled(enabled);
    m_btnBrowse->setEnabled(enabled);
}

void CConverterDlg::OnShowLog() {
    const std::vector<int> rows = SelectedRows();
    if (rows.size() != 1)
        return;
    const std::string log = engine::JobLogPath(settings::LogFolder(), m_jobs.Row(rows[0]).source);
    if (!platform::PathExists(log)) {
        services_.Tell(this, QStringLiteral("Information"),
                       QStringLiteral("This job has no log: it has not been converted since its "
                                      "log was pruned, or not at all."),
                       ui::MessageIcon::Information);
        return;
    }
    services_.Shell().Open(log);
}

void CConverterDlg::OnStop() {
    // A long Add ends at once: the rows probed so far stay.
    if (m_adding) {
        m_addCancelled = true;
        m_probeStop = true;
        return;
    }
    if (!services_.AskYesNo(this, kWarning, QStringLiteral("Do you want to stop convert?"),
                            ui::MessageIcon::Question)) {
        return;
    }
    // The batch may have ended while the question was up.
    if (!m_batch)
        return;
    SetBatchSettingsEnabled(true);
    m_bStop = true;
}

bool CConverterDlg::ConfirmQuit() {
    return services_.AskYesNo(this, kWarning, QStringLiteral("Do you want to quit?"),
                              ui::MessageIcon::Question);
}

void CConverterDlg::OnOK() {
    if (ConfirmQuit())
        accept();
}

void CConverterDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (m_quitting || m_closeDeferred || !ConfirmQuit())
        return;
    // Ends the dialog as Cancel without Esc's own question; during Add the window closes once
    // Add has stopped.
    done(QDialog::Rejected);
    event->setAccepted(!isVisible());
}

void CConverterDlg::reject() {
    // Esc ends a long Add as Stop does, keeping the rows probed so far.
    if (m_adding) {
        m_addCancelled = true;
        m_probeStop = true;
        return;
    }
    // Esc closes an idle window at once (the job list is kept); a batch under way is not
    // stopped without asking.
    if (m_batch && !ConfirmQuit())
        return;
    QDialog::reject();
}

void CConverterDlg::OnStopSignal() {
    // A question or dialog that is open would hold the quit back: it goes first.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr || dialog == this)
            break;
        dialog->reject();
    }
    done(QDialog::Rejected);
}

void CConverterDlg::done(int result) {
    if (m_quitting)
        return;
    // Add is still on the stack, waiting for its probes: they stop, and Add closes the window
    // once it has returned to it.
    if (m_adding) {
        m_probeStop = true;
        m_closeDeferred = true;
        return;
    }
    m_quitting = true;
    StopWorkAndWait();
    m_quitting = false;
    SaveQueueNow();
    QDialog::done(result);
}

// The batch ends its tools and deletes their partial outputs; the window goes on painting
// meanwhile and takes no input.
void CConverterDlg::StopWorkAndWait() {
    if (!m_batch)
        return;
    m_bStop = true;
    QEventLoop loop;
    connect(this, &CConverterDlg::batchEnded, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
