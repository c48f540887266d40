#include <unistd.h>

#include <cstdlib>

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/user.h"
#include "platform/user_common.h"

namespace platform {

std::string UserId() {
    return std::to_string(::getuid());
}

namespace user {

std::string SessionFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && path::IsAbsolute(runtime) && FolderExists(runtime) ? runtime : "";
}

std::string TemporaryFolder() {
    const char* temp = std::getenv("TMPDIR");
    return temp && path::IsAbsolute(temp) ? temp : "/tmp";
}

}  // namespace user
}  // namespace platform
