#include "app/port_naming.h"

#include <array>
#include <string_view>

#include "app/search_ports.h"

namespace app {
namespace {

// Joining one of these would give far more than the serial ports.
constexpr std::array<std::string_view, 8> kPrivilegedGroups = {"root", "tty",   "disk", "kmem",
                                                               "wheel", "sudo", "adm",  "shadow"};

bool Privileged(const std::string& group) {
    for (const auto privileged : kPrivilegedGroups)
        if (group == privileged) return true;
    return false;
}

}  // namespace

std::string PortDisplayName(const platform::SerialPortInfo& info) {
    if (!info.usb) return info.port;
    const platform::UsbAdapterInfo& usb = *info.usb;
    std::string what = !usb.product.empty() ? usb.product : usb.manufacturer;
    if (what.empty()) what = "USB " + usb.vendor_id + ":" + usb.product_id;
    if (!usb.serial.empty()) what += ", serial " + usb.serial;
    return info.port + " (" + what + ")";
}

std::string PortDisplayName(const std::string& port) {
    return PortDisplayName(platform::DescribeSerialPort(port, CurrentSearchPorts().sysfs));
}

std::string PermissionDeniedHint(const std::string& device_path, const platform::PortAccess& access) {
    const std::string& group = access.owner_group;
    // Joining the group cannot help when the process has it already, and must
    // not be advised when the group is a privileged one.
    if (group.empty() || Privileged(group) || access.process_has_group) {
        const std::string whose = group.empty() ? std::string() : " (it belongs to the group '" + group + "')";
        return "permission denied: " + device_path + " is not open to users" + whose +
               "; ask the administrator, or add a udev rule that gives it to a group for serial ports such as "
               "'dialout'";
    }
    if (access.user_in_group)
        return "permission denied: you are in the group '" + group + "' that owns " + device_path +
               ", but programs started since your last login do not have it yet: log out and back in";
    return "permission denied: join the group '" + group + "' that owns " + device_path + " (sudo usermod -aG " +
           group + " $USER), then log out and back in";
}

}  // namespace app
