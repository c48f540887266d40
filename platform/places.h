// Where Vantrel keeps its files on this system, by the system's own conventions.
#pragma once

#include <string>

namespace platform {

// The folder of vantrel.ini: $XDG_CONFIG_HOME/vantrel (default ~/.config/vantrel); on Windows
// %APPDATA%\Vantrel, or the program's own folder when a portable.ini lies beside it.
std::string SettingsFolder();

// The output folder until the user picks another: ~/ZedovAvizevare; on Windows
// C:\ZedovAvizevare, where the original program put its results.
std::string DefaultOutputFolder();

// The output folder when the stored or default one cannot be made: ~/ZedovAvizevare; on
// Windows the same name in the user's profile folder (C:\ may not be writable).
std::string FallbackOutputFolder();

// The folder for what Vantrel keeps between sessions besides its settings (the queue, logs):
// $XDG_STATE_HOME/vantrel (default ~/.local/state/vantrel); on Windows %LOCALAPPDATA%\Vantrel, or
// the program's own folder when a portable.ini lies beside it.
std::string StateFolder();

}  // namespace platform
