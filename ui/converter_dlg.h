// CConverterDlg: Vantrel's main window. Built from its template: the top bar, the command
// row, the job list, the profile list, the output folder and the progress bar.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/job_list.h"
#include "platform/power.h"

class CIconButton;
class QCloseEvent;
class QComboBox;
class QContextMenuEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPoint;
class QShowEvent;
class QProgressBar;
class QTreeWidget;
class QTimer;
class QTreeWidgetItem;

namespace engine {
class Batch;
struct BatchSummary;
struct Job;
struct ProbeResult;
}  // namespace engine

namespace platform {
class StopSignalWatch;
}

namespace ui {
class DialogBatchEvents;
class DialogProbeEvents;
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
    // A batch or an Add still running is stopped first: its tools ended, its partial outputs
    // deleted, its threads joined.
    ~CConverterDlg() override;

    QLineEdit* m_editOutPath = nullptr;  // 1001, the output folder; read-only for the user
    QProgressBar* m_progress = nullptr;  // 1009
    std::atomic<bool> m_bStop{false};    // asks a running batch to stop
    QComboBox* m_comboFormat = nullptr;  // 1000, 0 "Custom Settings", then the fixed profiles
    QTreeWidget* m_listJobs = nullptr;   // 1003, one row per job
    QLabel* m_details = nullptr;         // under the list: why the selected row failed

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

    // Where the window manager's system menu cannot take the about item, this menu holds it,
    // beside the choice of simultaneous conversions; a right click on the dialog opens it.
    QMenu* SystemMenu() const { return m_systemMenu; }

    // How many conversions a batch runs at once: the stored choice, 1 up to the cores online.
    int SimultaneousConversions() const;

    // The job list the window shows: the engine's, kept in $XDG_STATE_HOME/vantrel/ between
    // runs. The tree widget's rows are a view of its rows, in the same order.
    const engine::JobList& Jobs() const { return m_jobs; }

    // From Convert until the batch has ended and its worker has been joined.
    bool IsConverting() const { return m_batch != nullptr; }
    // While Add probes the files it has listed.
    bool IsAdding() const { return m_adding; }

    // Adds files that come in another way than Add's picker (the command line, another vantrel,
    // a drop) as Add does after its picker: targets, the overwrite question, the probe. Folders
    // give the video files inside them; names that are no files are listed in one message.
    // While a batch or an Add runs, they wait for its end. Names are ui::PathText strings.
    void OpenFiles(const QStringList& paths);

    // How long Add waits for each duration probe, after which the probe gives up and its tool
    // is ended.
    void SetProbeLimit(std::chrono::milliseconds limit) { m_probeLimit = limit; }
    // How long a conversion may go without a word from its tool before it is ended.
    void SetSilenceLimit(std::chrono::milliseconds limit) { m_silenceLimit = limit; }

signals:
    // A batch's worker has ended and been joined.
    void batchEnded();
    // Add's probes have ended and their thread has been joined.
    void addEnded();

public slots:
    void OnSysCommand(int nID);
    void OnAbout();
    void OnSettings();

    // Job-list and conversion commands.
    void OnAdd();
    void OnRemove();
    void OnClear();
    void OnConvert();
    // "Convert again": the selected rows, Complete or not, after the overwrite question.
    void OnConvertAgain();
    // "Show log": the encoder's output of the selected row's last run, in the desktop's viewer.
    void OnShowLog();
    void OnStop();
    void OnOK();
    void OnBrowse();
    void OnOpenFolder();
    void OnSelchangeFormat();
    void OnJobsChosen(int count);
    // SIGTERM, SIGINT or SIGHUP: ends a running batch or Add as the close box does, without
    // the question, then quits.
    void OnStopSignal();

    // Every way the dialog ends (Quit, Esc, the close box) comes here; a running batch is
    // stopped as Stop does and its worker waited for before the dialog ends.
    void done(int result) override;
    // Esc: closes at once when idle; during a batch or an Add it asks first, as the close box.
    void reject() override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Files and folders dropped on the window are added as OpenFiles adds them.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The close box: asks "Do you want to quit?".
    void closeEvent(QCloseEvent* event) override;
    // The window opens with the focus frame showing on the control that has the focus.
    void showEvent(QShowEvent* event) override;

private:
    void BuildFromTemplate();
    void OnInitDialog();
    void SetUpButtons();
    CIconButton* Button(int id) const;
    int StatusColumnWidth() const;

    void AddFiles(const std::vector<std::string>& paths, bool fromPicker);
    void OpenPendingFiles();
    // The tree widget's row `row` shows the job list's row again.
    void ShowRow(int row);
    // The details line: the selected row's status and reason, when one row is selected.
    void ShowDetails();
    void RebuildRows();
    void RestoreQueue();
    void SaveQueueNow();
    // The rows of `only` (all when empty) that the plan lets run, after the overwrite
    // questions; then the batch over them.
    void ConvertRows(const std::vector<int>& only);
    std::vector<int> SelectedRows() const;
    // Probes the rows Add inserted, serving the window meanwhile; returns when all have ended.
    void ProbeAddedRows();
    void ShowAddProgress();
    void SetListCommandsEnabled(bool enabled);
    void SetBatchSettingsEnabled(bool enabled);
    // The output folder a batch writes into, after making sure it can: a missing default
    // folder is created again. "" (with the reason told) when it cannot take results.
    std::string UsableOutputFolder();
    void RestoreAfterBatch();
    bool OneAtATime() const;
    QTreeWidgetItem* BatchRow(int index) const;
    void TellFailures(const std::vector<int>& rows);
    void ShowBatchCount();
    void ShowRunningTimes(int row);
    void AnnounceStatus(int row);
    // Asks a running batch or Add to stop and serves the window until it has ended.
    void StopWorkAndWait();
    bool ConfirmQuit();
    bool WriteSetting(const char* key, const std::string& value, const char* what);
    void BuildJobsMenu();
    void ShowListMenu(const QPoint& globalPos);
    void WatchStopSignals();

    // The engine's events, on the window's thread (see ui/dialog_events.h).
    void OnJobStarted(int index, const engine::Job& job);
    void OnJobProgress(int index, const engine::Job& job, int batchPercent);
    void OnJobEnded(int index, const engine::Job& job, int batchPercent);
    void OnEngineAlert(const std::string& text);
    void OnBatchEnded(const engine::BatchSummary& summary);
    void OnProbeEnded(int index, const engine::ProbeResult& result);
    void OnProbesFinished();

    ui::UiServices& services_;
    QMenu* m_systemMenu = nullptr;

    std::chrono::milliseconds m_probeLimit;
    std::chrono::milliseconds m_silenceLimit;

    engine::JobList m_jobs;
    QTimer* m_saveTimer = nullptr;  // saves the list once the current change is complete
    bool m_saveFailureTold = false;

    // Add: the rows it probes (rows 0 to m_addCount - 1, in the order of the files), and how
    // far it has come.
    bool m_adding = false;
    bool m_closeDeferred = false;  // the window is to close once Add has stopped
    bool m_addCancelled = false;   // Stop or Esc: the rows not probed yet are left out
    int m_addCount = 0;
    std::vector<bool> m_probed;
    int m_probesDone = 0;
    std::string m_addToolFailure;  // why the encoder could not run, the first time it failed
    std::vector<std::string> m_addAlerts;
    std::thread m_probeThread;
    std::atomic<bool> m_probeStop{false};
    std::unique_ptr<ui::DialogProbeEvents> m_probeEvents;

    // The running batch, from Convert until its end has been shown: its worker thread, and the
    // rows of its jobs, in the order of the jobs.
    std::unique_ptr<engine::Batch> m_batch;
    std::unique_ptr<ui::DialogBatchEvents> m_batchEvents;
    std::thread m_worker;
    // Keeps the computer awake from the batch's start to its end.
    std::optional<platform::KeepAwake> m_keepAwake;
    std::vector<int> m_batchRows;  // the list row of each job of the batch
    std::chrono::steady_clock::time_point m_batchStart;
    int m_jobsStarted = 0;
    int m_lastStarted = -1;  // the batch index of the job that started last
    int m_batchPercent = 0;
    bool m_quitting = false;  // the dialog is ending and waits for its threads

    QMenu* m_jobsMenu = nullptr;
    QStringList m_pendingFiles;  // came in while the window was busy
    // Declared last, so destroyed first: no stop request is posted to a dialog being destroyed.
    std::unique_ptr<platform::StopSignalWatch> m_stopWatch;

    friend class ui::DialogBatchEvents;
    friend class ui::DialogProbeEvents;
};
