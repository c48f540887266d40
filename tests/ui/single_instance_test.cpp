// One window per session: a later `vantrel FILE...` (the real program, as a file manager's Open
// With starts it) hands its files to the running window and exits, also when a crashed window
// left its socket behind; the notification when a batch ends behind the user's back.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QSysInfo>
#include <QTest>
#include <QTreeWidget>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "batch_folders.h"
#include "child_run.h"
#include "fake_ui_services.h"
#include "qt_printers.h"
#include "support/temp_folder.h"
#include "ui/converter_dlg.h"
#include "ui/job_columns.h"
#include "ui/single_instance.h"
#include "wait_until.h"
#include "window_states.h"

namespace {

using testing_support::ColumnTexts;
using testing_support::WaitUntil;

// A socket file that nobody listens on, as a window that crashed leaves it.
void LeaveStaleSocket(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

TEST(SingleInstanceTest, ALaterVantrelHandsItsFilesToTheRunningWindowEvenAfterACrash) {
    testing_support::BatchFolders folders;
    testing_support::FakeUiServices services;
    services.toolFolder = folders.Tool();
    CConverterDlg dlg(nullptr, &services);
    const std::string runtime = folders.Path("runtime");
    std::filesystem::create_directories(runtime + "/vantrel");
    LeaveStaleSocket(runtime + "/vantrel/instance");
    // ... and its lock, naming a process that has ended.
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    testing_support::WriteFile(
        runtime + "/vantrel/instance.lock",
        std::to_string(gone) + "\nvantrel\n" + QSysInfo::machineHostName().toStdString() + "\n");

    ui::SingleInstance instance(QString::fromStdString(runtime + "/vantrel"));
    ASSERT_EQ(instance.Claim({}), ui::SingleInstance::Role::Primary);
    std::vector<QStringList> received;
    QObject::connect(&instance, &ui::SingleInstance::filesReceived, &dlg,
                     [&](const QStringList& files) {
                         received.push_back(files);
                         dlg.OpenFiles(files);
                     });

    testing_support::Environment env;
    env.Set("XDG_RUNTIME_DIR", runtime).Set("QT_QPA_PLATFORM", "offscreen");
    const std::string clip = folders.Source("clip.avi");
    // Runs vantrel while this window serves its socket.
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), VANTREL_BIN_DIR "/vantrel");
        std::atomic<bool> ended{false};
        testing_support::ChildResult result;
        std::thread child([&] {
            result =
                testing_support::RunChild(args, env, std::chrono::seconds(20), folders.Path("in"));
            ended = true;
        });
        WaitUntil([&] { return ended.load(); }, 30000);
        child.join();
        return result.exitCode;
    };
    // Relative to the folder it was started in, as a terminal gives it.
    EXPECT_EQ(run({"clip.avi"}), 0);
    ASSERT_TRUE(WaitUntil([&] { return dlg.m_listJobs->topLevelItemCount() == 1; }));
    EXPECT_EQ(ColumnTexts(dlg, ui::kColumnName), QStringList{QString::fromStdString(clip)});

    // Without files it only asks for the window.
    EXPECT_EQ(run({}), 0);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_TRUE(received[1].isEmpty());
}

// Without a session runtime folder, the folder in the temporary folder is used only when it is
// this user's own, not a link, and closed to others (else another user could listen there);
// otherwise there is no one-window service, and the reason is given.
TEST(SingleInstanceTest, AFallBackFolderThatIsNotPrivatelyOursIsNeverUsed) {
    testing_support::TempFolder temp;
    testing_support::ScopedEnv tmp("TMPDIR", temp.Path());
    testing_support::ScopedEnv runtime("XDG_RUNTIME_DIR", "");
    const std::string folder = temp / ("vantrel-" + std::to_string(::getuid()));
    namespace fs = std::filesystem;
    const std::function<bool()> strangers[] = {
        [&] { return ::mkdir(folder.c_str(), 0700) == 0 && ::chmod(folder.c_str(), 0755) == 0; },
        [&] {
            fs::create_directory(temp / "elsewhere");
            fs::create_directory_symlink(temp / "elsewhere", folder);
            return true;
        },
        // Only root can give a folder to another user.
        [&] {
            return ::mkdir(folder.c_str(), 0700) == 0 && ::chown(folder.c_str(), 65534, 65534) == 0;
        },
    };
    for (const auto& make : strangers) {
        if (!make()) {
            fs::remove_all(folder);
            continue;
        }
        ui::SingleInstance instance;
        EXPECT_FALSE(instance.Problem().isEmpty());
        EXPECT_EQ(instance.Claim({}), ui::SingleInstance::Role::Primary);
        EXPECT_FALSE(fs::exists(folder + "/vantrel")) << instance.Problem().toStdString();
        EXPECT_FALSE(fs::exists(temp / "elsewhere/vantrel"));
        fs::remove(folder);
        fs::remove_all(folder);
    }
    // Nothing there: it is made this user's own, and used.
    ui::SingleInstance instance;
    EXPECT_TRUE(instance.Problem().isEmpty()) << instance.Problem().toStdString();
    EXPECT_EQ(instance.Claim({}), ui::SingleInstance::Role::Primary);
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
    EXPECT_TRUE(fs::exists(folder + "/vantrel/instance"));
}

TEST(SingleInstanceTest, ABatchThatEndsBehindTheUsersBackSaysSoInANotification) {
    testing_support::BatchFolders folders;
    testing_support::FakeUiServices services;
    services.toolFolder = folders.Tool();
    CConverterDlg dlg(nullptr, &services);  // never shown, so never the active window
    services.filesToPick = {QString::fromStdString(folders.Source("a.avi")),
                            QString::fromStdString(folders.Source("b.avi", "exit 1\n"))};
    dlg.OnAdd();
    dlg.OnConvert();
    ASSERT_TRUE(WaitUntil([&] { return !dlg.IsConverting(); }));
    ASSERT_EQ(services.notified.size(), 1u);
    EXPECT_EQ(services.notified[0].second, QStringLiteral("1 completed, 1 failed."));
}

}  // namespace
