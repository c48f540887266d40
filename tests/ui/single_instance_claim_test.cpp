// The one-window service on every system (a socket file on Linux, a named pipe on Windows): a
// second claim of the same place hands its files to the first, which listens; a claim of
// another place is a window of its own.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <QStringList>
#include <QSysInfo>
#include <atomic>
#include <thread>

#include "qt_printers.h"
#include "support/temp_folder.h"
#include "ui/single_instance.h"
#include "wait_until.h"

namespace {

TEST(SingleInstanceClaimTest, ASecondClaimHandsItsFilesToTheFirstAndAnotherPlaceIsAWindowOfItsOwn) {
    testing_support::TempFolder temp;
    const QString folder = QString::fromStdString(temp / "one");
    ui::SingleInstance first(folder);
    ASSERT_EQ(first.Claim({}), ui::SingleInstance::Role::Primary);
    ASSERT_TRUE(first.Problem().isEmpty()) << first.Problem().toStdString();
    QStringList received;
    QObject::connect(&first, &ui::SingleInstance::filesReceived,
                     [&](const QStringList& files) { received = files; });

    // The later vantrel waits for the answer; this thread's event loop gives it.
    const QStringList files{QStringLiteral("/a b/\u00e9t\u00e9.avi"), QStringLiteral("/c.mp4")};
    std::atomic<int> role{-1};
    std::thread later([&] {
        ui::SingleInstance second(folder);
        role = static_cast<int>(second.Claim(files));
    });
    EXPECT_TRUE(testing_support::WaitUntil([&] { return role >= 0; }, 30000));
    later.join();
    EXPECT_EQ(role, static_cast<int>(ui::SingleInstance::Role::HandedOver));
    EXPECT_TRUE(testing_support::WaitUntil([&] { return !received.isEmpty(); }));
    EXPECT_EQ(received, files);

    ui::SingleInstance other(QString::fromStdString(temp / "two"));
    EXPECT_EQ(other.Claim({}), ui::SingleInstance::Role::Primary);
    EXPECT_TRUE(other.Problem().isEmpty()) << other.Problem().toStdString();
    EXPECT_NE(other.SocketPath(), first.SocketPath());
}

// A lock file left by a crashed window whose process number is now this process's own.
TEST(SingleInstanceClaimTest, ALockNamingThisVeryProcessIsACrashedWindowsAndIsTakenOver) {
    testing_support::TempFolder temp;
    const QString folder = QString::fromStdString(temp / "one");
    ui::SingleInstance window(folder);
    ASSERT_TRUE(window.Problem().isEmpty());
    testing_support::WriteFile(
        temp / "one/instance.lock",
        QStringLiteral("%1\n%2\n%3\n")
            .arg(QCoreApplication::applicationPid())
            .arg(QCoreApplication::applicationName(), QSysInfo::machineHostName())
            .toStdString());
    EXPECT_EQ(window.Claim({}), ui::SingleInstance::Role::Primary);
    EXPECT_TRUE(window.Problem().isEmpty()) << window.Problem().toStdString();
    QLocalSocket later;
    later.connectToServer(window.SocketPath());
    EXPECT_TRUE(later.waitForConnected(3000)) << "no window listens for later files";
}

}  // namespace
