// The resistance command: level, high-power reduction, clamp and elevation.
#include "device/quarix_device.h"

namespace device {

// TODO(owner: control) every body in this file is a placeholder.

void TQuarixDevice::SetQuarixResistance(int32_t value) { quarix_resistance_ = value; }

void TQuarixDevice::SetQuarixElevation(int32_t value) { quarix_elevation_ = value; }

void TQuarixDevice::SetInitialResistance(int32_t value) { initial_resistance_ = value; }

void TQuarixDevice::SetCurrentElevation(int32_t value) { current_elevation_ = value; }

int32_t TQuarixDevice::ElevationToByte(int32_t /*elevation*/) { return 0; }

void TQuarixDevice::SendResistance() {}

void TQuarixDevice::SetResistanceCoefficient(double value) { ResistanceCoefficient = value; }

void TQuarixDevice::UpdateHighPowerReduce() {}

}  // namespace device
