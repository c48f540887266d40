// Asking the desktop to "open" a folder, file or web address with its default handler.
#pragma once

#include <string>

namespace platform {

// Results follow the convention of the desktop shell that Vantrel's callers know:
// a value above 32 is success, anything else one of these failure codes.
inline constexpr int kShellOk = 33;
inline constexpr int kShellOutOfResources = 0;
inline constexpr int kShellFileNotFound = 2;
inline constexpr int kShellAccessDenied = 5;
inline constexpr int kShellNoAssociation = 31;

// The seam through which every part of Vantrel opens things. Widgets and dialogs take one,
// so tests hand them a recorder and never start another program's window.
class Shell {
public:
    virtual ~Shell() = default;
    virtual int Open(const std::string& target) = 0;
};

// The desktop's opener (xdg-open on Linux).
Shell& DesktopShell();

}  // namespace platform
