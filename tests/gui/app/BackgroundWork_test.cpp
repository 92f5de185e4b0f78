// Work on a thread of its own: the result comes on the window's thread, a stopped work's
// result never comes, and the owner going waits for the thread.

#include <gtest/gtest.h>

#include <QObject>
#include <QTest>
#include <QThread>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "gui/app/BackgroundWork.h"

namespace qx7::test {
namespace {

constexpr int kGenerousMs = 30000;

TEST(BackgroundWorkTest, TheWorkRunsElsewhereAndItsResultArrivesOnTheReceiversThread) {
    QObject receiver;
    std::atomic<bool> ranElsewhere{false};
    std::optional<std::string> result;
    QThread* finishedOn = nullptr;
    gui::BackgroundWork work(
        &receiver,
        [&ranElsewhere, window = QThread::currentThread()](const std::atomic<bool>&) {
            ranElsewhere = QThread::currentThread() != window;
            return std::string("read");
        },
        [&](std::string text) {
            result = std::move(text);
            finishedOn = QThread::currentThread();
        });
    // Never before the window's thread takes its events.
    EXPECT_FALSE(result.has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, kGenerousMs));
    EXPECT_EQ(*result, "read");
    EXPECT_TRUE(ranElsewhere);
    EXPECT_EQ(finishedOn, receiver.thread());
}

TEST(BackgroundWorkTest, AStoppedWorkSeesItsFlagAndItsResultNeverArrives) {
    QObject receiver;
    std::atomic<bool> started{false};
    std::atomic<bool> sawStop{false};
    bool finished = false;
    auto work = std::make_unique<gui::BackgroundWork>(
        &receiver,
        [&](const std::atomic<bool>& stop) {
            started = true;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!stop && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            sawStop = stop.load();
        },
        [&] { finished = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, kGenerousMs));
    EXPECT_FALSE(work->StopRequested());
    work->Stop();
    EXPECT_TRUE(work->StopRequested());
    // Destroying it waits for the thread: the work has seen the flag by then.
    work.reset();
    EXPECT_TRUE(sawStop);
    QTest::qWait(50);
    EXPECT_FALSE(finished);
}

TEST(BackgroundWorkTest, AResultOnTheWayIsDroppedWhenTheWorkIsDestroyedBeforeItIsTaken) {
    QObject receiver;
    bool finished = false;
    std::atomic<bool> returned{false};
    auto work = std::make_unique<gui::BackgroundWork>(
        &receiver,
        [&](const std::atomic<bool>&) {
            returned = true;
            return 1;
        },
        [&](int) { finished = true; });
    // The result is queued (or about to be) but the window has not taken it yet.
    while (!returned) {
        std::this_thread::yield();
    }
    work.reset();
    QTest::qWait(50);
    EXPECT_FALSE(finished);
}

}  // namespace
}  // namespace qx7::test
