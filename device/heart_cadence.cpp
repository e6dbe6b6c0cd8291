// SPDX-License-Identifier: GPL-3.0-or-later
// Heart rate and cadence: filters, pulse timing, presence survey and alarms.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "device/quarix_device.h"
#include "device/whole_numbers.h"
#include "platform/format.h"
#include "platform/rounding.h"
#include "platform/tick_count.h"

namespace device {

namespace {

// Shifts a moving window one place towards its oldest end, stores `sample` in
// the newest place and returns the sum of the whole window.
template <typename T>
long double PushSample(std::vector<T>& window, T sample) {
    long double sum = 0;
    for (size_t i = 0; i + 1 < window.size(); ++i) {
        window[i] = window[i + 1];
        sum += window[i];
    }
    window.back() = sample;
    return sum + sample;
}

size_t WindowLength(int32_t length) { return length > 0 ? static_cast<size_t>(length) : 0; }

}  // namespace

int32_t TQuarixDevice::FilterHeartRate(double bpm) {
    if (HeartArray.empty()) return 0;
    const long double sum = PushSample(HeartArray, bpm);
    // A window not yet filled once would give a partial average.
    if (HeartArray.front() == 0) return 0;
    const int32_t r = RoundToInt32(sum / HeartArray.size());
    // The pulse protocols count their beats in CountHeartBeat.
    if (version_ < 4.5) return r - 1;
    HeartSum += r;
    ++HeartCount;
    return r;
}

int32_t TQuarixDevice::FilterHeartRate2(double bpm) {
    double& newest = BpmHistory[0];
    double& previous = BpmHistory[1];
    double& oldest = BpmHistory[2];
    if (HistoryPending1) {
        newest = bpm;
        HistoryPending1 = false;
        return 0;
    }
    if (HistoryPending2) {
        previous = newest;
        newest = bpm;
        HistoryPending2 = false;
        return 0;
    }
    if (HistoryPending3) {
        oldest = previous;
        previous = newest;
        newest = bpm;
        HistoryPending3 = false;
        return 0;
    }

    const double limit = HeartJumpLimit;
    const double d = bpm - newest;
    bool accepted = d >= -limit && d <= limit;
    if (!accepted) {
        const int32_t direction = d > 0 ? 1 : -1;
        // A jump that continues two accepted jumps the same way is believed.
        if (direction > 0) {
            accepted = newest - previous > limit && previous - oldest > limit;
        } else {
            accepted = newest - previous < -limit && previous - oldest < -limit;
        }
        // So is the third rejected jump in a row in the same direction: the
        // rate has really moved, and rejecting it for good would freeze the
        // reading at its old value for the rest of the ride.
        HeartJumpStreak = (HeartJumpStreak * direction > 0) ? HeartJumpStreak + direction : direction;
        if (HeartJumpStreak * direction >= 3) accepted = true;
        if (!accepted) return static_cast<int32_t>(std::trunc(HeldHeartRate));
    }
    HeartJumpStreak = 0;

    oldest = previous;
    previous = newest;
    newest = bpm;
    HeldHeartRate = HeartRate;
    if (HeartArray.empty()) return 0;
    const long double sum = PushSample(HeartArray, bpm);
    if (HeartArray.front() == 0) return 0;
    const int32_t r = RoundToInt32(sum / HeartArray.size());
    if (version_ > 4) {
        HeartSum += r;
        ++HeartCount;
    }
    return r;
}

void TQuarixDevice::CountHeartBeat() {
    if (IsDestroying()) return;
    const uint32_t now = platform::GetTickCount();
    if (!BeatTimingStarted) {
        BeatTimingStarted = true;
        LastBeatTick = now;
    } else {
        BeatInterval = static_cast<int32_t>(now - LastBeatTick);
        if (BeatInterval < 240) BeatInterval = 240;  // at most 250 bpm
        LastBeatTick = now;
    }

    if (BeatInterval == 0) {
        HeartRate = 0;
    } else {
        const int32_t bpm = RoundToInt32(60000.0L / BeatInterval);
        const int32_t b = hr_filter2_active_ ? FilterHeartRate2(bpm) : FilterHeartRate(bpm);
        if (b > 230) {
            HeartRate = 230;
            ResetHeartState();
        } else if (b < 0) {
            HeartRate = 0;
            ResetHeartState();
        } else {
            HeartRate = b;
        }
    }

    if (HeartRate > 0) {
        HeartSum += HeartRate;
        ++HeartCount;
    }
    if (OnInstantHeart) DoInstantHeart(platform::Format("%d\t%d\t%s", BeatInterval, 0, ""));
}

void TQuarixDevice::AddCadence(int32_t value) {
    const bool pulses = version_ <= 4;
    const uint32_t now = platform::GetTickCount();
    int32_t sample = value;
    if (pulses) {
        // Pulses closer than this are contact bounce, not revolutions.
        const uint32_t elapsed = now - CadenceLastTick;
        if (elapsed < 300) return;
        sample = RoundToInt32(static_cast<long double>(value) / elapsed * 60000);
    }
    if (CadenceArray.empty()) {
        Cadence = 0;
    } else {
        const long double sum = PushSample(CadenceArray, sample);
        Cadence = CadenceArray.front() == 0 ? 0 : RoundToInt32(sum / CadenceArray.size());
    }
    if (pulses) CadenceLastTick = now;
    CadenceTotal += value;
}

void TQuarixDevice::ResetHeartState() {
    HeartArray.resize(WindowLength(heart_array_length_));
    BeatInterval = 0;
    HeartJumpLimit = 60;
    HeartJumpStreak = 0;
    BeatTimingStarted = false;
    LastBeatTick = platform::GetTickCount();
    HistoryPending1 = true;
    HistoryPending2 = true;
    HistoryPending3 = true;
}

void TQuarixDevice::SetHeartConnectionActive(bool value) {
    if (value == heart_connection_active_) return;
    heart_connection_active_ = value;
    if (!value) {
        HeartRate = 0;
        AverageHeartRate = 0;
    }
}

void TQuarixDevice::HeartSurveyTick(TObject* /*sender*/) {
    if (IsDestroying()) return;
    if (HeartSeen) {
        if (!heart_connection_active_) SetHeartConnectionActive(true);
    } else {
        ResetHeartState();
        if (heart_connection_active_) SetHeartConnectionActive(false);
        // Reported at every silent tick, so a host can keep warning the rider.
        DoHeartConnectionLost();
    }
    HeartSeen = false;
}

void TQuarixDevice::CheckHeartAlarm() {
    const int32_t low = alarm_heart_low_limit_;
    const int32_t high = alarm_heart_high_limit_;
    if (!(low < HeartRate && HeartRate < high)) {
        const bool is_higher_limit = HeartRate >= high;
        bool do_stop = true;
        const bool aborted_by_component = false;
        // Without a positive low limit there is no scale to express the
        // distance in; the alarm then reports 0 %.
        int32_t percent_delta = 0;
        if (low > 0) {
            if (!is_higher_limit) {
                percent_delta = RoundToInt32((static_cast<long double>(low) - HeartRate) / low * 100);
            } else if (high > 0) {
                percent_delta = RoundToInt32((static_cast<long double>(HeartRate) - high) / high * 100);
            }
        }
        if (HeartRate > alarm_heart_absolute_limit_) {
            // Beyond the absolute limit the brake is released before anyone is
            // asked, and the ride goes on whatever the handler answers.
            SetQuarixResistance(0);
            SetQuarixElevation(0);
            DoAlarmHeart(percent_delta, is_higher_limit, aborted_by_component, do_stop);
        } else {
            DoAlarmHeart(percent_delta, is_higher_limit, aborted_by_component, do_stop);
            if (do_stop) {
                SetQuarixResistance(0);
                SetQuarixElevation(0);
                Stop();
            }
        }
    }
    if (HeartCount > 0 && HeartSum > 0) {
        AverageHeartRate = RoundToInt32(static_cast<long double>(HeartSum) / HeartCount);
    }
}

}  // namespace device
