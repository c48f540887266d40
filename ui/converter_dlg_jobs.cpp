// The job-list commands: Add (pick files, the job list's rules, the overwrite question, each
// file's length), Remove and Clear, and the tree widget's rows as a view of the job list, which
// is saved on every change and read back at start.
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <system_error>
#include <utility>

#include "controls/icon_button.h"
#include "engine/command_line.h"
#include "engine/duration_probe.h"
#include "engine/encoder_tool.h"
#include "engine/job.h"
#include "engine/queue_file.h"
#include "settings/settings_file.h"
#include "ui/converter_dlg.h"
#include "ui/dialog_events.h"
#include "ui/incoming_files.h"
#include "ui/job_columns.h"
#include "ui/job_list_ctrl.h"
#include "ui/overwrite_questions.h"
#include "ui/path_text.h"
#include "ui/picked_path.h"
#include "ui/ui_services.h"
#include "ui/video_file_types.h"

void CConverterDlg::ShowRow(int row) {
    QTreeWidgetItem* item = m_listJobs->topLevelItem(row);
    if (item == nullptr || row >= m_jobs.Count())
        return;
    const engine::Job& job = m_jobs.Row(row);
    item->setText(ui::kColumnName, ui::PathText(job.source));
    // A row that Add still probes shows its Name only.
    const bool probing = m_adding && row < m_addCount && !m_probed[row];
    item->setText(ui::kColumnLength, probing ? QString() : QString::fromStdString(job.length));
    item->setText(ui::kColumnTarget,
                  probing ? QString() : QString::fromLatin1(engine::kTargetFormat));
    const QString status = probing ? QString() : QString::fromLatin1(engine::StatusWord(job.state));
    item->setText(ui::kColumnStatus, status);
    // Why a job did not complete, where a mouse, a keyboard and a screen reader find it.
    const QString reason =
        job.state == engine::JobState::Error || job.state == engine::JobState::Stop
            ? ui::PathText(job.reason)
            : QString();
    item->setToolTip(ui::kColumnStatus, reason);
    item->setData(ui::kColumnStatus, Qt::AccessibleDescriptionRole, reason);
    if (item->isSelected())
        ShowDetails();
}

void CConverterDlg::ShowDetails() {
    const std::vector<int> rows = SelectedRows();
    QString text;
    if (rows.size() == 1 && rows[0] < m_jobs.Count()) {
        const engine::Job& job = m_jobs.Row(rows[0]);
        if (!job.reason.empty() &&
            (job.state == engine::JobState::Error || job.state == engine::JobState::Stop))
            text = QString::fromLatin1(engine::StatusWord(job.state)) + QStringLiteral(": ") +
                   ui::PathText(job.reason);
    }
    m_details->setText(text);
    m_details->setToolTip(text);
}

void CConverterDlg::RebuildRows() {
    m_listJobs->clear();
    for (int row = 0; row < m_jobs.Count(); ++row) {
        m_listJobs->addTopLevelItem(new QTreeWidgetItem);
        ShowRow(row);
    }
}

// The list of the last session, if there was one; rows that were converting come back as
// "Stop". A file that cannot be used is set aside and said so once the window is up.
void CConverterDlg::RestoreQueue() {
    engine::QueueLoad load = engine::LoadQueue(settings::QueueFilePath());
    m_jobs.Assign(std::move(load.rows));
    RebuildRows();
    SetListCommandsEnabled(m_jobs.Count() > 0);
    if (!load.message.empty()) {
        QTimer::singleShot(0, this, [this, message = ui::PathText(load.message)] {
            services_.Tell(this, QStringLiteral("Warning"), message, ui::MessageIcon::Exclamation);
        });
    }
}

void CConverterDlg::SaveQueueNow() {
    m_saveTimer->stop();
    const std::string error = engine::SaveQueue(settings::QueueFilePath(), m_jobs.Rows());
    if (error.empty() || m_saveFailureTold)
        return;
    m_saveFailureTold = true;
    services_.Tell(this, QStringLiteral("Error"),
                   QStringLiteral("The job list could not be saved; it will be lost when "
                                  "Vantrel ends.\n\n") +
                       ui::PathText(error),
                   ui::MessageIcon::Exclamation);
}

std::vector<int> CConverterDlg::SelectedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < m_listJobs->topLevelItemCount(); ++row) {
        if (m_listJobs->topLevelItem(row)->isSelected())
            rows.push_back(row);
    }
    return rows;
}

void CConverterDlg::OnAdd() {
    if (m_adding || m_batch)
        return;
    m_bStop = false;
    const QStringList picked = services_.PickFiles(this, ui::VideoFileTypes());
    std::vector<std::string> paths;
    for (const QString& path : picked) paths.push_back(ui::PickedPathBytes(path));
    if (!paths.empty())
        AddFiles(paths, true);
}

void CConverterDlg::OpenFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    if (m_adding || m_batch || m_quitting) {
        m_pendingFiles << paths;
        return;
    }
    const ui::IncomingFiles incoming = ui::CollectIncomingFiles(paths);
    if (!incoming.notFiles.isEmpty()) {
        services_.TellList(this, QStringLiteral("Warning"),
                           QStringLiteral("These are not files and are not added (%1):")
                               .arg(incoming.notFiles.size()),
                           incoming.notFiles, ui::MessageIcon::Exclamation);
    }
    if (incoming.unreadableFolders > 0) {
        const QString what = incoming.unreadableFolders == 1
                                 ? QStringLiteral("1 folder")
                                 : QStringLiteral("%1 folders").arg(incoming.unreadableFolders);
        services_.Tell(this, QStringLiteral("Warning"),
                       what + QStringLiteral(" could not be read; the videos in them are not "
                                             "added."),
                       ui::MessageIcon::Exclamation);
    }
    std::vector<std::string> files;
    for (const QString& file : incoming.files) files.push_back(ui::PathBytes(file));
    if (!files.empty())
        AddFiles(files, false);
}

// Files that came in while the window was busy are added once it is free again.
void CConverterDlg::OpenPendingFiles() {
    const QStringList pending = std::exchange(m_pendingFiles, {});
    OpenFiles(pending);
}

// The job list's rules decide, over the rows listed and the new files after them: a file
// already listed is left out and counted, one whose target another row writes is refused
// naming both, and an existing target is asked about. New rows go on top, in the order given.
void CConverterDlg::AddFiles(const std::vector<std::string>& paths, bool fromPicker) {
    engine::PlanOptions options;
    options.folder = ui::PathBytes(m_editOutPath->text());
    options.existing = engine::ExistingTargets::Ask;
    std::vector<engine::Job> candidates = m_jobs.Rows();
    const std::size_t listed = candidates.size();
    for (const std::string& path : paths) {
        engine::Job job;
        job.source = path;
        candidates.push_back(std::move(job));
    }
    const engine::Plan plan = engine::PlanJobs(candidates, options);
    ui::OverwriteQuestions questions(
        services_, this,
        static_cast<int>(std::count_if(
            plan.rows.begin() + static_cast<std::ptrdiff_t>(listed), plan.rows.end(),
            [](const engine::PlanEntry& entry) { return entry.verdict == engine::Verdict::Ask; })));

    m_adding = true;
    std::vector<engine::Job> added;
    int alreadyListed = 0;
    for (std::size_t i = listed; i < candidates.size(); ++i) {
        // The window is closing (the close box, a signal): no more questions.
        if (m_closeDeferred)
            break;
        const engine::PlanEntry& entry = plan.rows[i];
        engine::Job job = candidates[i];
        job.target = entry.target;
        const QString name = ui::PathText(job.source);
        if (entry.verdict == engine::Verdict::Listed) {
            ++alreadyListed;
            continue;
        }
        if (entry.verdict == engine::Verdict::Skip) {
            services_.Tell(
                this, QStringLiteral("Warning"),
                QStringLiteral("%1 is not added: %2.").arg(name, ui::PathText(entry.reason)),
                ui::MessageIcon::Exclamation);
            continue;
        }
        if (entry.verdict == engine::Verdict::Ask) {
            if (!questions.MayReplace(entry.target))
                continue;
            job.replaceStamp = engine::FileStamp(entry.target);
        }
        added.push_back(std::move(job));
    }

    m_addCount = static_cast<int>(added.size());
    m_probed.assign(added.size(), false);
    m_addCancelled = false;
    if (!added.empty()) {
        m_jobs.Insert(0, std::move(added));
        for (int row = 0; row < m_addCount; ++row) {
            auto* item = new QTreeWidgetItem;
            item->setText(ui::kColumnNo, QString::number(row));
            m_listJobs->insertTopLevelItem(row, item);
            ShowRow(row);
        }
    }
    if (!m_closeDeferred)
        ProbeAddedRows();
    // Stop or Esc during the probes: the rows not probed yet go again.
    if (m_addCancelled) {
        std::vector<int> unprobed;
        for (int row = m_addCount - 1; row >= 0; --row) {
            if (!m_probed[row]) {
                unprobed.push_back(row);
                delete m_listJobs->takeTopLevelItem(row);
            }
        }
        m_jobs.Remove(unprobed);
    }
    m_adding = false;
    for (int row = 0; row < m_addCount && row < m_jobs.Count(); ++row) ShowRow(row);
    m_addCount = 0;

    if (m_closeDeferred) {
        m_closeDeferred = false;
        done(QDialog::Rejected);
        return;
    }

    // Never a file left out without a word.
    if (alreadyListed > 0) {
        services_.Tell(
            this, QStringLiteral("Warning"),
            alreadyListed == 1
                ? QStringLiteral("1 file was already in the list and is not added again.")
                : QStringLiteral("%1 files were already in the list and are not added "
                                 "again.")
                      .arg(alreadyListed),
            ui::MessageIcon::Information);
    }
    // Without a working encoder every Length is empty and every conversion would fail: say so
    // once instead of leaving the user to guess.
    for (const std::string& alert : m_addAlerts) {
        services_.Tell(this, QStringLiteral("Error"), QString::fromStdString(alert),
                       ui::MessageIcon::None);
    }
    if (!m_addToolFailure.empty()) {
        services_.Tell(this, QStringLiteral("Error"),
                       QStringLiteral("The encoder could not examine the files.\n\n") +
                           ui::PathText(m_addToolFailure),
                       ui::MessageIcon::Exclamation);
    }

    // After a pick the list commands are there even when every file was declined.
    SetListCommandsEnabled(m_jobs.Count() > 0 || fromPicker);
    m_btnStop->setEnabled(false);
    if (!m_pendingFiles.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { OpenPendingFiles(); }, Qt::QueuedConnection);
}

// The probes run on a thread of their own, as many at once as conversions would. The window
// goes on painting and answers Stop, Esc, the close box and Quit; its other commands wait until
// Add has finished.
void CConverterDlg::ProbeAddedRows() {
    m_probesDone = 0;
    m_addToolFailure.clear();
    m_addAlerts.clear();
    if (m_addCount == 0)
        return;

    std::vector<std::string> files;
    for (int row = 0; row < m_addCount; ++row) files.push_back(m_jobs.Row(row).source);
    const engine::ProbeOptions options{services_.ToolFolder(), m_probeLimit};
    const int parallel = SimultaneousConversions();

    SetListCommandsEnabled(false);
    m_btnAdd->setEnabled(false);
    m_btnStop->setEnabled(true);
    SetBatchSettingsEnabled(false);
    ShowAddProgress();

    m_probeStop = false;
    m_probeEvents = std::make_unique<ui::DialogProbeEvents>(*this);
    try {
        m_probeThread = std::thread([this, files, options, parallel] {
            engine::ProbeFiles(files, parallel, options, m_probeStop, *m_probeEvents);
            m_probeEvents->Finished();
        });
        QEventLoop loop;
        connect(this, &CConverterDlg::addEnded, &loop, &QEventLoop::quit);
        loop.exec();
    } catch (const std::system_error& e) {
        // No thread for the probes: the rows stay, without a Length.
        m_addAlerts.push_back(std::string("The files could not be examined: ") + e.what());
        OnProbesFinished();
    }

    m_progress->setTextVisible(false);
    m_progress->reset();
    m_btnAdd->setEnabled(true);
    m_btnStop->setEnabled(false);
    SetBatchSettingsEnabled(true);
}

void CConverterDlg::ShowAddProgress() {
    m_progress->setRange(0, m_addCount);
    m_progress->setValue(m_probesDone);
    m_progress->setFormat(QStringLiteral("Adding %1 of %2").arg(m_probesDone).arg(m_addCount));
    m_progress->setTextVisible(true);
}

void CConverterDlg::OnProbeEnded(int index, const engine::ProbeResult& result) {
    if (index < 0 || index >= m_addCount)
        return;
    // A probe that Stop cut short has not probed its file.
    if (m_addCancelled && result.length.empty())
        return;
    m_probed[index] = true;
    m_jobs.SetLength(index, result.length);
    ShowRow(index);
    if (m_addToolFailure.empty())
        m_addToolFailure = result.toolFailure;
    if (!result.alert.empty() &&
        std::find(m_addAlerts.begin(), m_addAlerts.end(), result.alert) == m_addAlerts.end())
        m_addAlerts.push_back(result.alert);
    ++m_probesDone;
    ShowAddProgress();
}

void CConverterDlg::OnProbesFinished() {
    if (m_probeThread.joinable())
        m_probeThread.join();
    emit addEnded();
}

void CConverterDlg::OnRemove() {
    const int count = m_listJobs->topLevelItemCount();
    if (count == 0)
        return;
    // From the bottom up; the row that moves into a deleted row's place becomes selected.
    std::vector<int> removed;
    for (int row = count - 1; row >= 0; --row) {
        if (!m_listJobs->topLevelItem(row)->isSelected())
            continue;
        removed.push_back(row);
        delete m_listJobs->takeTopLevelItem(row);
        if (QTreeWidgetItem* next = m_listJobs->topLevelItem(row))
            next->setSelected(true);
    }
    if (!removed.empty())
        m_jobs.Remove(removed);
    m_listJobs->setFocus();
    if (m_listJobs->topLevelItemCount() == 0) {
        SetListCommandsEnabled(false);
        m_btnStop->setEnabled(false);
        m_btnAdd->setEnabled(true);
    }
}

void CConverterDlg::OnClear() {
    m_listJobs->clear();
    m_jobs.Clear();
    SetListCommandsEnabled(false);
    m_btnStop->setEnabled(false);
}

// Convert, Clear and Remove, in that order.
void CConverterDlg::SetListCommandsEnabled(bool enabled) {
    m_btnConvert->setEnabled(enabled);
    m_btnClear->setEnabled(enabled);
    m_btnRemove->setEnabled(enabled);
}
