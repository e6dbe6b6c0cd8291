#pragma once
// Ports named as their users know them, and what to do when one may not be
// opened.
#include <string>

#include "platform/serial_ports.h"

namespace app {

// The port's name, followed for a USB adapter by what it says of itself:
// "ttyUSB0 (FT232R USB UART, serial A50285BI)".
std::string PortDisplayName(const platform::SerialPortInfo& info);
// The same, read from the search's sysfs (see search_ports.h).
std::string PortDisplayName(const std::string& port);

// What to tell a user who may not open `device_path`: join the group that
// owns it and log in again; only log in again when the group database has
// the user in it already; and, for a device whose group grants more than
// serial ports (root, tty ...), that it is not open to users at all.
std::string PermissionDeniedHint(const std::string& device_path, const platform::PortAccess& access);

}  // namespace app
