#include <unistd.h>

#include <cstdlib>

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/user.h"

namespace platform {

std::string UserId() {
    return std::to_string(::getuid());
}

std::string UserRuntimeFolder(FileStatus* status) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && path::IsAbsolute(runtime) && FolderExists(runtime))
        return runtime;
    const char* temp = std::getenv("TMPDIR");
    const std::string base = temp && path::IsAbsolute(temp) ? temp : "/tmp";
    const std::string folder = path::Join(base, "vantrel-" + UserId());
    if (FileStatus own = EnsurePrivateFolder(folder); !own) {
        if (status)
            *status = std::move(own);
        return "";
    }
    return folder;
}

}  // namespace platform
