// SPDX-License-Identifier: GPL-3.0-or-later
// What sysfs and the device file tell about one serial port: the USB adapter
// behind it, its /dev/serial/by-id link, and whether this user may open it.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/serial_device.h"
#include "platform/serial_ports.h"

namespace platform {
namespace {

// A USB device sits a few levels above its tty (interface, then port); the
// walk stops well before it could leave the device tree.
constexpr int kMaxLevelsToUsbDevice = 6;

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Parent(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return path.substr(0, slash);
}

std::optional<std::string> RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return std::nullopt;
    return std::string(resolved);
}

// One line of a sysfs attribute, without its newline; empty when absent.
std::string Attribute(const std::string& dir, const char* name) {
    std::ifstream in(dir + "/" + name);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

bool Exists(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

std::optional<UsbAdapterInfo> UsbAdapterOf(const std::string& tty_dir) {
    const auto device = RealPath(tty_dir + "/device");
    if (!device) return std::nullopt;
    std::string dir = *device;
    for (int level = 0; level <= kMaxLevelsToUsbDevice && dir != "/"; ++level, dir = Parent(dir)) {
        if (BaseName(dir) == "devices") break;
        if (!Exists(dir + "/idVendor")) continue;
        UsbAdapterInfo usb;
        usb.vendor_id = Attribute(dir, "idVendor");
        usb.product_id = Attribute(dir, "idProduct");
        usb.manufacturer = Attribute(dir, "manufacturer");
        usb.product = Attribute(dir, "product");
        usb.serial = Attribute(dir, "serial");
        return usb;
    }
    return std::nullopt;
}

// The by-id folder holds relative links (../../ttyUSB0); the last part of the
// target names the tty, so a fake folder needs no fake /dev beside it.
std::string ByIdLinkTo(const std::string& kernel_name, const std::string& by_id_dir) {
    DIR* dir = ::opendir(by_id_dir.c_str());
    if (!dir) return {};
    std::vector<std::string> links;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        char target[PATH_MAX];
        const ssize_t n = ::readlink((by_id_dir + "/" + name).c_str(), target, sizeof target - 1);
        if (n <= 0) continue;
        if (BaseName(std::string(target, static_cast<size_t>(n))) == kernel_name) links.push_back(by_id_dir + "/" + name);
    }
    ::closedir(dir);
    if (links.empty()) return {};
    // Several interfaces never share a tty, but keep the answer stable anyway.
    std::string first = links.front();
    for (const auto& link : links)
        if (link < first) first = link;
    return first;
}

bool ProcessHasGroup(gid_t gid) {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<size_t>(i)] == gid) return true;
    return false;
}

bool UserInGroupDatabase(gid_t gid) {
    const passwd* user = ::getpwuid(::geteuid());
    if (!user) return false;
    if (user->pw_gid == gid) return true;
    const std::string name = user->pw_name;
    const gid_t primary = user->pw_gid;
    int count = 32;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    if (::getgrouplist(name.c_str(), primary, groups.data(), &count) < 0) {
        groups.resize(static_cast<size_t>(count));
        if (::getgrouplist(name.c_str(), primary, groups.data(), &count) < 0) return false;
    }
    for (int i = 0; i < count; ++i)
        if (groups[static_cast<size_t>(i)] == gid) return true;
    return false;
}

// A character device whose class sysfs names, and it is not the tty class.
bool CharDeviceOfAnotherClass(dev_t device, const std::string& char_devices) {
    const std::string entry =
        char_devices + "/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    const auto subsystem = RealPath(entry + "/subsystem");
    return subsystem && BaseName(*subsystem) != "tty";
}

}  // namespace

SerialPortInfo DescribeSerialPort(const std::string& port, const SerialPortSysfs& sysfs) {
    SerialPortInfo info;
    info.port = port;
    info.device_path = SerialDevicePath(port);
    // A by-id link or any other link names the tty it points at.
    const auto resolved = RealPath(info.device_path);
    info.kernel_name = BaseName(resolved ? *resolved : info.device_path);
    if (info.kernel_name.empty()) return info;
    const std::string tty_dir = sysfs.tty_class + "/" + info.kernel_name;
    if (!Exists(tty_dir + "/device")) return info;
    info.usb = UsbAdapterOf(tty_dir);
    info.by_id_link = ByIdLinkTo(info.kernel_name, sysfs.serial_by_id);
    return info;
}

PortAccess CheckPortAccess(const std::string& device_path, const SerialPortSysfs& sysfs) {
    PortAccess access;
    if (::faccessat(AT_FDCWD, device_path.c_str(), R_OK | W_OK, AT_EACCESS) != 0) access.error = errno;
    struct stat st{};
    if (::stat(device_path.c_str(), &st) != 0) return access;
    access.not_serial_device = !S_ISCHR(st.st_mode) || CharDeviceOfAnotherClass(st.st_rdev, sysfs.char_devices);
    struct statvfs fs{};
    access.nodev_mount = ::statvfs(device_path.c_str(), &fs) == 0 && (fs.f_flag & ST_NODEV) != 0;
    access.user_owns = st.st_uid == ::geteuid();
    access.mode = static_cast<unsigned>(st.st_mode) & 07777u;
    if (const group* g = ::getgrgid(st.st_gid)) access.owner_group = g->gr_name;
    access.process_has_group = ProcessHasGroup(st.st_gid);
    access.user_in_group = UserInGroupDatabase(st.st_gid);
    return access;
}

}  // namespace platform
