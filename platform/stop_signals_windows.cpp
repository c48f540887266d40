#include <windows.h>

#include "platform/stop_signals.h"
#include "platform/stop_signals_common.h"

namespace platform {
namespace {

// Runs on a thread the system starts for each event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    stop_signals::NotifyStopWatch();
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The system ends the program once this returns (or after a few seconds): wait here,
        // so that the program stops its work and leaves by itself first.
        ::Sleep(INFINITE);
    }
    return TRUE;  // handled: Ctrl+C and Ctrl+Break no longer end the program at once
}

bool CatchConsoleEvents() {
    static const bool caught = ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE) != 0;
    return caught;
}

}  // namespace

StopSignalWatch::StopSignalWatch(std::function<void()> onStop) {
    stop_signals::SetCallee(this, std::move(onStop));
    active_ = CatchConsoleEvents();
}

StopSignalWatch::~StopSignalWatch() {
    stop_signals::ClearCallee(this);
}

}  // namespace platform
