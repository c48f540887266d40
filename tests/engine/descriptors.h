// Looking at this test process's own file descriptors: which are open, and a scoped limit that
// leaves only a few free so that creating pipes fails.
#pragma once

#include <dirent.h>
#include <sys/resource.h>

#include <cstdlib>
#include <set>

namespace testing_support {

// The descriptors open right now (the one used for listing them excluded).
inline std::set<int> OpenDescriptors() {
    std::set<int> fds;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        const int own = ::dirfd(dir);
        while (dirent* entry = ::readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            const int fd = std::atoi(entry->d_name);
            if (fd != own)
                fds.insert(fd);
        }
        ::closedir(dir);
    }
    return fds;
}

// Lowers the soft RLIMIT_NOFILE so that exactly `freeSlots` descriptor numbers are still free;
// restores it when the scope ends.
class ScopedDescriptorLimit {
public:
    explicit ScopedDescriptorLimit(int freeSlots) {
        ::getrlimit(RLIMIT_NOFILE, &old_);
        const std::set<int> open = OpenDescriptors();
        int limit = 0;
        for (int free = 0; free < freeSlots; ++limit) {
            if (open.count(limit) == 0)
                ++free;
        }
        rlimit lowered = old_;
        lowered.rlim_cur = static_cast<rlim_t>(limit);
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~ScopedDescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &old_); }
    ScopedDescriptorLimit(const ScopedDescriptorLimit&) = delete;
    ScopedDescriptorLimit& operator=(const ScopedDescriptorLimit&) = delete;

private:
    rlimit old_{};
};

}  // namespace testing_support
