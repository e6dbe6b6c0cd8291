// SPDX-License-Identifier: GPL-3.0-or-later
// Speed, distance and the periodic statistics step of a ride.
#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>

#include "device/quarix_device.h"
#include "device/whole_numbers.h"
#include "platform/rounding.h"
#include "platform/tick_count.h"

namespace device {

namespace {

// A mile is taken as 1609 m throughout.
constexpr long double kMetresPerKm = 1000.0L;
constexpr long double kMetresPerMile = 1609.0L;

// Mass added to the rider for the machine: 10 kg, or 22 lb in miles.
constexpr long double kMachineMassKg = 10.0L;
constexpr long double kMachineMassLb = 22.0L;

// What a sample of the frame generations stands for, and an hour in ms.
constexpr long double kFrameSampleMs = 100.0L;
constexpr long double kByteProtocolMsPerByte = 10.0L;
constexpr long double kMsPerHour = 3600000.0L;

// The statistics step re-arms its timer at StatsInterval plus this. Nothing
// measured so far argues for a correction, so it stays 0; whatever is put
// here must stay within +/-100 ms or it is ignored.
constexpr int32_t kRearmCorrectionMs = 0;
constexpr int32_t kRearmCorrectionLimitMs = 100;

}  // namespace

long double TQuarixDevice::RoundValue(int32_t decimals, long double value) {
    return platform::RoundDecimals(decimals, value);
}

void TQuarixDevice::UpdateDistancePerRollEvent() {
    DistancePerRollEvent = platform::RoundDecimals(
        4, RollDiameter() * std::numbers::pi_v<long double> * NumberOfRoundPerRollEvent() / 1000.0L);
}

long double TQuarixDevice::ComputeSpeed(long double /*old_speed*/, double roll_events) {
    const long double metres_per_unit = UnitMeasure() == umMiles ? kMetresPerMile : kMetresPerKm;
    const size_t length = SpeedArray.size();

    // Shift the window down by one; the oldest sample falls out.
    long double sum = 0;
    for (size_t i = 0; i + 1 < length; ++i) {
        SpeedArray[i] = SpeedArray[i + 1];
        sum += SpeedArray[i];
    }

    // Km (or miles) covered by this sample, and the speed it stands for.
    const double covered = static_cast<double>(DistancePerRollEvent * roll_events / metres_per_unit);
    // The time the sample stands for: one frame, or the block of status bytes
    // the byte protocol sums up (the decoder calls once per block).
    const long double sample_ms = Version() >= 4 ? kFrameSampleMs : RollBlockBytes * kByteProtocolMsPerByte;
    long double sample = 0;
    if (Version() >= 4) {
        sample = RoundValue(PrecisionSpeed(), covered / kFrameSampleMs * kMsPerHour);
    } else if (RollBlockBytes > 0) {
        // A block of no bytes stands for no time: it counts as standing still
        // rather than an infinite speed that would poison the whole window.
        sample = RoundValue(PrecisionSpeed(), covered / sample_ms * kMsPerHour);
    }

    long double short_mean = ShortMeanSpeed;
    if (length == 0) {
        // No window to average over: the sample is all there is.
        MeanSpeed = platform::RoundDecimals(PrecisionSpeed(), sample);
        short_mean = MeanSpeed;
    } else {
        SpeedArray[length - 1] = static_cast<double>(sample);
        sum += SpeedArray[length - 1];
        MeanSpeed = platform::RoundDecimals(PrecisionSpeed(), sum / static_cast<long double>(length));

        // The short mean follows the roller faster than the whole window.
        const size_t wanted = Version() >= 4.5 ? 3 : 6;
        const size_t window = std::min({length, wanted, static_cast<size_t>(std::max(SpeedArrayLength(), 1))});
        long double newest = 0;
        for (size_t i = length - window; i < length; ++i) newest += SpeedArray[i];
        const long double candidate =
            platform::RoundDecimals(PrecisionSpeed(), newest / static_cast<long double>(window));
        // A sample that overflowed the arithmetic leaves the short mean as it was.
        if (std::isfinite(candidate)) short_mean = candidate;
    }

    long double result = MeanSpeed;
    // The virtual part belongs to a running ride: a paused one stands still,
    // shows the roller's own speed and covers no distance. Its model is kept
    // for the resumed ride, like its times and roll count.
    if (VirtualSpeedEnabled() && !SimulationMode() && Status() == qsRunning) {
        short_mean += VirtualSpeed;
        result = MeanSpeed + VirtualSpeed;
        // The distance the virtual part covers during the sample's time: a
        // tenth of a second for a frame and for a full block of ten bytes.
        if (DistancePerRollEvent != 0) {
            const long double share = sample_ms / 1000.0L;
            AddRollEvents(share * VirtualDistancePerSecond * metres_per_unit / DistancePerRollEvent);
        }
    }

    ShortMeanSpeed = short_mean < 0 ? 0 : short_mean;
    DoInstantSpeed();
    return result;
}

void TQuarixDevice::AddRollEvents(long double roll_events) {
    // Negative (and meaningless) samples are not rolls.
    if (!(roll_events >= 0)) return;
    LastRollEvents = roll_events;
    TotalRollCount = TotalRollCount + LastRollEvents;
    UpdateDistance(DistancePerRollEvent * TotalRollCount);
}

void TQuarixDevice::UpdateDistance(long double metres) {
    // A finished course keeps the distance it finished with.
    if (CourseFinished) return;
    const long double metres_per_unit = UnitMeasure() == umMiles ? kMetresPerMile : kMetresPerKm;
    Distance = RoundValue(PrecisionDistance(), metres / metres_per_unit);
    if (CourseDistance() > 0 && Distance > 0 && Distance >= CourseDistance()) CourseFinished = true;
}

void TQuarixDevice::UpdateMaxima(int32_t cadence, int32_t heart_rate, int32_t /*power*/, long double speed) {
    if (cadence > MaxCadence) MaxCadence = cadence;
    if (heart_rate > MaxHeartRate) MaxHeartRate = heart_rate;
    if (speed > MaxSpeed) MaxSpeed = speed;
}

void TQuarixDevice::SimulateReadings(int32_t heart_rate, int32_t cadence, long double speed) {
    if (!SimulationMode()) return;
    Speed = speed;
    ShortMeanSpeed = speed;
    // Each call stands for one second of riding at that speed.
    if (DistancePerRollEvent > 0 && std::isfinite(speed)) {
        const long double metres_per_unit = UnitMeasure() == umMiles ? kMetresPerMile : kMetresPerKm;
        AddRollEvents(RoundWhole(speed * metres_per_unit / DistancePerRollEvent / 3600));
    }
    if (heart_rate > 0) {
        HeartSeen = true;
        HeartRate = heart_rate;
        // A host may simulate any rate: the sum holds at its limit rather than wrap.
        HeartSum = static_cast<int32_t>(std::min<int64_t>(int64_t{HeartSum} + heart_rate, INT32_MAX));
        HeartCount += 1;
    }
    if (cadence > 0) Cadence = cadence;
}

void TQuarixDevice::ResetStats() {
    if (Status() != qsRunning) {
        Speed = 0;
        MeanSpeed = 0;
        ShortMeanSpeed = 0;
        ResetVirtualSpeed();
    }
    RollBlockSum = 0;
    RollBlockBytes = 0;

    CadenceArray.assign(static_cast<size_t>(std::max(CadenceArrayLength(), 0)), 0);
    SpeedArray.assign(static_cast<size_t>(std::max(SpeedArrayLength(), 0)), 0.0);

    HeartRate = 0;
    Cadence = 0;
    ReceivedEventCount = 0;
    TotalRollCount = 0;
    PausedRollCount = 0;
    LastRollEvents = 0;
    RollCountAtLastTick = 0;
    Distance = 0;
    CadenceTotal = 0;
    EnergyTotal = 0;
    Energy = 0;
    Power = 0;
    MaxSpeed = 0;
    MaxCadence = 0;
    MaxHeartRate = 0;
    AverageCadence = 0;
    AverageHeartRate = 0;
    AverageSpeed = 0;

    SetCurrentSlope(0);
    // The elevation already sent to the trainer stays as it is.
    current_elevation_ = 0;
}

void TQuarixDevice::DoStats(TObject* sender, int32_t lap_time, int32_t lap_event_count, long double lap_roll_count,
                            long double lap_distance, long double old_speed, bool speed_changed) {
    if (IsDestroying()) return;
    UpdateHighPowerReduce();
    if (OnStats) OnStats(sender, lap_time, lap_event_count, lap_roll_count, lap_distance, old_speed, speed_changed);
}

void TQuarixDevice::StatsTimerTick(TObject* /*sender*/) {
    // One step at a time in the whole process: a handler that pumps the
    // message loop must not see another device's step run inside it.
    if (IsDestroying() || StatsBusy) return;
    StatsBusy = true;

    // Consoles of the long-frame generations fall asleep without traffic.
    if (Version() > 4 && Connected() && MaintainsConsoleActive() && Status() != qsDisconnected) {
        try {
            SendResistance();
        } catch (...) {
            // A lost keep-alive must not cost the rider the step's figures.
        }
    }

    std::exception_ptr fault;
    try {
        timers::TKelvoThreadTimer* timer = TimerStats();
        const uint32_t ride = rides_started_;
        const bool in_miles = UnitMeasure() == umMiles;
        const long double metres_per_unit = in_miles ? kMetresPerMile : kMetresPerKm;

        // Ride time, wrapping with the 32-bit tick; LapTime still holds the
        // previous step's ride time and becomes this lap's length.
        timer->SetElapsedTime(platform::GetTickCount() - StartTick);
        timer->SetLapTime(timer->ElapsedTime() - timer->LapTime());
        const uint32_t elapsed = timer->ElapsedTime();

        const long double rolls = TotalRollCount;
        const int32_t events = ReceivedEventCount;
        const long double lap_rolls = rolls - RollCountAtLastTick;
        const long double lap_distance = RoundValue(PrecisionDistance(), DistancePerRollEvent * lap_rolls) / metres_per_unit;
        const long double distance = Distance;

        if (HeartEnabled()) {
            if (HeartConnectionActive() && HeartRate < 35) SetHeartConnectionActive(false);
            if (HeartConnectionActive()) CheckHeartAlarm();
        } else {
            HeartRate = 0;
            AverageHeartRate = 0;
        }

        // Within the first millisecond of a ride there is no average yet.
        if (elapsed > 0) {
            const long double average =
                Version() > 4 ? CadenceTotal / (elapsed / 100.0L)  // one value per 100-ms frame
                              : CadenceTotal / static_cast<long double>(elapsed) * 60000.0L;  // pulses per minute
            if (Cadence > 0) AverageCadence = RoundToInt32(average);
        }

        const long double old_speed = Speed;
        if (!(Speed >= 0)) {
            Speed = 0;
            MeanSpeed = 0;
        }
        const bool speed_changed = old_speed != Speed;

        // Energy of the step, whatever its length.
        {
            const long double v = old_speed;
            const long double mass = RiderWeight() + (in_miles ? kMachineMassLb : kMachineMassKg);
            const long double slope = CurrentSlope();
            long double e = in_miles ? 1.83e-5L * v * v * v + 1.3e-5L * v * mass + 0.0015L * v * slope
                                     : 4.4e-6L * v * v * v + 1.8e-5L * v * mass + 0.002L * v * slope;
            if (!(e >= 0)) e = 0;
            EnergyTotal = EnergyTotal + e;
            Energy = RoundToInt32(EnergyTotal);
        }

        const bool virtual_model = VirtualSpeedEnabled() && !SimulationMode();
        if (virtual_model) {
            if (CurrentSlope() < 0 || VirtualSpeed > 0) {
                UpdateVirtualSpeed(static_cast<double>(MeanSpeed));
            } else {
                ResetVirtualSpeed();
            }
            VirtualDistancePerSecond =
                VirtualSpeed != 0
                    ? static_cast<double>(platform::RoundDecimals(PrecisionDistance(), VirtualSpeed / 3600.0L))
                    : 0.0;
        }

        AverageSpeed = elapsed > 0 ? RoundValue(PrecisionSpeed(), distance / elapsed * kMsPerHour) : 0;
        if (AverageSpeed < 0) AverageSpeed = 0;

        // The power of the roller itself: the virtual part is not pedalled.
        const long double power_speed = virtual_model ? MeanSpeed : Speed;
        Power = RoundToInt32(EstimatePower(static_cast<double>(power_speed), static_cast<double>(CurrentSlope())));

        UpdateMaxima(Cadence, HeartRate, Power, Speed);

        DoStats(this, static_cast<int32_t>(timer->LapTime()), events, lap_rolls, lap_distance, old_speed,
                speed_changed);

        int32_t correction = kRearmCorrectionMs;
        if (correction < -kRearmCorrectionLimitMs || correction > kRearmCorrectionLimitMs) correction = 0;
        timer->SetInterval(static_cast<uint32_t>(StatsInterval() + correction));

        // A handler that started a new ride during the step (from OnStats or
        // the heart alarm) has set its first lap's starting point already;
        // this step's figures belong to the old ride.
        if (rides_started_ == ride) {
            timer->SetLapTime(timer->ElapsedTime());
            RollCountAtLastTick = rolls;
        }
    } catch (...) {
        fault = std::current_exception();
    }

    // Closing part: runs whether or not the step completed.
    StatsBusy = false;
    if (CourseFinished) {
        Stop();
        DoCourseFinished();
    }
    if (fault) std::rethrow_exception(fault);
}

}  // namespace device
