// Converting and ending: Convert starts the worker with the dialog as its host, Stop asks it to
// stop, and every way of ending the dialog first stops a running batch and waits for it.
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QMetaObject>
#include <QTreeWidget>
#include <exception>

#include "controls/icon_button.h"
#include "engine/convert_worker.h"
#include "ui/converter_dlg.h"
#include "ui/dialog_worker_host.h"
#include "ui/gui_caller.h"
#include "ui/ui_services.h"

namespace {

const QString kWarning = QStringLiteral("Warning");

}  // namespace

void CConverterDlg::OnConvert() {
    if (m_listJobs->topLevelItemCount() == 0 || m_batchRunning)
        return;
    // The previous batch's worker has restored the controls and makes no more calls.
    if (m_worker.joinable())
        m_worker.join();

    SetListCommandsEnabled(false);
    m_btnStop->setEnabled(true);
    m_btnAdd->setEnabled(false);
    m_btnQuit->setEnabled(false);
    SetBatchSettingsEnabled(false);

    // A Stop confirmed after the last batch had already ended must not end this one.
    m_bStop = false;
    m_batchRunning = true;
    m_workerFinished = false;
    m_workerFailure.clear();
    m_workerHost =
        std::make_unique<ui::DialogWorkerHost>(*this, *m_caller, services_, services_.ToolFolder());
    engine::WorkerHost* host = m_workerHost.get();
    m_worker = std::thread([this, host] {
        try {
            engine::ConvertWorkerProc(*host);
        } catch (const std::exception& e) {
            m_workerFailure = e.what();
        } catch (...) {
            m_workerFailure = "unknown failure";
        }
        m_workerFinished = true;
        QMetaObject::invokeMethod(
            this, [this] { OnWorkerEnded(); }, Qt::QueuedConnection);
    });
}

void CConverterDlg::OnWorkerEnded() {
    // A late notice of a worker that Convert has already joined, or of one still running.
    if (!m_workerFinished || !m_worker.joinable())
        return;
    m_worker.join();
    if (m_batchRunning) {
        RestoreAfterBatch();
        if (!m_workerFailure.empty()) {
            services_.Tell(this, QStringLiteral("Error"),
                           QStringLiteral("The conversion ended early: ") +
                               QString::fromStdString(m_workerFailure),
                           ui::MessageIcon::None);
        }
    }
    emit batchEnded();
}

void CConverterDlg::RestoreAfterBatch() {
    m_batchRunning = false;
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
    if (!m_batchRunning)
        return;
    SetBatchSettingsEnabled(true);
    m_bStop = true;
}

void CConverterDlg::OnOK() {
    if (services_.AskYesNo(this, kWarning, QStringLiteral("Do you want to quit?"),
                           ui::MessageIcon::Question)) {
        accept();
    }
}

void CConverterDlg::closeEvent(QCloseEvent* event) {
    if (m_quitting) {
        event->ignore();
        return;
    }
    // Add takes no input while it probes; the close box is answered when it has finished.
    if (m_adding) {
        m_closeDeferred = true;
        event->ignore();
        return;
    }
    if (!services_.AskYesNo(this, kWarning, QStringLiteral("Do you want to quit?"),
                            ui::MessageIcon::Question)) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);  // ends the dialog as Cancel, through done()
}

void CConverterDlg::done(int result) {
    if (m_quitting)
        return;
    m_quitting = true;
    StopBatchAndWait();
    m_quitting = false;
    QDialog::done(result);
}

// The worker ends its tool, deletes the partial output and ends; its calls are served meanwhile,
// and the window keeps painting but takes no input.
void CConverterDlg::StopBatchAndWait() {
    if (!m_worker.joinable())
        return;
    if (m_batchRunning)
        m_bStop = true;
    QEventLoop loop;
    connect(this, &CConverterDlg::batchEnded, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
