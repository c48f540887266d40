#include "ui/dialog_events.h"

#include <QMetaObject>

#include "ui/converter_dlg.h"

namespace ui {
namespace {

// Runs `show` on the dialog's thread, after what was posted before it.
template <typename Show>
void Post(CConverterDlg& dlg, Show show) {
    QMetaObject::invokeMethod(&dlg, std::move(show), Qt::QueuedConnection);
}

}  // namespace

void DialogBatchEvents::JobStarted(int index, const engine::Job& job) {
    Post(dlg_, [&dlg = dlg_, index, job] { dlg.OnJobStarted(index, job); });
}

void DialogBatchEvents::JobProgress(int index, const engine::Job& job, int batchPercent) {
    Post(dlg_,
         [&dlg = dlg_, index, job, batchPercent] { dlg.OnJobProgress(index, job, batchPercent); });
}

void DialogBatchEvents::JobEnded(int index, const engine::Job& job, int batchPercent) {
    Post(dlg_,
         [&dlg = dlg_, index, job, batchPercent] { dlg.OnJobEnded(index, job, batchPercent); });
}

void DialogBatchEvents::Alert(const std::string& text) {
    Post(dlg_, [&dlg = dlg_, text] { dlg.OnEngineAlert(text); });
}

void DialogBatchEvents::BatchEnded(const engine::BatchSummary& summary) {
    Post(dlg_, [&dlg = dlg_, summary] { dlg.OnBatchEnded(summary); });
}

void DialogProbeEvents::ProbeEnded(int index, const engine::ProbeResult& result) {
    Post(dlg_, [&dlg = dlg_, index, result] { dlg.OnProbeEnded(index, result); });
}

void DialogProbeEvents::Finished() {
    Post(dlg_, [&dlg = dlg_] { dlg.OnProbesFinished(); });
}

}  // namespace ui
