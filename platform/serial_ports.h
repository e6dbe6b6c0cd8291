// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The machine's serial ports: the tty devices the kernel lists under
// /sys/class/tty that stand for real hardware, or the list the environment
// variable CALIBRATION_TOOL_PORTS gives instead (names or absolute paths,
// separated by commas; set and empty means no port at all).
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Where the kernel tells about serial ports; another root lets tests use a
// small fake tree.
struct SerialPortSysfs {
    std::string tty_class = "/sys/class/tty";
    std::string serial_by_id = "/dev/serial/by-id";
    // Every character device by number (major:minor), linked to its class.
    std::string char_devices = "/sys/dev/char";
};

// What the USB device behind an adapter's tty says of itself (an empty text
// where it says nothing).
struct UsbAdapterInfo {
    std::string vendor_id;   // four hex digits, as sysfs writes them
    std::string product_id;
    std::string manufacturer;
    std::string product;
    std::string serial;
};

struct SerialPortInfo {
    std::string port;         // the name as listed or given
    std::string device_path;  // the file opening the port opens
    std::string kernel_name;  // the tty's name under the tty class (ttyUSB0)
    std::optional<UsbAdapterInfo> usb;
    std::string by_id_link;   // the /dev/serial/by-id link to it, empty when none
};

// Everything sysfs knows of a port; names the kernel does not list (a
// pseudo-terminal, a missing device) give just the names. Never throws.
SerialPortInfo DescribeSerialPort(const std::string& port, const SerialPortSysfs& sysfs = {});

// Whether this process may open a port's device file for reading and
// writing, and if not, who owns the file and what it is.
struct PortAccess {
    int error = 0;             // 0 = may open; else the errno the check gave
    std::string owner_group;   // the file's group, empty when unknown
    bool user_in_group = false;     // the group database lists the user in it
    bool process_has_group = false; // the process runs with that group
    // A directory, a regular file, a FIFO, or a character device of another
    // class than tty (/dev/null): nothing a serial line opens as.
    bool not_serial_device = false;
    // On a filesystem mounted nodev, where no device file opens, whatever its
    // permissions say.
    bool nodev_mount = false;
    bool user_owns = false;    // the file belongs to this process's user
    unsigned mode = 0;         // its permission bits (07777), 0 when unknown
};

// Checks without opening the device (the effective ids decide); a device's
// class is looked up in sysfs.char_devices, and one not listed there (a
// pseudo-terminal) counts as a possible serial device.
PortAccess CheckPortAccess(const std::string& device_path, const SerialPortSysfs& sysfs = {});

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
