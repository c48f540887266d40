#include "ui/session_end.h"

#include <QCoreApplication>

#include "ui/converter_dlg.h"

namespace ui {

void StopAtSessionEnd(CConverterDlg& dlg) {
    // Emitted on the window's thread (the one with the event loop), so the call is direct.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &dlg,
                     [&dlg] { dlg.OnStopSignal(); });
}

}  // namespace ui
