// SPDX-License-Identifier: GPL-3.0-or-later
// The rider's power estimate and the virtual speed gained on descents.
#include <cmath>

#include "device/quarix_device.h"
#include "platform/rounding.h"

namespace device {

namespace {

// Power against speed, fitted per unit system: c3 v^3 + c2 v^2 + (g M slope + c0) v.
struct PowerCoefficients {
    double c3;
    double c2;
    double c0;
    double slope_gain;       // every Version but 5
    double slope_gain_gen5;  // Version 5
    double machine_mass;     // added to the rider's weight
};

constexpr PowerCoefficients kKmCoefficients{0.00145, 0.127, -0.37, 0.027, 0.0189, 10.0};
constexpr PowerCoefficients kMilesCoefficients{0.006, 0.33, -0.6, 0.02, 0.014, 22.0};

// Gravity, as the model divides mass by it to turn power into speed.
constexpr double kGravity = 9.8;
// How fast the virtual speed dies away on the flat or uphill, relative to the
// drag at the combined speed.
constexpr double kDecayFactor = 2.5;

const PowerCoefficients& CoefficientsFor(TUnitMeasure unit) {
    return unit == umMiles ? kMilesCoefficients : kKmCoefficients;
}

}  // namespace

double TQuarixDevice::EstimatePower(double speed, double slope) {
    if (!(speed > 0)) return 0;
    const PowerCoefficients& k = CoefficientsFor(UnitMeasure());
    const double mass = static_cast<double>(RiderWeight()) + k.machine_mass;
    const double g = Version() == 5 ? k.slope_gain_gen5 : k.slope_gain;
    const double v = speed;
    const double power = k.c3 * v * v * v + k.c2 * v * v + (g * mass * slope + k.c0) * v;
    return power > 0 ? power : 0;
}

void TQuarixDevice::UpdateVirtualSpeed(double roller_speed) {
    // A standing roller has no power to balance; the model starts over.
    if (roller_speed == 0) {
        ResetVirtualSpeed();
        return;
    }
    const double slope = static_cast<double>(CurrentSlope());
    const double mass = static_cast<double>(RiderWeight()) + CoefficientsFor(UnitMeasure()).machine_mass;

    PreviousVirtualSpeed = VirtualSpeed;
    SlopeTerm = mass * std::fabs(slope) * VirtualSpeedAttenuation() / 100;
    RollerPowerTerm = EstimatePower(roller_speed, 0) / roller_speed;
    const double combined = PreviousVirtualSpeed + roller_speed;
    VirtualPowerTerm = combined != 0 ? EstimatePower(combined, 0) / combined : 0;
    SpeedBalance = RollerPowerTerm + SlopeTerm - VirtualPowerTerm;

    double next;
    if (slope < 0) {
        // Downhill: the slope's push not yet absorbed by drag accelerates.
        next = static_cast<double>(
            platform::RoundDecimals(PrecisionSpeed(), SpeedBalance / (mass / kGravity) + PreviousVirtualSpeed));
    } else if (std::fabs(PreviousVirtualSpeed) > Tolerance()) {
        next = PreviousVirtualSpeed - kDecayFactor * VirtualPowerTerm / (mass / kGravity);
    } else {
        next = 0;
    }
    VirtualSpeed = next < 0 ? 0 : next;
}

void TQuarixDevice::ResetVirtualSpeed() {
    // SpeedBalance is left as it was: it only explains the last update.
    PreviousVirtualSpeed = 0;
    VirtualSpeed = 0;
    VirtualDistancePerSecond = 0;
    VirtualPowerTerm = 0;
    SlopeTerm = 0;
    RollerPowerTerm = 0;
}

}  // namespace device
