// SPDX-License-Identifier: GPL-3.0-or-later
// The ride status and the ride operations: start (new or resumed), pause, stop.
#include "device/quarix_device.h"
#include "platform/tick_count.h"

namespace device {

void TQuarixDevice::SetStatus(TQuarixDeviceStatus value) {
    if (value == status_) return;
    const TQuarixDeviceStatus old_status = status_;
    status_ = value;
    // Only an unbroken pause keeps holding the ride it paused.
    if (status_ != qsPaused) pause_holds_ride_ = false;
    DoQuarixDeviceStatusChanged(old_status, value);
    // A handler may have moved the status on again: act on what it is now.
    if (status_ == qsDisconnected || status_ == qsStopped) {
        Speed = 0;
        MeanSpeed = 0;
        ShortMeanSpeed = 0;
        ResetVirtualSpeed();
        SetQuarixResistance(initial_resistance_);
        SetQuarixElevation(0);
    }
}

bool TQuarixDevice::ResumesPausedRide() const { return status_ == qsPaused && pause_holds_ride_; }

void TQuarixDevice::Start() {
    if (!connected_) return;
    CourseFinished = false;
    // A pause with no ride running held no ride time or roll count: the
    // Start after it begins a new ride.
    if (!ResumesPausedRide()) {
        timer_stats_->Reset();
        ResetStats();
        status_ = qsStopped;  // silent mark of a new ride: no event, no reset
        ++rides_started_;
        StartTick = platform::GetTickCount();
        PauseTick = 0;
        timer_stats_->SetLapTime(0);
    }
    DoBeforeStart();
    timer_stats_->SetInterval(static_cast<uint32_t>(stats_interval_));
    if (ResumesPausedRide()) {
        // The pause does not count as ride time.
        StartTick += platform::GetTickCount() - PauseTick;
        timer_stats_->SetLapTime(timer_stats_->ElapsedTime());
        TotalRollCount = PausedRollCount;
        LastRollEvents = 0;
    }
    ResetHeartState();
    HeartSum = 0;
    HeartCount = 0;
    if (!(version_ > 4)) CadenceLastTick = platform::GetTickCount();
    timer_stats_->SetEnabled(true);
    SetStatus(qsRunning);
}

void TQuarixDevice::Pause() {
    if (!connected_) return;
    timer_stats_->SetEnabled(false);
    PauseTick = platform::GetTickCount();
    pause_holds_ride_ = status_ == qsRunning || ResumesPausedRide();
    SetStatus(qsPaused);
    PausedRollCount = TotalRollCount;
    if (version_ >= 4) Send(BuildFrame(kCmdResistance, 0, 0));
    DoBeforePause();
}

void TQuarixDevice::Stop() {
    // No repair may start while the stop handlers run. The tick that was
    // attached is put back however Stop ends (when Stop runs inside the
    // survey tick, that tick is detached and re-attaches itself).
    struct SurveyTickDetached {
        timers::TKelvoThreadTimer* timer;
        std::function<void(TObject*)> saved;
        explicit SurveyTickDetached(timers::TKelvoThreadTimer* t) : timer(t), saved(std::move(t->OnTimer)) {
            timer->OnTimer = nullptr;
        }
        ~SurveyTickDetached() { timer->OnTimer = std::move(saved); }
    } detached(connection_survey_timer_);

    if (connected_) {
        bool can_continue = true;
        DoBeforeStop(can_continue);
        if (!can_continue) return;
    }
    timer_stats_->SetEnabled(false);
    SetStatus(qsStopped);
    DoAfterStop();
    SetQuarixResistance(initial_resistance_);
    SetQuarixElevation(0);
}

}  // namespace device
