// The rider's power estimate and the virtual speed gained on descents.
#include "device/quarix_device.h"

namespace device {

// TODO(owner: measurements) every body in this file is a placeholder.

double TQuarixDevice::EstimatePower(double /*speed*/, double /*slope*/) { return 0; }

void TQuarixDevice::UpdateVirtualSpeed(double /*roller_speed*/) {}

void TQuarixDevice::ResetVirtualSpeed() {}

}  // namespace device
