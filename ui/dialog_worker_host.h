// The main dialog's side of the conversion worker: every call of the worker runs on the
// window's thread while the worker waits, as the window messages of a worker thread would.
// Once the dialog closes its caller, the calls do nothing and report an empty list, so a worker
// that is being stopped never touches a window that is going away.
#pragma once

#include <atomic>
#include <string>

#include "engine/worker_host.h"

class CConverterDlg;

namespace ui {

class GuiCaller;
class UiServices;

class DialogWorkerHost final : public engine::WorkerHost {
public:
    DialogWorkerHost(CConverterDlg& dlg, GuiCaller& caller, UiServices& services,
                     std::string toolFolder);

    int RowCount() override;
    std::string RowPath(int row) override;
    void SetRowStatus(int row, const std::string& status) override;
    void SelectRow(int row) override;
    void SetProgressRange(int low, int high) override;
    // Out-of-range values show as a full or an empty bar.
    void SetProgressPos(int pos) override;
    std::string OutputFolder() override;
    int ProfileIndex() override;
    std::atomic<bool>& StopFlag() override;
    void EnableControls() override;
    void OpenFolder(const std::string& folder) override;
    void ShowError(const std::string& text) override;
    // Why a job did not complete, as the tooltip of its status.
    void JobFinished(int row, const engine::JobReport& report) override;
    std::string ToolFolder() override { return toolFolder_; }

private:
    CConverterDlg& dlg_;
    GuiCaller& caller_;
    UiServices& services_;
    const std::string toolFolder_;
};

}  // namespace ui
