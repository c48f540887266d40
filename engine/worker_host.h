// What the conversion worker and the duration probe need of the window that runs them. The
// main dialog implements these on its own thread; the command-line front end and the tests
// implement them directly.
#pragma once

#include <atomic>
#include <string>

namespace engine {

// How one job ended, for front ends that explain failures.
struct JobReport {
    std::string status;  // the status word the row now shows
    std::string reason;  // why it did not complete ("" when it did)
    int exitCode = -1;   // the tool's exit status, -1 when it did not exit by itself
};

class WorkerHost {
public:
    virtual ~WorkerHost() = default;

    // The job list.
    virtual int RowCount() = 0;
    virtual std::string RowPath(int row) = 0;
    virtual void SetRowStatus(int row, const std::string& status) = 0;
    // Selects the row (other rows keep their selection) and scrolls it into view.
    virtual void SelectRow(int row) = 0;

    // The progress bar.
    virtual void SetProgressRange(int low, int high) = 0;
    virtual void SetProgressPos(int pos) = 0;

    // The batch's settings, read once when it starts.
    virtual std::string OutputFolder() = 0;
    virtual int ProfileIndex() = 0;

    // m_bStop: set by the Stop command, cleared by whoever honours it.
    virtual std::atomic<bool>& StopFlag() = 0;

    // The batch has ended: re-enable the controls that Convert disabled.
    virtual void EnableControls() = 0;
    // The batch ran to its end: show the output folder.
    virtual void OpenFolder(const std::string& folder) = 0;
    // A failure the user must see (the pipes could not be created).
    virtual void ShowError(const std::string& text) = 0;

    // The folder against which the tool's relative path "DLL/ffmpeg" is resolved.
    virtual std::string ToolFolder() = 0;

    // A job has ended; front ends that explain failures override this.
    virtual void JobFinished(int /*row*/, const JobReport& /*report*/) {}
};

}  // namespace engine
