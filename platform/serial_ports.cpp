// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/serial_ports.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "platform/serial_device.h"

namespace platform {
namespace {

bool Exists(const std::string& path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0;
}

// The serial core writes the port type next to each of its ttys; 0 means the
// slot has no hardware behind it.
bool UnknownUartType(const std::string& tty_dir) {
    std::ifstream in(tty_dir + "/type");
    int type = -1;
    if (!(in >> type)) return false;
    return type == 0;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::vector<std::string> SplitPortList(const std::string& text) {
    std::vector<std::string> names;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::string item = Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!item.empty()) names.push_back(item);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return names;
}

std::vector<std::string> SystemSerialPorts(const std::string& sysfs_tty) {
    DIR* dir = opendir(sysfs_tty.c_str());
    if (!dir) throw SerialDeviceError(errno);
    std::vector<std::string> names;
    errno = 0;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string tty_dir = sysfs_tty + "/" + name;
        if (!Exists(tty_dir + "/device")) continue;
        if (UnknownUartType(tty_dir)) continue;
        names.push_back(name);
    }
    closedir(dir);
    return names;
}

std::vector<std::string> EnumerateSerialPorts(const std::string& sysfs_tty) {
    if (const char* override_list = std::getenv("CALIBRATION_TOOL_PORTS")) return SplitPortList(override_list);
    return SystemSerialPorts(sysfs_tty);
}

}  // namespace platform
