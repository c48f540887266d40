// Converting and ending: Convert hands the listed jobs to an engine batch running on a worker
// thread and shows its events, Stop asks it to stop, and every way of ending the dialog first
// stops a running batch or Add and waits for it.
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QTreeWidget>
#include <system_error>

#include "controls/icon_button.h"
#include "engine/batch.h"
#include "engine/command_line.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "settings/settings_file.h"
#include "ui/converter_dlg.h"
#include "ui/dialog_events.h"
#include "ui/job_columns.h"
#include "ui/job_list_ctrl.h"
#include "ui/ui_services.h"

namespace {

const QString kWarning = QStringLiteral("Warning");

std::string Encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
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
    if (m_listJobs->topLevelItemCount() == 0 || m_batch || m_adding)
        return;
    const std::string folder = UsableOutputFolder();
    if (folder.empty())
        return;
    // The rows this batch converts, in order: Add asked before a row could replace a file in
    // the folder then shown; a row whose target another folder holds is asked about again.
    std::vector<std::string> sources;
    std::vector<QTreeWidgetItem*> rows;
    for (int row = 0; row < m_listJobs->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = m_listJobs->topLevelItem(row);
        const std::string source = Encoded(item->text(ui::kColumnName));
        if (!ConfirmTarget(*item, engine::OutputPathOf(source, folder)))
            continue;
        sources.push_back(source);
        rows.push_back(item);
    }
    if (rows.empty())
        return;

    engine::BatchOptions options;
    options.folder = folder;
    options.profile = m_comboFormat->currentIndex();
    options.parallel = SimultaneousConversions();
    options.overwrite = true;  // every row's target was confirmed just above or by Add
    options.toolFolder = services_.ToolFolder();
    options.silenceLimit = m_silenceLimit;

    SetListCommandsEnabled(false);
    m_btnStop->setEnabled(true);
    m_btnAdd->setEnabled(false);
    m_btnQuit->setEnabled(false);
    SetBatchSettingsEnabled(false);
    for (QTreeWidgetItem* item : rows) item->setToolTip(ui::kColumnStatus, QString());
    // One at a time the bar shows the running job, as it always did; several at once, the
    // whole batch.
    m_progress->setRange(options.parallel == 1 ? 1 : 0, 100);
    m_progress->reset();

    // A Stop confirmed after the last batch had already ended must not end this one.
    m_bStop = false;
    m_batchRows = std::move(rows);
    m_batch = std::make_unique<engine::Batch>(sources, options, m_bStop);
    m_batchEvents = std::make_unique<ui::DialogBatchEvents>(*this);
    try {
        m_worker = std::thread([batch = m_batch.get(), events = m_batchEvents.get()] {
            engine::ConvertWorkerProc(*batch, *events);
        });
    } catch (const std::system_error& e) {
        m_batch.reset();
        m_batchEvents.reset();
        RestoreAfterBatch();
        services_.Tell(this, QStringLiteral("Error"),
                       QStringLiteral("The conversion could not start: ") + e.what(),
                       ui::MessageIcon::Exclamation);
    }
}

// A row may write `target` when it did not exist, or the user agreed to replace it, for this
// very path; otherwise the user is asked as Add asks.
bool CConverterDlg::ConfirmTarget(QTreeWidgetItem& item, const std::string& target) {
    const QString path = QFile::decodeName(QByteArray::fromStdString(target));
    if (item.data(ui::kColumnName, CJobListCtrl::kConfirmedTargetRole).toString() != path &&
        platform::PathExists(target) &&
        !services_.AskYesNo(
            this, kWarning,
            QStringLiteral("Are you want to overtwrite  ") + path + QStringLiteral("!"),
            ui::MessageIcon::Exclamation)) {
        return false;
    }
    item.setData(ui::kColumnName, CJobListCtrl::kConfirmedTargetRole, path);
    return true;
}

bool CConverterDlg::OneAtATime() const {
    return !m_batch || m_batch->Options().parallel == 1;
}

QTreeWidgetItem* CConverterDlg::BatchRow(int index) const {
    return index >= 0 && index < static_cast<int>(m_batchRows.size()) ? m_batchRows[index]
                                                                      : nullptr;
}

void CConverterDlg::OnJobStarted(int index, const engine::Job& job) {
    QTreeWidgetItem* item = BatchRow(index);
    if (item == nullptr)
        return;
    item->setText(ui::kColumnStatus, QString::fromLatin1(engine::StatusWord(job.state)));
    if (OneAtATime()) {
        // Rows handled earlier in the batch stay selected; the list follows the job.
        item->setSelected(true);
        m_listJobs->scrollToItem(item);
    } else {
        item->setData(ui::kColumnStatus, CJobListCtrl::kProgressRole, 0);
    }
}

void CConverterDlg::OnJobProgress(int index, const engine::Job& job, int batchPercent) {
    if (OneAtATime()) {
        m_progress->setValue(std::clamp(job.progress, m_progress->minimum(), 100));
        return;
    }
    if (QTreeWidgetItem* item = BatchRow(index))
        item->setData(ui::kColumnStatus, CJobListCtrl::kProgressRole, job.progress);
    m_progress->setValue(batchPercent);
}

void CConverterDlg::OnJobEnded(int index, const engine::Job& job, int batchPercent) {
    if (QTreeWidgetItem* item = BatchRow(index)) {
        item->setText(ui::kColumnStatus, QString::fromLatin1(engine::StatusWord(job.state)));
        item->setData(ui::kColumnStatus, CJobListCtrl::kProgressRole, QVariant());
        // Why a job did not complete, where the user looks for it.
        item->setToolTip(ui::kColumnStatus, job.state == engine::JobState::Stop
                                                ? QString()
                                                : QString::fromStdString(job.reason));
    }
    m_progress->setValue(OneAtATime() ? m_progress->minimum() : batchPercent);
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
    m_batchRows.clear();
    const std::string folder = m_batch ? m_batch->Options().folder : std::string();
    const bool ran = m_batch != nullptr;
    m_batch.reset();
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
            TellFailures(summary);
        if (!summary.wasStopped && !m_quitting)
            services_.Shell().Open(folder);
        if (!m_quitting && !m_pendingFiles.isEmpty())
            QMetaObject::invokeMethod(
                this, [this] { OpenPendingFiles(); }, Qt::QueuedConnection);
    }
    emit batchEnded();
}

// The first failure's reason in words, not only in a tooltip, and how many more there are.
void CConverterDlg::TellFailures(const engine::BatchSummary& summary) {
    const int failed = summary.failed + summary.skipped;
    if (failed == 0)
        return;
    QString text = failed == 1 ? QStringLiteral("A job failed.")
                               : QStringLiteral("%1 jobs failed.").arg(failed);
    text += QStringLiteral("\n\n") + QString::fromStdString(summary.firstFailure);
    if (failed > 1)
        text += QStringLiteral(
                    "\n\nThe reasons of the %1 others are in the tooltips of their "
                    "Status.")
                    .arg(failed - 1);
    services_.Tell(this, QStringLiteral("Error"), text, ui::MessageIcon::Exclamation);
}

void CConverterDlg::RestoreAfterBatch() {
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

void CConverterDlg::OnStop() {
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
    // Esc closes an idle window at once; work under way is not thrown away without asking.
    if ((m_batch || m_adding) && !ConfirmQuit())
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
