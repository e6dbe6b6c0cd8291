// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// --list-ports: the ports a search would probe, in probing order, each with
// what the system knows of it, without opening any.
#include <cstdio>
#include <string>

#include "platform/serial_ports.h"

namespace app {

// One line (without its newline): the name; for a USB adapter its
// vendor:product ids, manufacturer, product, serial number (control
// characters escaped) and by-id link; then whether this user may open it,
// and if not the group that owns it, or what the file is when it is no port.
std::string PortListingLine(const platform::SerialPortInfo& info, const platform::PortAccess& access);

// Prints a line per port of the search's list (search_ports.h). Returns the
// process's exit code: 0, or 1 when the ports cannot be listed (told on
// `errors`).
int PrintPortList(std::FILE* out, std::FILE* errors);

}  // namespace app
