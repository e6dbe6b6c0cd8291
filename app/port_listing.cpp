#include "app/port_listing.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <vector>

#include "app/search_ports.h"

namespace app {
namespace {

// Fields are set apart by two spaces: the adapter's own texts hold single ones.
constexpr const char* kSeparator = "  ";

std::string AccessText(const platform::PortAccess& access) {
    switch (access.error) {
    case 0:
        return "may be opened";
    case EACCES:
    case EPERM:
        return access.owner_group.empty() ? "permission denied"
                                          : "permission denied (group '" + access.owner_group + "')";
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return "no such device";
    default:
        return std::string("cannot be opened: ") + std::strerror(access.error);
    }
}

}  // namespace

std::string PortListingLine(const platform::SerialPortInfo& info, const platform::PortAccess& access) {
    std::string line = info.port;
    auto add = [&line](const std::string& field) {
        if (!field.empty()) line += kSeparator + field;
    };
    if (info.usb) {
        const platform::UsbAdapterInfo& usb = *info.usb;
        add("USB " + usb.vendor_id + ":" + usb.product_id);
        add(usb.manufacturer);
        add(usb.product);
        if (!usb.serial.empty()) add("serial " + usb.serial);
    }
    add(info.by_id_link);
    add(AccessText(access));
    return line;
}

int PrintPortList(std::FILE* out, std::FILE* errors) {
    std::vector<std::string> ports;
    try {
        ListSearchPorts(ports);
    } catch (const std::exception& e) {
        std::fprintf(errors, "calibration-tool: cannot list the serial ports: %s\n", e.what());
        return 1;
    }
    const platform::SerialPortSysfs& sysfs = CurrentSearchPorts().sysfs;
    for (const std::string& port : ports) {
        const platform::SerialPortInfo info = platform::DescribeSerialPort(port, sysfs);
        std::fprintf(out, "%s\n", PortListingLine(info, platform::CheckPortAccess(info.device_path)).c_str());
    }
    return 0;
}

}  // namespace app
