// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/diagnostics/port_naming.h"

#include <QCoreApplication>
#include <array>
#include <string_view>

#include "app/startup/search_ports.h"
#include "platform/format.h"

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

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence starting at `at` (no overlong
// forms, no surrogates, nothing above U+10FFFF), 0 when there is none.
size_t Utf8SequenceAt(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (!Continuation(byte(at + i))) return 0;
    return length;
}

}  // namespace

std::string PrintableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    auto escape = [&out](unsigned char c) { out += platform::Format("\\x%02x", c); };
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\\') {
            out += "\\\\";
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            escape(c);
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const size_t length = Utf8SequenceAt(text, i); length == 0) {
            escape(c);
            ++i;
        } else if (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // U+0080 to U+009F: the C1 controls, which terminals obey too.
            escape(c);
            escape(static_cast<unsigned char>(text[i + 1]));
            i += 2;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

std::string PortDisplayName(const platform::SerialPortInfo& info) {
    if (!info.usb) return info.port;
    const platform::UsbAdapterInfo& usb = *info.usb;
    std::string what = !usb.product.empty() ? usb.product : usb.manufacturer;
    if (what.empty()) what = "USB " + usb.vendor_id + ":" + usb.product_id;
    if (!usb.serial.empty())
        what += QCoreApplication::translate("PortNaming", ", serial %1")
                    .arg(QString::fromStdString(usb.serial))
                    .toStdString();
    return info.port + " (" + PrintableText(what) + ")";
}

std::string PortDisplayName(const std::string& port) {
    return PortDisplayName(platform::DescribeSerialPort(port, CurrentSearchPorts().sysfs));
}

platform::PortAccess PortAccessOf(const std::string& device_path) {
    return platform::CheckPortAccess(device_path, CurrentSearchPorts().sysfs);
}

std::string NotAPortText(const platform::PortAccess& access) {
    if (access.not_serial_device) return QCoreApplication::translate("PortNaming", kNotASerialDevice).toStdString();
    if (access.nodev_mount) return QCoreApplication::translate("PortNaming", kOnANodevMount).toStdString();
    return {};
}

bool ClosedToItsOwner(const platform::PortAccess& access) {
    return access.user_owns && (access.mode & 0600u) != 0600u;
}

std::string PermissionDeniedHint(const std::string& device_path, const platform::PortAccess& access) {
    const QString path = QString::fromStdString(device_path);
    // The check lets this user in, yet the open was refused: neither a group
    // nor the file's mode is the cause.
    if (access.error == 0)
        return QCoreApplication::translate("PortNaming",
                                           "permission denied: the system refused to open %1 although its "
                                           "permissions let you (a security policy or a container's device rules?)")
            .arg(path)
            .toStdString();
    if (ClosedToItsOwner(access))
        return QCoreApplication::translate("PortNaming",
                                           "permission denied: %1 is yours, but its mode (%2) keeps you from reading "
                                           "and writing it: chmod u+rw %1")
            .arg(path, QString::fromStdString(platform::Format("%04o", access.mode)))
            .toStdString();
    const QString group = QString::fromStdString(access.owner_group);
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
