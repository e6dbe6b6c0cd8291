// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/message_loop.h"
#include "test_support.h"
#include "timers/threaded_timer.h"

using testing_support::NowMs;
using testing_support::ThreadCount;
using testing_support::WaitUntil;
using timers::TKelvoThreadTimer;
using timers::TThreadedTimer;

namespace {

// Records the moment of every tick, measured on the main thread.
struct TickLog {
    std::vector<double> at;
    void Attach(TThreadedTimer& timer) {
        timer.OnTimer = [this](platform::TObject*) { at.push_back(NowMs()); };
    }
};

// Ends the whole run with a message if the scope is not left within a
// minute: a hang would otherwise stall the run until the test's timeout.
class HangGuard {
public:
    explicit HangGuard(const char* what) : what_(what), watcher_([this] { Watch(); }) {}
    ~HangGuard() {
        {
            std::lock_guard lock(mutex_);
            left_ = true;
        }
        left_changed_.notify_all();
        watcher_.join();
    }

private:
    void Watch() {
        std::unique_lock lock(mutex_);
        if (left_changed_.wait_for(lock, std::chrono::seconds(60), [this] { return left_; })) return;
        std::fprintf(stderr, "hung: %s\n", what_);
        std::_Exit(1);
    }
    const char* what_;
    std::mutex mutex_;
    std::condition_variable left_changed_;
    bool left_ = false;
    std::thread watcher_;
};

}  // namespace

TEST(ThreadedTimer, TheFirstTickComesOneFullIntervalAfterEnablingNeverBefore) {
    TThreadedTimer timer;
    TickLog log;
    log.Attach(timer);
    timer.SetInterval(150);
    const double start = NowMs();
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return !log.at.empty(); }, 3000));
    EXPECT_GE(log.at[0] - start, 149.0);
    ASSERT_TRUE(WaitUntil([&] { return log.at.size() >= 3; }, 3000));
    EXPECT_GE(log.at[2] - log.at[1], 149.0);
}

TEST(ThreadedTimer, ChangingTheIntervalRestartsTheCountdownAndAnEqualWriteDoesNot) {
    TThreadedTimer timer;
    TickLog log;
    log.Attach(timer);
    timer.SetInterval(60000);
    timer.SetEnabled(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // a minute-long countdown under way
    const double restart = NowMs();
    timer.SetInterval(100);  // restarts: the tick comes 100 ms from here, not after the minute
    ASSERT_TRUE(WaitUntil([&] { return !log.at.empty(); }, 20000));
    EXPECT_GE(log.at[0] - restart, 99.0);

    // An equal write changes nothing. Seen on a timer held still by an unusable
    // interval (enabled, Interval 0, AllowZero off): turning AllowZero on does
    // not let it run, a restart would, and its back-to-back ticks would start
    // at once.
    TThreadedTimer held;
    int held_ticks = 0;
    held.OnTimer = [&](platform::TObject*) { ++held_ticks; };
    held.SetInterval(0);
    held.SetEnabled(true);
    held.SetAllowZero(true);
    held.SetInterval(0);
    platform::WaitProcessing(300);
    EXPECT_EQ(held_ticks, 0);
    EXPECT_TRUE(held.Enabled());
    // Enabled anew, the same timer does run.
    held.SetEnabled(false);
    held.SetEnabled(true);
    EXPECT_TRUE(WaitUntil([&] { return held_ticks > 0; }, 20000));
}

TEST(ThreadedTimer, ASlowHandlerStretchesThePeriodTicksNeverOverlap) {
    TThreadedTimer timer;
    std::vector<double> starts;
    std::atomic<int> running{0};
    bool overlapped = false;
    timer.OnTimer = [&](platform::TObject*) {
        overlapped = overlapped || running.fetch_add(1) != 0;
        starts.push_back(NowMs());
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
        running.fetch_sub(1);
    };
    timer.SetInterval(80);
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return starts.size() >= 3; }, 5000));
    EXPECT_FALSE(overlapped);
    EXPECT_GE(starts[1] - starts[0], 199.0);  // 80 ms countdown + 120 ms handler
    EXPECT_GE(starts[2] - starts[1], 199.0);
}

TEST(ThreadedTimer, DisablingFromInsideTheHandlerStopsTicksAndReenablingWaitsAFullInterval) {
    TThreadedTimer timer;
    int ticks = 0;
    timer.OnTimer = [&](platform::TObject* sender) {
        ++ticks;
        static_cast<TThreadedTimer*>(sender)->SetEnabled(false);
    };
    timer.SetInterval(50);
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return ticks == 1; }, 3000));
    platform::WaitProcessing(300);
    EXPECT_EQ(ticks, 1);
    const double again = NowMs();
    double second_at = 0;
    timer.OnTimer = [&](platform::TObject*) {
        ++ticks;
        second_at = NowMs();
    };
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return ticks == 2; }, 3000));
    EXPECT_GE(second_at - again, 49.0);
}

TEST(ThreadedTimer, AFaultInTheHandlerIsDroppedAndTheNextTickStillComes) {
    TThreadedTimer timer;
    int ticks = 0;
    timer.OnTimer = [&](platform::TObject*) {
        ++ticks;
        throw std::runtime_error("handler fault");
    };
    timer.SetInterval(50);
    timer.SetEnabled(true);
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 2; }, 3000));
}

TEST(ThreadedTimer, DestroyingAnEnabledTimerJoinsTheWorkerWithoutDeliveringATick) {
    int ticks = 0;
    {
        TThreadedTimer timer;
        timer.OnTimer = [&](platform::TObject*) { ++ticks; };
        timer.SetInterval(30);
        timer.SetEnabled(true);
        // Let the worker time out and block in its hand-over before we destroy.
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }
    platform::WaitProcessing(100);
    EXPECT_EQ(ticks, 0);
}

namespace {

// Tells whether the object holding it (a handler's closure) still exists:
// each instance is listed from its construction to its destruction.
class Sentinel {
public:
    Sentinel() { Live().insert(this); }
    Sentinel(const Sentinel&) { Live().insert(this); }
    Sentinel& operator=(const Sentinel&) = default;
    ~Sentinel() { Live().erase(this); }
    // Looks up the address only: safe to ask of a destroyed instance.
    bool Alive() const { return Live().count(this) != 0; }

private:
    static std::set<const Sentinel*>& Live() {
        static std::set<const Sentinel*> live;
        return live;
    }
};

}  // namespace

// Its worker waits for the very tick that frees the timer: it cannot be
// joined there, so it ends by itself once the tick has returned. The handler
// goes on after freeing the timer, so what runs it must outlive the timer:
// run as the timer's own OnTimer, its closure would be gone under it.
TEST(ThreadedTimer, ATimerFreedInsideItsOwnTickEndsItsWorkerWithoutHanging) {
    HangGuard guard("freeing a timer inside its own tick");
    const int threads_before = ThreadCount();
    // Static, so the handler reaches them after the free without reading its
    // own captures.
    static int ticks;
    static bool closure_alive_after_free;
    ticks = 0;
    closure_alive_after_free = false;
    auto* timer = new TThreadedTimer;
    timer->OnTimer = [timer, sentinel = Sentinel()](platform::TObject*) {
        delete timer;
        closure_alive_after_free = sentinel.Alive();
        ++ticks;
    };
    timer->SetInterval(20);
    timer->SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return ticks == 1; }, 5000));
    EXPECT_TRUE(closure_alive_after_free);
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threads_before; }, 5000));
    platform::WaitProcessing(100);
    EXPECT_EQ(ticks, 1);
}

TEST(ThreadedTimer, ZeroIntervalRunsOnlyWithAllowZero) {
    TThreadedTimer timer;
    int ticks = 0;
    timer.OnTimer = [&](platform::TObject*) { ++ticks; };
    timer.SetInterval(0);
    timer.SetEnabled(true);
    platform::WaitProcessing(150);
    EXPECT_EQ(ticks, 0);

    timer.SetEnabled(false);
    timer.SetAllowZero(true);
    timer.SetEnabled(true);
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 5; }, 3000));
}

TEST(ThreadedTimer, AnEnabledTimerWithoutAUsableIntervalStartsWhenItGetsOne) {
    TThreadedTimer timer;
    int ticks = 0;
    timer.OnTimer = [&](platform::TObject*) { ++ticks; };
    timer.SetInterval(0);
    timer.SetEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    timer.SetInterval(40);
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 1; }, 3000));
}

TEST(ThreadedTimer, APriorityTheSystemRefusesIsNotAnError) {
    TThreadedTimer timer;
    for (auto p : {timers::tpIdle, timers::tpTimeCritical, timers::tpNormal}) {
        EXPECT_NO_THROW(timer.SetThreadPriority(p));
        EXPECT_EQ(timer.ThreadPriority(), p);
    }
}

TEST(KelvoThreadTimer, CountersAreTheOwnersAndResetClearsBoth) {
    TKelvoThreadTimer timer;
    EXPECT_EQ(timer.ElapsedTime(), 0u);
    EXPECT_EQ(timer.LapTime(), 0u);
    timer.SetElapsedTime(1234);
    timer.SetLapTime(567);
    timer.SetLapTime(567);
    EXPECT_EQ(timer.LapTime(), 567u);
    timer.Reset();
    EXPECT_EQ(timer.ElapsedTime(), 0u);
    EXPECT_EQ(timer.LapTime(), 0u);
}
