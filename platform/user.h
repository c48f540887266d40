// The user this program runs as, and the folder of theirs that lasts as long as the session.
#pragma once

#include <string>

#include "platform/fs.h"

namespace platform {

// Text that tells this user's account apart from every other account on the machine: the user
// id on POSIX ("1000"), the account's security identifier on Windows ("S-1-5-21-...").
std::string UserId();

// A folder that only this user can reach, for what lives as long as the session (sockets, lock
// files): $XDG_RUNTIME_DIR when it names an existing folder; else "vantrel-<UserId()>" in the
// temporary folder, made when missing and used only when it is this user's own folder and closed
// to others (anyone may have created that name first). On Windows, "vantrel-<UserId()>" in the
// user's own temporary folder. "" when there is none, with `status` (when given) saying why.
std::string UserRuntimeFolder(FileStatus* status = nullptr);

}  // namespace platform
