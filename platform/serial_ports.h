#pragma once
// The machine's serial ports: the tty devices the kernel lists under
// /sys/class/tty that stand for real hardware, or the list the environment
// variable CALIBRATION_TOOL_PORTS gives instead (names or absolute paths,
// separated by commas; set and empty means no port at all).
#include <string>
#include <vector>

namespace platform {

// In the order found (unsorted). A missing sysfs directory throws
// SerialDeviceError with errno.
std::vector<std::string> EnumerateSerialPorts(const std::string& sysfs_tty = "/sys/class/tty");

// The names under sysfs_tty that have a device link, without the legacy UART
// slots whose port type is unknown (the kernel lists dozens that do not exist).
std::vector<std::string> SystemSerialPorts(const std::string& sysfs_tty);

// Splits the override variable's value into its names (empty items dropped,
// blanks around a name trimmed).
std::vector<std::string> SplitPortList(const std::string& text);

}  // namespace platform
