// SPDX-License-Identifier: GPL-3.0-or-later
// Rates without a speed constant go through the second terminal-settings
// interface. Its header clashes with <termios.h>, hence this file of its own.
#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cerrno>

#include "platform/serial_device.h"

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace platform {

void SetCustomBaudRate(int fd, uint32_t rate) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) < 0) throw SerialDeviceError(errno);
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = rate;
    t.c_ospeed = rate;
    if (ioctl(fd, TCSETS2, &t) < 0) throw SerialDeviceError(errno);
}

}  // namespace platform
