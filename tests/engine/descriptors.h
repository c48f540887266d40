// Looking at this test process's own file descriptors: which are open, and a scoped limit that
// leaves only a few free so that creating pipes fails.
#pragma once

#include <dirent.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <cstdlib>
#include <set>

namespace testing_support {

// The descriptors open right now (the one used for listing them excluded).
// Windows numbers no handles this way: there the set is empty and the check says nothing.
inline std::set<int> OpenDescriptors() {
    std::set<int> fds;
#ifndef _WIN32
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
#endif
    return fds;
}

// Lowers the soft RLIMIT_NOFILE so that exactly `freeSlots` descriptor numbers are still free;
// restores it when the scope ends.
class ScopedDescriptorLimit {
public:
#ifdef _WIN32
    // Windows has no limit to lower: tests that need one skip there (kCanLimitDescriptors).
    explicit ScopedDescriptorLimit(int) {}
};
inline constexpr bool kCanLimitDescriptors = false;
#else
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
    ~ScopedDescriptorLimit() {
        ::setrlimit(RLIMIT_NOFILE, &old_);
    }
    ScopedDescriptorLimit(const ScopedDescriptorLimit&) = delete;
    ScopedDescriptorLimit& operator=(const ScopedDescriptorLimit&) = delete;

private:
    rlimit old_{};
};
inline constexpr bool kCanLimitDescriptors = true;
#endif

}  // namespace testing_support
