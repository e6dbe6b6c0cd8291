// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/list_serial_ports.h"

#include <algorithm>
#include <cctype>

#include "platform/serial_device.h"
#include "platform/serial_ports.h"
#include "serial/com_port_errors.h"

namespace serial {
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

void ListSerialPorts(std::vector<std::string>& List, const std::string& sysfs_tty) {
    std::vector<std::string> found;
    try {
        found = platform::EnumerateSerialPorts(sysfs_tty);
    } catch (const platform::SerialDeviceError& e) {
        throw EComPort(CError_RegError, e.ErrorNumber());
    }
    std::stable_sort(found.begin(), found.end(), LessIgnoringCase);
    List = std::move(found);
}

void ListSerialPorts(std::vector<std::string>& List) { ListSerialPorts(List, "/sys/class/tty"); }

}  // namespace serial
