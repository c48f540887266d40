// Where the one-window service of ui::SingleInstance lives on this system: the lock the running
// window holds, and the name its QLocalServer listens on (a socket file on Linux, a named pipe
// on Windows).
#pragma once

#include <QString>

namespace ui {

struct InstancePlace {
    QString lock;     // the lock file's path
    QString server;   // the name for QLocalServer::listen and QLocalSocket::connectToServer
    QString problem;  // why there is no one-window service, or "" (then lock and server are set)
};

// The place for `folder`, which is created (for its user alone where the system allows).
// Two folders give two different places.
InstancePlace InstancePlaceIn(const QString& folder);

// The place for this user's session: on Linux a folder of its own in the user's runtime folder
// (platform::UserRuntimeFolder); on Windows the lock in %LOCALAPPDATA%\Vantrel and a pipe
// named after that folder (pipe names are seen by every user of the machine).
InstancePlace DefaultInstancePlace();

}  // namespace ui
