#include <cerrno>

#include "platform/kernel.h"

namespace platform {

int OpenExitDescriptor(long) {
    return -1;
}

int RenameNoReplace(const char*, const char*) {
    return ENOSYS;
}

int OpenUnnamedFile(const std::string&) {
    return -1;
}

bool NameUnnamedFile(int, const std::string&) {
    return false;
}

std::string ExecutablePath() {
    return {};
}

}  // namespace platform
