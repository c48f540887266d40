// Calls from a worker thread run on the window's thread while the worker waits; a closed
// caller runs nothing and lets a waiting worker go.
#include "ui/gui_caller.h"

#include <gtest/gtest.h>

#include <QObject>
#include <QTest>
#include <QThread>
#include <atomic>
#include <thread>

#include "wait_until.h"

namespace {

using testing_support::WaitUntil;

TEST(GuiCallerTest, CallOnTheWindowThreadRunsAtOnce) {
    QObject window;
    ui::GuiCaller caller(&window);
    int value = 0;
    EXPECT_TRUE(caller.Call([&] { value = 7; }));
    EXPECT_EQ(value, 7);
}

TEST(GuiCallerTest, CallFromAWorkerRunsOnTheWindowThreadAndWaitsForIt) {
    QObject window;
    ui::GuiCaller caller(&window);
    QThread* ranOn = nullptr;
    int value = 0;
    std::atomic<bool> returned{false};
    bool result = false;
    int seenAfterReturn = -1;
    std::thread worker([&] {
        result = caller.Call([&] {
            ranOn = QThread::currentThread();
            value = 42;
        });
        seenAfterReturn = value;
        returned = true;
    });
    // Nothing runs until the window's thread serves its events.
    QThread::msleep(50);
    EXPECT_FALSE(returned);
    EXPECT_TRUE(WaitUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(ranOn, window.thread());
    EXPECT_EQ(seenAfterReturn, 42);
}

TEST(GuiCallerTest, CallsFromAWorkerRunInTheirOrder) {
    QObject window;
    ui::GuiCaller caller(&window);
    std::vector<int> order;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i) caller.Call([&order, i] { order.push_back(i); });
        done = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return done.load(); }));
    worker.join();
    ASSERT_EQ(order.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(order[i], i);
}

TEST(GuiCallerTest, ClosingReleasesAWaitingWorkerAndRunsNothingLater) {
    QObject window;
    ui::GuiCaller caller(&window);
    bool ran = false;
    std::atomic<bool> returned{false};
    bool result = true;
    std::thread worker([&] {
        result = caller.Call([&] { ran = true; });
        returned = true;
    });
    QThread::msleep(50);  // the call is queued, not served
    caller.Close();
    worker.join();
    EXPECT_TRUE(returned);
    EXPECT_FALSE(result);
    QTest::qWait(20);  // the queued call is delivered now, and must do nothing
    EXPECT_FALSE(ran);
}

TEST(GuiCallerTest, CallsAfterClosingReturnAtOnceWithoutRunning) {
    QObject window;
    ui::GuiCaller caller(&window);
    caller.Close();
    bool ran = false;
    EXPECT_FALSE(caller.Call([&] { ran = true; }));
    bool fromWorker = true;
    std::thread worker([&] { fromWorker = caller.Call([&] { ran = true; }); });
    worker.join();
    EXPECT_FALSE(fromWorker);
    QTest::qWait(20);
    EXPECT_FALSE(ran);
}

TEST(GuiCallerTest, CallerMayGoBeforeItsQueuedCallIsDelivered) {
    QObject window;
    bool ran = false;
    {
        ui::GuiCaller caller(&window);
        std::thread worker([&] { caller.Call([&] { ran = true; }); });
        QThread::msleep(50);
        caller.Close();
        worker.join();
    }
    QTest::qWait(20);
    EXPECT_FALSE(ran);
}

}  // namespace
