// The job-list commands: Add (pick files, ask before overwriting, probe each file's length),
// Remove and Clear.
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTreeWidget>

#include "controls/icon_button.h"
#include "engine/command_line.h"
#include "engine/duration_probe.h"
#include "engine/encoder_tool.h"
#include "engine/job_row.h"
#include "platform/fs.h"
#include "ui/converter_dlg.h"
#include "ui/dialog_probe_host.h"
#include "ui/ui_services.h"
#include "ui/video_file_types.h"

namespace {

std::string Encoded(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

bool CConverterDlg::IsJobListed(const QString& path) const {
    for (int row = 0; row < m_listJobs->topLevelItemCount(); ++row) {
        if (m_listJobs->topLevelItem(row)->text(engine::kColumnName) == path)
            return true;
    }
    return false;
}

void CConverterDlg::SetProbeWaits(std::chrono::milliseconds first,
                                  std::chrono::milliseconds second) {
    m_probeFirst = first;
    m_probeSecond = second;
}

void CConverterDlg::OnAdd() {
    if (m_adding)
        return;
    m_bStop = false;
    const std::string folder = Encoded(m_editOutPath->text());

    const QStringList paths = services_.PickFiles(this, ui::VideoFileTypes());
    if (paths.isEmpty())
        return;

    m_adding = true;
    int n = 0;
    std::string toolFailure;
    for (const QString& path : paths) {
        const std::string target = engine::OutputPathOf(Encoded(path), folder);
        // A file already listed ends the command: it and the files after it are left out.
        if (IsJobListed(path))
            break;
        if (platform::PathExists(target) &&
            !services_.AskYesNo(this, QStringLiteral("Warning"),
                                QStringLiteral("Are you want to overtwrite  ") +
                                    QFile::decodeName(target.c_str()) + QStringLiteral("!"),
                                ui::MessageIcon::Exclamation)) {
            continue;
        }
        const std::string failure = AddFile(path, n);
        if (toolFailure.empty())
            toolFailure = failure;
        ++n;
    }
    m_adding = false;

    // Without a working encoder every Length is empty and every conversion would fail: say so
    // once instead of leaving the user to guess.
    if (!toolFailure.empty()) {
        services_.Tell(this, QStringLiteral("Error"),
                       QStringLiteral("The encoder could not examine the files.\n\n") +
                           QString::fromStdString(toolFailure),
                       ui::MessageIcon::Exclamation);
    }

    // Also after a file that was already listed, so that rows added before it can be used.
    SetListCommandsEnabled(true);
    m_btnStop->setEnabled(false);

    if (m_closeDeferred) {
        m_closeDeferred = false;
        close();
    }
}

// New rows go on top, in the order picked: the n-th file of this Add at row n.
std::string CConverterDlg::AddFile(const QString& path, int row) {
    auto* item = new QTreeWidgetItem;
    item->setText(engine::kColumnNumber, QString::number(row));
    item->setText(engine::kColumnName, path);
    m_listJobs->insertTopLevelItem(row, item);

    const std::string toolFailure = ProbeDuration(path);

    item->setText(engine::kColumnLength, QString::fromStdString(m_strDuration));
    item->setText(engine::kColumnTarget, QString::fromLatin1(engine::kTargetFormat));
    item->setText(engine::kColumnStatus, QString::fromLatin1(engine::kStatusReady));
    return toolFailure;
}

// The window keeps painting while the probe runs but takes no input: clicks and keys wait
// until Add has finished.
std::string CConverterDlg::ProbeDuration(const QString& path) {
    m_strDuration.clear();
    m_strProbeFile = Encoded(path);
    ui::DialogProbeHost host(m_strProbeFile, m_strDuration, m_bStop, services_.ToolFolder());

    engine::ProbeWait wait;
    wait.first = m_probeFirst;
    wait.second = m_probeSecond;
    wait.whileWaiting = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    const engine::ProbeOutcome outcome = engine::RunDurationProbe(host, wait);
    if (!outcome.startFailure.empty()) {
        services_.Tell(this, QStringLiteral("Error"), QString::fromStdString(outcome.startFailure),
                       ui::MessageIcon::None);
    }
    return outcome.toolFailure;
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
