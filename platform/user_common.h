// The parts of platform/user.h that differ per system; user.cpp builds on them.
#pragma once

#include <string>

namespace platform::user {

// The session's own runtime folder when the system names an existing one, else "".
std::string SessionFolder();

// The temporary folder, without a trailing separator.
std::string TemporaryFolder();

}  // namespace platform::user
