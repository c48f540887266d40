// The main dialog's side of the engine's threads: every event of a running batch or of Add's
// probes is handed to the dialog's thread and shown there, in the order it happened. The
// engine never waits for the window; events still on their way when the dialog goes are
// dropped with it.
#pragma once

#include "engine/batch.h"
#include "engine/duration_probe.h"

class CConverterDlg;

namespace ui {

class DialogBatchEvents final : public engine::BatchEvents {
public:
    explicit DialogBatchEvents(CConverterDlg& dlg) : dlg_(dlg) {}

    void JobStarted(int index, const engine::Job& job) override;
    void JobProgress(int index, const engine::Job& job, int batchPercent) override;
    void JobEnded(int index, const engine::Job& job, int batchPercent) override;
    void Alert(const std::string& text) override;
    void BatchEnded(const engine::BatchSummary& summary) override;

private:
    CConverterDlg& dlg_;
};

class DialogProbeEvents final : public engine::ProbeEvents {
public:
    explicit DialogProbeEvents(CConverterDlg& dlg) : dlg_(dlg) {}

    void ProbeEnded(int index, const engine::ProbeResult& result) override;
    // All probes have ended (called by the thread that ran them, last).
    void Finished();

private:
    CConverterDlg& dlg_;
};

}  // namespace ui
