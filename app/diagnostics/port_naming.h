// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ports named as their users know them, and what to do when one may not be
// opened.
#include <QCoreApplication>
#include <string>
#include <string_view>

#include "platform/serial_ports.h"

namespace app {

// The port's name, followed for a USB adapter by what it says of itself:
// "ttyUSB0 (FT232R USB UART, serial A50285BI)".
std::string PortDisplayName(const platform::SerialPortInfo& info);
// The same, read from the search's sysfs (see search_ports.h).
std::string PortDisplayName(const std::string& port);

// A text a device tells of itself (a USB adapter's manufacturer, product or
// serial number), fit to print on a terminal: control characters (C0, DEL,
// C1) and bytes that are not UTF-8 become \xHH escapes, a backslash "\\";
// the rest, letters beyond ASCII included, stays as it is.
std::string PrintableText(std::string_view text);

// The access check of a port's device file, with the search's sysfs.
platform::PortAccess PortAccessOf(const std::string& device_path);

// What a file is when no permission could make it a port to open.
inline constexpr const char* kNotASerialDevice = QT_TRANSLATE_NOOP("PortNaming", "not a serial device");
inline constexpr const char* kOnANodevMount =
    QT_TRANSLATE_NOOP("PortNaming", "on a filesystem mounted nodev (device files there cannot be opened)");

// kNotASerialDevice or kOnANodevMount as the check found; empty when the file
// may be a serial device.
std::string NotAPortText(const platform::PortAccess& access);

// The file is the user's own, but its mode takes the owner's reading or
// writing away: the user can give it back (chmod u+rw).
bool ClosedToItsOwner(const platform::PortAccess& access);

// What to tell a user who may not open `device_path`: join the group that
// owns it and log in again; only log in again when the group database has
// the user in it already; give the file back its owner's rights when it is
// the user's own; and, for a device whose group grants more than serial
// ports (root, tty ...), that it is not open to users at all.
std::string PermissionDeniedHint(const std::string& device_path, const platform::PortAccess& access);

}  // namespace app
