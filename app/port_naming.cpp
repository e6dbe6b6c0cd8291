#include "app/port_naming.h"

#include <QCoreApplication>
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
    if (!usb.serial.empty())
        what += QCoreApplication::translate("PortNaming", ", serial %1")
                    .arg(QString::fromStdString(usb.serial))
                    .toStdString();
    return info.port + " (" + what + ")";
}

std::string PortDisplayName(const std::string& port) {
    return PortDisplayName(platform::DescribeSerialPort(port, CurrentSearchPorts().sysfs));
}

std::string PermissionDeniedHint(const std::string& device_path, const platform::PortAccess& access) {
    const QString group = QString::fromStdString(access.owner_group);
    const QString path = QString::fromStdString(device_path);
    // Joining the group cannot help when the process has it already, and must
    // not be advised when the group is a privileged one.
    if (group.isEmpty() || Privileged(access.owner_group) || access.process_has_group) {
        if (group.isEmpty())
            return QCoreApplication::translate("PortNaming",
                                               "permission denied: %1 is not open to users; ask the administrator, "
                                               "or add a udev rule that gives it to a group for serial ports such as "
                                               "'dialout'")
                .arg(path)
                .toStdString();
        return QCoreApplication::translate("PortNaming",
                                           "permission denied: %1 is not open to users (it belongs to the group "
                                           "'%2'); ask the administrator, or add a udev rule that gives it to a "
                                           "group for serial ports such as 'dialout'")
            .arg(path, group)
            .toStdString();
    }
    if (access.user_in_group)
        return QCoreApplication::translate("PortNaming",
                                           "permission denied: you are in the group '%1' that owns %2, but programs "
                                           "started since your last login do not have it yet: log out and back in")
            .arg(group, path)
            .toStdString();
    return QCoreApplication::translate("PortNaming",
                                       "permission denied: join the group '%1' that owns %2 (sudo usermod -aG %1 "
                                       "$USER), then log out and back in")
        .arg(group, path)
        .toStdString();
}

}  // namespace app
