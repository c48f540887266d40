// Files that another program holds open without sharing them (a virus scanner, an indexer, a
// player): a replacement waits briefly for them, then fails with a clear error and loses
// nothing. Windows only: POSIX has no share modes.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "platform/fs.h"
#include "platform/wide_text.h"
#include "support/temp_folder.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

// Another program's handle on `path`, opened with share mode 0: nobody may open, rename or
// remove the file while it lasts.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path)
        : handle_(::CreateFileW(platform::WidePath(path).c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() { Close(); }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;

    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Close() {
        if (Open())
            ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

enum class Held { Target, Partial };

// Finishing a conversion (the partial file renamed onto the target) and saving the settings
// (ReplaceFileAtomically), while the target or the partial file is held open.
struct Replacement {
    const char* name;
    Held held;
    platform::FileStatus (*replace)(const std::string& part, const std::string& target);
};

platform::FileStatus Rename(const std::string& part, const std::string& target) {
    return platform::RenameFile(part, target, platform::ExistingTarget::Replace);
}

platform::FileStatus Save(const std::string&, const std::string& target) {
    return platform::ReplaceFileAtomically(target, "new");
}

const Replacement kReplacements[] = {
    {"rename onto a held target", Held::Target, Rename},
    {"rename of a held partial file", Held::Partial, Rename},
    {"settings saved over a held file", Held::Target, Save},
};

// A finished partial file ("new") and the target it replaces ("old"), one of them held open.
struct Scene {
    explicit Scene(Held held) {
        WriteFile(part, "new");
        WriteFile(target, "old");
        holder = std::make_unique<HeldOpen>(held == Held::Target ? target : part);
    }
    testing_support::TempFolder temp;
    const std::string part = temp / "clip.flv.part";
    const std::string target = temp / "clip.flv";
    std::unique_ptr<HeldOpen> holder;
};

TEST(BusyFile, AReplacementOfAHeldFileFailsClearlyAndLosesNothing) {
    for (const Replacement& r : kReplacements) {
        SCOPED_TRACE(r.name);
        const Scene scene(r.held);
        ASSERT_TRUE(scene.holder->Open());
        const platform::FileStatus status = r.replace(scene.part, scene.target);
        EXPECT_NE(status.Message().find("another program has the file open"), std::string::npos)
            << status.Message();
        scene.holder->Close();
        EXPECT_EQ(ReadFile(scene.target), "old");
        EXPECT_EQ(ReadFile(scene.part), "new");
        // A failed save leaves no temporary file of its own behind.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scene.temp.Path()),
                                std::filesystem::directory_iterator()),
                  2);
    }
}

TEST(BusyFile, AReplacementSucceedsWhenTheFileIsLetGoOfWhileItWaits) {
    for (const Replacement& r : kReplacements) {
        SCOPED_TRACE(r.name);
        const Scene scene(r.held);
        ASSERT_TRUE(scene.holder->Open());
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            scene.holder->Close();
        });
        const platform::FileStatus status = r.replace(scene.part, scene.target);
        release.join();
        EXPECT_TRUE(status) << status.Message();
        EXPECT_EQ(ReadFile(scene.target), "new");
    }
}

}  // namespace
