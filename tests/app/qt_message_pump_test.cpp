// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/qt_message_pump.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/message_loop.h"

namespace {

// Counts the passes a wait makes through Qt's events.
class CountingPump : public app::QtMessagePump {
public:
    void ProcessEvents() override {
        ++passes;
        app::QtMessagePump::ProcessEvents();
    }
    int passes = 0;
};

class QtPump : public testing::Test {
protected:
    void SetUp() override { platform::SetMessagePump(&pump_); }
    void TearDown() override {
        platform::SetMessagePump(nullptr);
        platform::ProcessMessages();
    }
    // Runs Qt's own loop until `done` or 5 s.
    static void RunQtLoopUntil(const std::function<bool()>& done) {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (done()) loop.quit();
        });
        poll.start(2);
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    CountingPump pump_;
};

TEST_F(QtPump, WorkerHandOversAndPostedMessagesRunInsideQtsLoop) {
    const uint32_t message = platform::WM_USER + 77;
    std::vector<std::string> order;
    const int id = platform::AddMessageHandler(message, [&](uint32_t, uintptr_t w, intptr_t) {
        EXPECT_TRUE(platform::IsMainThread());
        order.push_back("message " + std::to_string(w));
    });
    std::atomic<bool> worker_done{false};
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i) {
            platform::Synchronize([&, i] {
                EXPECT_TRUE(platform::IsMainThread());
                order.push_back("sync " + std::to_string(i));
            });
        }
        platform::PostMessage(message, 7, 0);
        worker_done = true;
    });
    RunQtLoopUntil([&] { return worker_done && order.size() == 21; });
    worker.join();
    platform::RemoveMessageHandler(id);
    ASSERT_EQ(order.size(), 21u);
    EXPECT_EQ(order.front(), "sync 0");
    EXPECT_EQ(order[19], "sync 19");
    EXPECT_EQ(order.back(), "message 7");
}

TEST_F(QtPump, WaitProcessingRunsQtEventsAndHandOversWithoutSpinning) {
    bool qt_timer_fired = false;
    QTimer::singleShot(20, [&] { qt_timer_fired = true; });
    std::atomic<bool> handed_over{false};
    std::thread worker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        platform::Synchronize([&] { handed_over = true; });
    });
    QElapsedTimer clock;
    clock.start();
    platform::WaitProcessing(200);
    const qint64 elapsed = clock.elapsed();
    worker.join();
    EXPECT_TRUE(qt_timer_fired);
    EXPECT_TRUE(handed_over);
    EXPECT_GE(elapsed, 199);
    // A pass per event that arrived, not a busy loop (which makes thousands).
    EXPECT_LT(pump_.passes, 50);
}

TEST_F(QtPump, WorkQueuedByAHandlerRunsOnALaterPass) {
    std::vector<int> order;
    platform::PostTask([&] {
        order.push_back(1);
        platform::PostTask([&] { order.push_back(3); });
    });
    platform::PostTask([&] { order.push_back(2); });
    RunQtLoopUntil([&] { return order.size() == 3; });
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

}  // namespace
