// Heart rate and cadence: filters, pulse timing, presence survey and alarms.
#include "device/quarix_device.h"

namespace device {

// TODO(owner: control) every body in this file is a placeholder.

int32_t TQuarixDevice::FilterHeartRate(double /*bpm*/) { return 0; }

int32_t TQuarixDevice::FilterHeartRate2(double /*bpm*/) { return 0; }

void TQuarixDevice::CountHeartBeat() {}

void TQuarixDevice::AddCadence(int32_t /*value*/) {}

void TQuarixDevice::ResetHeartState() {}

void TQuarixDevice::SetHeartConnectionActive(bool value) { heart_connection_active_ = value; }

void TQuarixDevice::HeartSurveyTick(TObject* /*sender*/) {}

void TQuarixDevice::CheckHeartAlarm() {}

}  // namespace device
