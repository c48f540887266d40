#include "ui/dialog_worker_host.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QTreeWidget>
#include <algorithm>

#include "engine/job_row.h"
#include "platform/shell.h"
#include "ui/converter_dlg.h"
#include "ui/gui_caller.h"
#include "ui/ui_services.h"

namespace ui {

DialogWorkerHost::DialogWorkerHost(CConverterDlg& dlg, GuiCaller& caller, UiServices& services,
                                   std::string toolFolder)
    : dlg_(dlg), caller_(caller), services_(services), toolFolder_(std::move(toolFolder)) {}

int DialogWorkerHost::RowCount() {
    int count = 0;
    caller_.Call([&] { count = dlg_.m_listJobs->topLevelItemCount(); });
    return count;
}

std::string DialogWorkerHost::RowPath(int row) {
    std::string path;
    caller_.Call([&] {
        if (QTreeWidgetItem* item = dlg_.m_listJobs->topLevelItem(row))
            path = QFile::encodeName(item->text(engine::kColumnName)).toStdString();
    });
    return path;
}

void DialogWorkerHost::SetRowStatus(int row, const std::string& status) {
    caller_.Call([&] {
        if (QTreeWidgetItem* item = dlg_.m_listJobs->topLevelItem(row))
            item->setText(engine::kColumnStatus, QString::fromStdString(status));
    });
}

void DialogWorkerHost::SelectRow(int row) {
    caller_.Call([&] {
        if (QTreeWidgetItem* item = dlg_.m_listJobs->topLevelItem(row)) {
            item->setSelected(true);
            dlg_.m_listJobs->scrollToItem(item);
        }
    });
}

void DialogWorkerHost::SetProgressRange(int low, int high) {
    caller_.Call([&] { dlg_.m_progress->setRange(low, high); });
}

void DialogWorkerHost::SetProgressPos(int pos) {
    caller_.Call([&] {
        QProgressBar* bar = dlg_.m_progress;
        bar->setValue(std::clamp(pos, bar->minimum(), bar->maximum()));
    });
}

std::string DialogWorkerHost::OutputFolder() {
    std::string folder;
    caller_.Call([&] { folder = QFile::encodeName(dlg_.m_editOutPath->text()).toStdString(); });
    return folder;
}

int DialogWorkerHost::ProfileIndex() {
    int index = -1;
    caller_.Call([&] { index = dlg_.m_comboFormat->currentIndex(); });
    return index;
}

std::atomic<bool>& DialogWorkerHost::StopFlag() {
    return dlg_.m_bStop;
}

void DialogWorkerHost::EnableControls() {
    caller_.Call([&] { dlg_.RestoreAfterBatch(); });
}

void DialogWorkerHost::OpenFolder(const std::string& folder) {
    caller_.Call([&] { services_.Shell().Open(folder); });
}

void DialogWorkerHost::ShowError(const std::string& text) {
    caller_.Call([&] {
        services_.Tell(&dlg_, QStringLiteral("Error"), QString::fromStdString(text),
                       MessageIcon::None);
    });
}

void DialogWorkerHost::JobFinished(int row, const engine::JobReport& report) {
    caller_.Call([&] {
        if (QTreeWidgetItem* item = dlg_.m_listJobs->topLevelItem(row))
            item->setToolTip(engine::kColumnStatus, QString::fromStdString(report.reason));
    });
}

}  // namespace ui
