// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a line-settings record becomes terminal settings (raw mode always).
// Kept apart so the mapping can be checked where a device cannot show it: a
// pseudo-terminal keeps 8 data bits and no parity whatever it is given.
#include <termios.h>

#include "platform/serial_device.h"

namespace platform {

// Rewrites t for dcb: raw mode, size, parity, stop bits, flow control, XON and
// XOFF characters and, for a rate with a speed constant, the speed. Returns
// false when the rate has no constant (the caller sets it separately).
// Throws SerialDeviceError(EINVAL) for values the line cannot take.
bool ApplyLineSettings(const DCB& dcb, termios& t);

}  // namespace platform
