// CConverterDlg: Vantrel's main window. Built from its template: the top bar, the command
// row, the job list, the profile list, the output folder and the progress bar.
#pragma once

#include <QDialog>
#include <QIcon>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

class CIconButton;
class QCloseEvent;
class QComboBox;
class QContextMenuEvent;
class QLineEdit;
class QMenu;
class QProgressBar;
class QTreeWidget;

namespace engine {
class WorkerHost;
}

namespace ui {
class DialogWorkerHost;
class GuiCaller;
class UiServices;
}  // namespace ui

class CConverterDlg : public QDialog {
    Q_OBJECT

public:
    // The about item's command, as the system menu numbers it.
    static constexpr int IDM_ABOUTBOX = 0x0010;

    // `services` answers every question, picker and modal dialog of this window and opens
    // web addresses and folders; nullptr means Qt's own dialogs and the desktop shell.
    explicit CConverterDlg(QWidget* parent = nullptr, ui::UiServices* services = nullptr);
    // A batch still running is stopped first: its tool ended, its partial output deleted, its
    // worker joined.
    ~CConverterDlg() override;

    // Duration text of the latest probe and the file it probed. Each is written by one thread
    // while the other waits for it; the job-list commands hand them over.
    std::string m_strDuration;
    std::string m_strProbeFile;

    QLineEdit* m_editOutPath = nullptr;  // 1001, the output folder; read-only for the user
    QProgressBar* m_progress = nullptr;  // 1009
    std::atomic<bool> m_bStop{false};    // asks a running probe or conversion to stop
    QComboBox* m_comboFormat = nullptr;  // 1000, 0 "Custom Settings", 1 to 6 fixed profiles
    QTreeWidget* m_listJobs = nullptr;   // 1003, one row per job

    CIconButton* m_btnAbout = nullptr;        // 1015
    CIconButton* m_btnWebSite = nullptr;      // 1014, opens the web site itself
    CIconButton* m_btnHelp = nullptr;         // 1011, opens the web site itself
    CIconButton* m_btnQuit = nullptr;         // 1, the default button
    CIconButton* m_btnStop = nullptr;         // 1008
    CIconButton* m_btnRemove = nullptr;       // 1005
    CIconButton* m_btnConvert = nullptr;      // 1007
    CIconButton* m_btnClear = nullptr;        // 1006
    CIconButton* m_btnSettings = nullptr;     // 1023, beside the profile list
    CIconButton* m_btnSettingsTop = nullptr;  // 1024, top bar
    CIconButton* m_btnBrowse = nullptr;       // 1002
    CIconButton* m_btnAdd = nullptr;          // 1004
    CIconButton* m_btnOpen = nullptr;         // 1010
    CIconButton* m_btnLink = nullptr;         // 1016, shows and opens the web site

    QIcon m_hIcon;  // icon 128

    // Where the window manager's system menu cannot take the about item, this menu holds it;
    // a right click on the dialog opens it.
    QMenu* SystemMenu() const { return m_systemMenu; }

    // Whether a row's Name is `path`. Names are compared exactly: on this platform two names
    // that differ in letter case are two files.
    bool IsJobListed(const QString& path) const;

    // From Convert until the worker has ended and been joined.
    bool IsConverting() const { return m_worker.joinable(); }

    // How long Add waits for each duration probe: `first`, then `second` more, after which the
    // probe is made to give up and its tool is ended.
    void SetProbeWaits(std::chrono::milliseconds first, std::chrono::milliseconds second);

signals:
    // A batch's worker has ended and been joined.
    void batchEnded();

public slots:
    void OnSysCommand(int nID);
    void OnAbout();
    void OnSettings();

    // Job-list and conversion commands.
    void OnAdd();
    void OnRemove();
    void OnClear();
    void OnConvert();
    void OnStop();
    void OnOK();
    void OnBrowse();
    void OnOpenFolder();
    void OnSelchangeFormat();

    // Every way the dialog ends (Quit, Esc, the close box) comes here; a running batch is
    // stopped as Stop does and its worker waited for before the dialog ends.
    void done(int result) override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The close box: asks "Do you want to quit?".
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildFromTemplate();
    void OnInitDialog();
    void SetUpButtons();
    CIconButton* Button(int id) const;
    int StatusColumnWidth() const;

    // Inserts and probes one row; why the encoder could not run, or "".
    std::string AddFile(const QString& path, int row);
    // Probes one file into m_strDuration; why the encoder could not run, or "".
    std::string ProbeDuration(const QString& path);
    void SetListCommandsEnabled(bool enabled);
    void SetBatchSettingsEnabled(bool enabled);
    // The dialog's side of the worker's EnableControls: the state after a batch.
    void RestoreAfterBatch();
    void OnWorkerEnded();
    // Asks a running batch to stop and serves its worker's calls until it has ended.
    void StopBatchAndWait();
    bool WriteSetting(const char* key, const std::string& value, const char* what);

    ui::UiServices& services_;
    QMenu* m_systemMenu = nullptr;

    std::chrono::milliseconds m_probeFirst{30000};
    std::chrono::milliseconds m_probeSecond{20000};
    bool m_adding = false;         // Add is waiting for a probe
    bool m_closeDeferred = false;  // the close box was used meanwhile
    bool m_quitting = false;       // the dialog is ending and waits for the worker

    // The running batch. m_batchRunning is the window's view (from Convert to the worker's
    // EnableControls); m_workerFinished is set by the worker thread as its last step.
    std::unique_ptr<ui::GuiCaller> m_caller;
    std::unique_ptr<engine::WorkerHost> m_workerHost;
    std::thread m_worker;
    bool m_batchRunning = false;
    std::atomic<bool> m_workerFinished{false};
    std::string m_workerFailure;  // what ended a worker early; read after it is joined

    friend class ui::DialogWorkerHost;
};
