#include "ui/open_failure.h"

#include "controls/link_launch.h"
#include "platform/shell.h"

namespace ui {

QString OpenFailureText(int code) {
    switch (code) {
        case platform::kShellFileNotFound:
            return QStringLiteral("The folder does not exist.");
        case platform::kShellAccessDenied:
            return QStringLiteral("Access to the folder was denied.");
        case platform::kShellNoAssociation:
            return QStringLiteral(
                "No program of the desktop could open it: the desktop's opener (xdg-open) is "
                "missing or could not open folders.");
        default:
            return QString::fromStdString(controls::OpenErrorText(code));
    }
}

}  // namespace ui
