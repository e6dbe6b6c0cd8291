#include "app/port_listing.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <vector>

#include "app/port_naming.h"
#include "app/search_ports.h"
#include "platform/format.h"

namespace app {
namespace {

// Fields are set apart by two spaces: the adapter's own texts hold single ones.
constexpr const char* kSeparator = "  ";

std::string AccessText(const platform::PortAccess& access) {
    switch (access.error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return "no such device";
    default:
        break;
    }
    if (const std::string what = NotAPortText(access); !what.empty()) return what;
    switch (access.error) {
    case 0:
        return "may be opened";
    case EACCES:
    case EPERM:
        if (ClosedToItsOwner(access))
            return "permission denied (yours, mode " + platform::Format("%04o", access.mode) + ": chmod u+rw)";
        return access.owner_group.empty() ? "permission denied"
                                          : "permission denied (group '" + access.owner_group + "')";
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
        add(PrintableText("USB " + usb.vendor_id + ":" + usb.product_id));
        add(PrintableText(usb.manufacturer));
        add(PrintableText(usb.product));
        if (!usb.serial.empty()) add("serial " + PrintableText(usb.serial));
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
        std::fprintf(out, "%s\n", PortListingLine(info, PortAccessOf(info.device_path)).c_str());
    }
    std::fflush(out);
    return 0;
}

}  // namespace app
