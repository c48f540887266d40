// Ending with the session. On Linux logout and shut-down send SIGTERM, which the window's
// StopSignalWatch turns into OnStopSignal. Windows sends messages instead (WM_QUERYENDSESSION,
// then WM_ENDSESSION), which Qt turns into QGuiApplication::aboutToQuit, and the process is
// ended as soon as that returns: there is no later turn of the event loop to stop in.
#pragma once

class CConverterDlg;

namespace ui {

// From now on until `dlg` is destroyed, the application's aboutToQuit stops a running batch or
// Add as a stop signal does, and returns only once its tools have ended, their partial outputs
// are deleted and the job list is saved.
void StopAtSessionEnd(CConverterDlg& dlg);

}  // namespace ui
