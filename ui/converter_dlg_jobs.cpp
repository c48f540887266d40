// The job-list commands: Add (pick files, refuse a second row for one target, ask before
// overwriting, probe each file's length), Remove and Clear.
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QSet>
#include <QTreeWidget>
#include <algorithm>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "controls/icon_button.h"
#include "engine/command_line.h"
#include "engine/duration_probe.h"
#include "engine/encoder_tool.h"
#include "engine/job.h"
#include "platform/fs.h"
#include "ui/converter_dlg.h"
#include "ui/dialog_events.h"
#include "ui/incoming_files.h"
#include "ui/job_columns.h"
#include "ui/job_list_ctrl.h"
#include "ui/ui_services.h"
#include "ui/video_file_types.h"

namespace {

std::string Encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString Decoded(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

bool CConverterDlg::IsJobListed(const QString& path) const {
    for (int row = 0; row < m_listJobs->topLevelItemCount(); ++row) {
        if (m_listJobs->topLevelItem(row)->text(ui::kColumnName) == path)
            return true;
    }
    return false;
}

void CConverterDlg::OnAdd() {
    if (m_adding || m_batch)
        return;
    m_bStop = false;
    const QStringList paths = services_.PickFiles(this, ui::VideoFileTypes());
    if (paths.isEmpty())
        return;
    AddFiles(paths, ListedFile::EndsTheAdd);
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
    if (!incoming.files.isEmpty())
        AddFiles(incoming.files, ListedFile::IsSkipped);
}

// Files that came in while the window was busy are added once it is free again.
void CConverterDlg::OpenPendingFiles() {
    const QStringList pending = std::exchange(m_pendingFiles, {});
    OpenFiles(pending);
}

void CConverterDlg::AddFiles(const QStringList& paths, ListedFile listed) {
    const std::string folder = Encoded(m_editOutPath->text());

    // The names listed, and whose target each listed row is, so that no two rows ever write
    // one file; both grow with the rows this Add inserts.
    QSet<QString> names;
    std::unordered_map<std::string, QString> targetOwners;
    for (int row = 0; row < m_listJobs->topLevelItemCount(); ++row) {
        const QString name = m_listJobs->topLevelItem(row)->text(ui::kColumnName);
        names.insert(name);
        targetOwners.emplace(engine::OutputPathOf(Encoded(name), folder), name);
    }

    m_adding = true;
    m_addRows.clear();
    int n = 0;
    for (const QString& path : paths) {
        // The window is closing (the close box, a signal): no more questions.
        if (m_closeDeferred)
            break;
        const std::string target = engine::OutputPathOf(Encoded(path), folder);
        // Add's picker ends at a file already listed, leaving it and the files after it out;
        // files that come in otherwise only skip it.
        if (names.contains(path)) {
            if (listed == ListedFile::EndsTheAdd)
                break;
            continue;
        }
        if (const auto owner = targetOwners.find(target); owner != targetOwners.end()) {
            services_.Tell(this, QStringLiteral("Warning"),
                           QStringLiteral("%1 is not added: its result %2 would replace that of "
                                          "%3, which is already listed.")
                               .arg(path, Decoded(target), owner->second),
                           ui::MessageIcon::Exclamation);
            continue;
        }
        if (platform::PathExists(target) &&
            !services_.AskYesNo(this, QStringLiteral("Warning"),
                                QStringLiteral("Are you want to overtwrite  ") + Decoded(target) +
                                    QStringLiteral("!"),
                                ui::MessageIcon::Exclamation)) {
            continue;
        }
        names.insert(path);
        targetOwners.emplace(target, path);
        QTreeWidgetItem* item = InsertRow(path, n++);
        item->setData(ui::kColumnName, CJobListCtrl::kConfirmedTargetRole, Decoded(target));
        m_addRows.push_back(item);
    }
    if (!m_closeDeferred)
        ProbeAddedRows();
    m_adding = false;

    if (m_closeDeferred) {
        m_closeDeferred = false;
        done(QDialog::Rejected);
        return;
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
                           QString::fromStdString(m_addToolFailure),
                       ui::MessageIcon::Exclamation);
    }

    // Also after a file that was already listed, so that rows added before it can be used.
    SetListCommandsEnabled(m_listJobs->topLevelItemCount() > 0 || listed == ListedFile::EndsTheAdd);
    m_btnStop->setEnabled(false);
    if (!m_pendingFiles.isEmpty())
        QMetaObject::invokeMethod(
            this, [this] { OpenPendingFiles(); }, Qt::QueuedConnection);
}

// New rows go on top, in the order picked: the n-th file of this Add at row n.
QTreeWidgetItem* CConverterDlg::InsertRow(const QString& path, int row) {
    auto* item = new QTreeWidgetItem;
    item->setText(ui::kColumnNo, QString::number(row));
    item->setText(ui::kColumnName, path);
    m_listJobs->insertTopLevelItem(row, item);
    return item;
}

// The probes run on a thread of their own, as many at once as conversions would. The window
// goes on painting and answers the close box and Quit; its other commands wait until Add has
// finished.
void CConverterDlg::ProbeAddedRows() {
    m_probesDone = 0;
    m_addToolFailure.clear();
    m_addAlerts.clear();
    if (m_addRows.empty())
        return;

    std::vector<std::string> files;
    for (QTreeWidgetItem* item : m_addRows) files.push_back(Encoded(item->text(ui::kColumnName)));
    const engine::ProbeOptions options{services_.ToolFolder(), m_probeLimit};
    const int parallel = SimultaneousConversions();

    SetListCommandsEnabled(false);
    m_btnAdd->setEnabled(false);
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
    SetBatchSettingsEnabled(true);
}

void CConverterDlg::ShowAddProgress() {
    const int total = static_cast<int>(m_addRows.size());
    m_progress->setRange(0, total);
    m_progress->setValue(m_probesDone);
    m_progress->setFormat(QStringLiteral("Adding %1 of %2").arg(m_probesDone).arg(total));
    m_progress->setTextVisible(true);
}

void CConverterDlg::OnProbeEnded(int index, const engine::ProbeResult& result) {
    if (index < 0 || index >= static_cast<int>(m_addRows.size()))
        return;
    QTreeWidgetItem* item = m_addRows[index];
    item->setText(ui::kColumnLength, QString::fromStdString(result.length));
    item->setText(ui::kColumnTarget, QString::fromLatin1(engine::kTargetFormat));
    item->setText(ui::kColumnStatus, QString::fromLatin1(engine::kStatusReady));
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
    // Rows whose probe never ran (Add was stopped) still become usable jobs.
    for (QTreeWidgetItem* item : m_addRows) {
        if (item->text(ui::kColumnStatus).isEmpty()) {
            item->setText(ui::kColumnTarget, QString::fromLatin1(engine::kTargetFormat));
            item->setText(ui::kColumnStatus, QString::fromLatin1(engine::kStatusReady));
        }
    }
    emit addEnded();
}

void CConverterDlg::OnRemove() {
    const int count = m_listJobs->topLevelItemCount();
    if (count == 0)
        return;
    // From the bottom up; the row that moves into a deleted row's place becomes selected.
    for (int row = count - 1; row >= 0; --row) {
        if (!m_listJobs->topLevelItem(row)->isSelected())
            continue;
        delete m_listJobs->takeTopLevelItem(row);
        if (QTreeWidgetItem* next = m_listJobs->topLevelItem(row))
            next->setSelected(true);
    }
    m_listJobs->setFocus();
    if (m_listJobs->topLevelItemCount() == 0) {
        SetListCommandsEnabled(false);
        m_btnStop->setEnabled(false);
        m_btnAdd->setEnabled(true);
    }
}

void CConverterDlg::OnClear() {
    m_listJobs->clear();
    SetListCommandsEnabled(false);
    m_btnStop->setEnabled(false);
}

// Convert, Clear and Remove, in that order.
void CConverterDlg::SetListCommandsEnabled(bool enabled) {
    m_btnConvert->setEnabled(enabled);
    m_btnClear->setEnabled(enabled);
    m_btnRemove->setEnabled(enabled);
}
