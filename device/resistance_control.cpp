// SPDX-License-Identifier: GPL-3.0-or-later
// The resistance command: level, high-power reduction, clamp and elevation.

#include "device/quarix_device.h"
#include "device/quarix_protocol.h"
#include "device/whole_numbers.h"

namespace device {

namespace {

// A byte the console can take: 0..255, never one of the frame markers (the
// console would cut its frame there).
int32_t ClampToByte(int64_t value) {
    if (value < 0) return 0;
    if (value > 255) return 255;
    if (value == kFrameStart) return kFrameStart - 1;
    if (value == kFrameStop) return kFrameStop - 1;
    return static_cast<int32_t>(value);
}

// A level that may be absurd is held well inside the 64-bit range before it
// is rounded; without security its low byte still goes on the wire.
int64_t RoundLevel(long double value) { return RoundWithin(value, 1e15L); }

// Slope in percent to the elevation byte: 126 is level, one step is 0.2 %.
int64_t SlopeToByte(long double slope) { return RoundLevel(slope * 5 + 126); }

}  // namespace

void TQuarixDevice::SetQuarixResistance(int32_t value) {
    if (security_active_) {
        value = ClampToByte(value);
        // A brake commanded while the roller stands still would hold the rider
        // at the next pedal stroke.
        if (Speed == 0) value = 0;
    }
    quarix_resistance_ = value;  // stored even when unchanged
    if (!maintains_console_active_) SendResistance();
}

void TQuarixDevice::SetQuarixElevation(int32_t value) {
    if (value != quarix_elevation_) quarix_elevation_ = value;
}

void TQuarixDevice::SetInitialResistance(int32_t value) {
    value = ClampToByte(value);
    if (value == initial_resistance_) return;
    initial_resistance_ = value;
    SetQuarixResistance(value);
}

void TQuarixDevice::SetCurrentElevation(int32_t value) {
    if (value == current_elevation_) return;
    current_elevation_ = value;
    SetQuarixElevation(ElevationToByte(value));
}

int32_t TQuarixDevice::ElevationToByte(int32_t elevation) {
    return static_cast<int32_t>(RoundLevel(static_cast<long double>(elevation) * 255 / 9999));
}

void TQuarixDevice::SendResistance() {
    int64_t r = RoundLevel(static_cast<long double>(quarix_resistance_) * ResistanceCoefficient);
    if (security_active_) {
        r = ClampToByte(r);
        if (Speed == 0) r = 0;
    }
    int64_t e = quarix_elevation_;
    if (version_ >= 4 && use_elevation_) e = SlopeToByte(current_slope_);
    e = ClampToByte(e);
    if (version_ < 4 || Repairing) return;
    Send(BuildFrame(kCmdResistance, static_cast<int32_t>(r & 0xFF), static_cast<int32_t>(e)));
}

void TQuarixDevice::SetResistanceCoefficient(double value) {
    if (value == ResistanceCoefficient) return;
    ResistanceCoefficient = value >= high_power_reduce_coefficient_minimum_ ? value
                                                                            : high_power_reduce_coefficient_minimum_;
}

void TQuarixDevice::UpdateHighPowerReduce() {
    if (IsDestroying()) return;
    if (high_power_reduce_enable_) {
        // The reduction follows the roller, not the speed the rider sees.
        long double s = ShortMeanSpeed;
        if (virtual_speed_enabled_ && !simulation_mode_) s -= VirtualSpeed;
        if (s < high_power_reduce_start_speed_) {
            const double m = high_power_reduce_coefficient_minimum_;
            SetResistanceCoefficient(static_cast<double>(m + s * (1 - m) / high_power_reduce_start_speed_));
            if (!maintains_console_active_) SendResistance();
            return;
        }
    }
    SetResistanceCoefficient(1.0);
}

}  // namespace device
