// The main dialog's side of the duration probe. Add writes the file to probe before the probe
// starts and reads the duration after it has ended, so the probe thread has these fields to
// itself while it runs; it never touches the window.
#pragma once

#include <atomic>
#include <string>

#include "engine/duration_probe.h"

namespace ui {

class DialogProbeHost final : public engine::ProbeHost {
public:
    DialogProbeHost(const std::string& probeFile, std::string& duration, std::atomic<bool>& stop,
                    std::string toolFolder)
        : probeFile_(probeFile),
          duration_(duration),
          stop_(stop),
          toolFolder_(std::move(toolFolder)) {}

    std::string ProbeFile() override { return probeFile_; }
    void SetDuration(const std::string& text) override { duration_ = text; }
    std::atomic<bool>& StopFlag() override { return stop_; }
    std::string ToolFolder() override { return toolFolder_; }

private:
    const std::string& probeFile_;
    std::string& duration_;
    std::atomic<bool>& stop_;
    const std::string toolFolder_;
};

}  // namespace ui
