// The parts of FileLock that are the same on every system; the lock itself is taken and
// dropped in fs_posix.cpp and fs_locks_windows.cpp.
#include <utility>

#include "platform/fs.h"

namespace platform {

FileLock::~FileLock() {
    Release();
}

FileLock::FileLock(FileLock&& other) noexcept
    : handle_(other.handle_), removeOnRelease_(std::move(other.removeOnRelease_)) {
    other.handle_ = kNone;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = other.handle_;
        removeOnRelease_ = std::move(other.removeOnRelease_);
        other.handle_ = kNone;
    }
    return *this;
}

}  // namespace platform
