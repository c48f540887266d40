#include "platform/user.h"

#include "platform/fs.h"
#include "platform/path.h"
#include "platform/user_common.h"

namespace platform {

std::string UserRuntimeFolder(FileStatus* status) {
    if (std::string session = user::SessionFolder(); !session.empty())
        return session;
    const std::string folder = path::Join(user::TemporaryFolder(), "vantrel-" + UserId());
    if (FileStatus own = EnsurePrivateFolder(folder); !own) {
        if (status)
            *status = std::move(own);
        return "";
    }
    return folder;
}

}  // namespace platform
