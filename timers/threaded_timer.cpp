// SPDX-License-Identifier: GPL-3.0-or-later
#include "timers/threaded_timer.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/message_loop.h"

namespace timers {

namespace {
// Nice values standing in for the seven priority levels. Raising a thread above
// normal needs privileges the tool does not have; a refusal is not an error.
int NiceFor(TThreadPriority priority) {
    switch (priority) {
    case tpIdle: return 19;
    case tpLowest: return 10;
    case tpLower: return 5;
    case tpNormal: return 0;
    case tpHigher: return -5;
    case tpHighest: return -10;
    case tpTimeCritical: return -20;
    }
    return 0;
}
}  // namespace

TTimerThread::TTimerThread(TThreadedTimer* owner) : owner_(owner) {
    thread_ = std::thread([this] { Execute(); });
}

TTimerThread::~TTimerThread() {
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
        wake_ = true;
        paused_ = false;
    }
    changed_.notify_all();
    platform::JoinServingSynchronize(thread_, [this] { return finished_.load(); });
}

void TTimerThread::SetPriority(TThreadPriority priority) {
    priority_.store(priority);
    ApplyPriority();
}

void TTimerThread::ApplyPriority() {
    const int tid = os_thread_id_.load();
    if (tid != 0) (void)setpriority(PRIO_PROCESS, static_cast<id_t>(tid), NiceFor(priority_.load()));
}

void TTimerThread::Signal() {
    {
        std::lock_guard lock(mutex_);
        wake_ = true;
    }
    changed_.notify_all();
}

void TTimerThread::Pause() {
    {
        std::lock_guard lock(mutex_);
        paused_ = true;
    }
    changed_.notify_all();
}

void TTimerThread::Resume() {
    {
        std::lock_guard lock(mutex_);
        paused_ = false;
    }
    changed_.notify_all();
}

bool TTimerThread::Paused() const {
    std::lock_guard lock(mutex_);
    return paused_;
}

void TTimerThread::Abandon() {
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
        abandoned_ = true;
        wake_ = true;
        paused_ = false;
    }
    changed_.notify_all();
    thread_.detach();
}

void TTimerThread::Execute() {
    os_thread_id_.store(static_cast<int>(syscall(SYS_gettid)));
    ApplyPriority();
    std::unique_lock lock(mutex_);
    while (!terminated_) {
        // A paused worker is frozen; it is let run again together with a
        // wake-up, which restarts the countdown.
        changed_.wait(lock, [&] { return !paused_ || terminated_; });
        if (terminated_) break;
        const auto interval = std::chrono::milliseconds(interval_.load());
        const bool woken = changed_.wait_for(lock, interval, [&] { return wake_ || paused_ || terminated_; });
        if (woken) {
            wake_ = false;  // auto-reset
            continue;
        }
        lock.unlock();
        try {
            platform::Synchronize([this] {
                dispatching_ = true;
                owner_->DoTimer();  // may free the owner, which then abandons us
                dispatching_ = false;
            });
        } catch (...) {
            // DoTimer swallows the handler's faults; nothing else can reach here.
        }
        lock.lock();
    }
    const bool abandoned = abandoned_;
    lock.unlock();
    if (abandoned) {
        delete this;  // nobody waits for us: the owner is gone
        return;
    }
    finished_.store(true);
    platform::WakeMainThread();
}

TThreadedTimer::TThreadedTimer(TComponent* owner) : TComponent(owner), thread_(new TTimerThread(this)) {}

TThreadedTimer::~TThreadedTimer() {
    Destroying();
    enabled_.store(false);
    if (thread_->InsideOwnTick())
        thread_->Abandon();  // freed by the worker once this tick returns
    else
        delete thread_;  // terminates, wakes, resumes and joins the worker
    thread_ = nullptr;
}

void TThreadedTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    if (value) {
        if (Interval() > 0 || allow_zero_) {
            thread_->Signal();
            thread_->Resume();
        }
    } else {
        thread_->Pause();
    }
}

void TThreadedTimer::SetInterval(uint32_t value) {
    if (value == thread_->Interval()) return;
    const bool was_enabled = enabled_;
    SetEnabled(false);
    thread_->SetInterval(value);
    SetEnabled(was_enabled);
}

void TThreadedTimer::DoTimer() {
    if (!enabled_ || !OnTimer || IsDestroying()) return;
    // A copy: the handler may free this timer, and its OnTimer with it.
    const TNotifyEvent handler = OnTimer;
    try {
        handler(this);
    } catch (...) {
        // A timer handler's fault is dropped without a message. Nothing of
        // this timer is touched after the handler: it may be gone.
    }
}

TKelvoThreadTimer::TKelvoThreadTimer(TComponent* owner) : TThreadedTimer(owner) {
    elapsed_time_ = 0;
    lap_time_ = 0;
}

void TKelvoThreadTimer::SetElapsedTime(uint32_t value) {
    if (value != elapsed_time_) elapsed_time_ = value;
}

void TKelvoThreadTimer::SetLapTime(uint32_t value) {
    if (value != lap_time_) lap_time_ = value;
}

void TKelvoThreadTimer::Reset() {
    elapsed_time_ = 0;
    lap_time_ = 0;
}

}  // namespace timers
