// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ports the trainer search probes: those the user named (--port), in the
// order given, or else the machine's list (CALIBRATION_TOOL_PORTS or sysfs,
// sorted). One choice per process, made before the search starts.
#include <string>
#include <vector>

#include "platform/serial_ports.h"

namespace app {

struct SearchPorts {
    std::vector<std::string> chosen;   // empty: the machine's list
    platform::SerialPortSysfs sysfs;   // where the machine's list and port details come from
};

void SetSearchPorts(SearchPorts ports);
const SearchPorts& CurrentSearchPorts();

// Replaces `list` with the ports to probe, in probing order. Raises what
// serial::ListSerialPorts raises (EComPort code 23 without a tty directory)
// and then leaves `list` untouched.
void ListSearchPorts(std::vector<std::string>& list);

}  // namespace app
