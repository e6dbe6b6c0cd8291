// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names of the machine's serial ports, sorted, each one a value the port's
// Port property accepts.
#include <string>
#include <vector>

namespace serial {

// Replaces List with the port names, sorted case-insensitively as text
// (ttyS10 before ttyS2), duplicates kept. On failure raises EComPort code 23
// with the system's error number and leaves List untouched.
void ListSerialPorts(std::vector<std::string>& List);

// The same over another sysfs tty directory (tests).
void ListSerialPorts(std::vector<std::string>& List, const std::string& sysfs_tty);

}  // namespace serial
