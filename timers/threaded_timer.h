// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A timer whose countdown runs on a worker thread of its own while its
// OnTimer handler runs on the main thread. Ticks never overlap and never
// queue up: the worker waits for each handler before it starts the next
// countdown, so the period is Interval plus the handler's run time.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/component.h"

namespace timers {

using platform::TComponent;
using platform::TObject;
using TNotifyEvent = std::function<void(TObject* sender)>;

enum TThreadPriority : uint8_t { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThreadedTimer;

// The worker: waits on its wake event for at most Interval; a timeout is a
// tick handed to the main thread, a wake-up restarts the countdown.
class TTimerThread {
public:
    explicit TTimerThread(TThreadedTimer* owner);
    ~TTimerThread();  // terminates and joins (serving hand-overs meanwhile)

    uint32_t Interval() const { return interval_.load(); }
    void SetInterval(uint32_t ms) { interval_.store(ms); }
    TThreadPriority Priority() const { return priority_.load(); }
    void SetPriority(TThreadPriority priority);

    void Signal();  // the auto-reset WakeEvent
    void Pause();
    void Resume();
    bool Paused() const;

    // Main thread: a tick of this worker is running (the worker waits for it).
    bool InsideOwnTick() const { return dispatching_; }
    // From inside its own tick, instead of deleting: the worker cannot be
    // joined until that tick returns, so it ends then and frees itself.
    void Abandon();

private:
    void Execute();
    void ApplyPriority();

    TThreadedTimer* owner_;
    std::atomic<uint32_t> interval_{1000};
    std::atomic<TThreadPriority> priority_{tpNormal};
    std::atomic<int> os_thread_id_{0};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool wake_ = false;
    bool paused_ = true;
    bool terminated_ = false;
    bool abandoned_ = false;
    bool dispatching_ = false;  // main thread only
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

class TThreadedTimer : public TComponent {
public:
    explicit TThreadedTimer(TComponent* owner = nullptr);
    ~TThreadedTimer() override;

    TNotifyEvent OnTimer;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    bool AllowZero() const { return allow_zero_; }
    void SetAllowZero(bool value) { allow_zero_ = value; }
    uint32_t Interval() const { return thread_->Interval(); }
    void SetInterval(uint32_t value);
    TThreadPriority ThreadPriority() const { return thread_->Priority(); }
    void SetThreadPriority(TThreadPriority value) { thread_->SetPriority(value); }

    // Runs on the main thread for each tick.
    void DoTimer();

private:
    std::atomic<bool> enabled_{false};
    bool allow_zero_ = false;
    TTimerThread* thread_;
};

// Adds the ride counters that the owner maintains; the timer never changes them.
class TKelvoThreadTimer : public TThreadedTimer {
public:
    explicit TKelvoThreadTimer(TComponent* owner = nullptr);

    uint32_t ElapsedTime() const { return elapsed_time_; }
    virtual void SetElapsedTime(uint32_t value);
    uint32_t LapTime() const { return lap_time_; }
    virtual void SetLapTime(uint32_t value);
    virtual void Reset();

private:
    uint32_t elapsed_time_ = 0;
    uint32_t lap_time_ = 0;
};

}  // namespace timers
