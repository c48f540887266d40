// Test helpers: a temporary folder that is removed with everything in it, an environment
// variable set for the life of a scope, and writing a file in one call.
#pragma once

#include <stdlib.h>
#ifdef _WIN32
#include <process.h>
#endif

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace testing_support {

class TempFolder {
public:
    TempFolder() {
#ifdef _WIN32
        // No mkdtemp: the process id and a counter make the name, create_directory claims it.
        static std::atomic<unsigned> serial{0};
        for (;;) {
            const auto folder = std::filesystem::temp_directory_path() /
                                ("vantrel-test-" + std::to_string(::_getpid()) + "-" +
                                 std::to_string(serial.fetch_add(1)));
            if (std::filesystem::create_directory(folder)) {
                path_ = folder.u8string();
                break;
            }
        }
#else
        std::string pattern =
            (std::filesystem::temp_directory_path() / "vantrel-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
#endif
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const {
        return path_;
    }
    std::string operator/(const std::string& name) const {
        return path_ + "/" + name;
    }

private:
    std::string path_;
};

class ScopedEnv {
public:
    ScopedEnv(std::string name, const std::string& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
        Set(value.c_str());
    }
    ~ScopedEnv() { Set(old_ ? old_->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const char* value) {
#ifdef _WIN32
        ::_putenv_s(name_.c_str(), value ? value : "");  // "" removes it
#else
        if (value)
            ::setenv(name_.c_str(), value, 1);
        else
            ::unsetenv(name_.c_str());
#endif
    }

    std::string name_;
    std::optional<std::string> old_;
};

inline void WriteFile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::u8path(path).parent_path());
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out << content;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace testing_support
