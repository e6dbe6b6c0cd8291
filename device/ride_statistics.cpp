// Speed, distance and the periodic statistics step of a ride.
#include "device/quarix_device.h"

namespace device {

// TODO(owner: measurements) every body in this file is a placeholder.

long double TQuarixDevice::RoundValue(int32_t /*decimals*/, long double value) { return value; }

void TQuarixDevice::UpdateDistancePerRollEvent() {}

long double TQuarixDevice::ComputeSpeed(long double old_speed, double /*roll_events*/) { return old_speed; }

void TQuarixDevice::AddRollEvents(long double /*roll_events*/) {}

void TQuarixDevice::UpdateDistance(long double /*metres*/) {}

void TQuarixDevice::UpdateMaxima(int32_t /*cadence*/, int32_t /*heart_rate*/, int32_t /*power*/,
                                 long double /*speed*/) {}

void TQuarixDevice::SimulateReadings(int32_t /*heart_rate*/, int32_t /*cadence*/, long double /*speed*/) {}

void TQuarixDevice::ResetStats() {}

void TQuarixDevice::DoStats(TObject* /*sender*/, int32_t /*lap_time*/, int32_t /*lap_event_count*/,
                            long double /*lap_roll_count*/, long double /*lap_distance*/, long double /*old_speed*/,
                            bool /*speed_changed*/) {}

void TQuarixDevice::StatsTimerTick(TObject* /*sender*/) {}

}  // namespace device
