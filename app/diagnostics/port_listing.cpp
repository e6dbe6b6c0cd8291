// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/diagnostics/port_listing.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <exception>
#include <vector>

#include "app/diagnostics/port_naming.h"
#include "app/startup/search_ports.h"
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
        return QCoreApplication::translate("PortListing", "no such device").toStdString();
    default:
        break;
    }
    if (const std::string what = NotAPortText(access); !what.empty()) return what;
    switch (access.error) {
    case 0:
        return QCoreApplication::translate("PortListing", "may be opened").toStdString();
    case EACCES:
    case EPERM:
        if (ClosedToItsOwner(access))
            return QCoreApplication::translate("PortListing", "permission denied (yours, mode %1: chmod u+rw)")
                .arg(QString::fromStdString(platform::Format("%04o", access.mode)))
                .toStdString();
        return access.owner_group.empty()
                   ? QCoreApplication::translate("PortListing", "permission denied").toStdString()
                   : QCoreApplication::translate("PortListing", "permission denied (group '%1')")
                         .arg(QString::fromStdString(access.owner_group))
                         .toStdString();
    default:
        return QCoreApplication::translate("PortListing", "cannot be opened: %1")
            .arg(QString::fromLocal8Bit(std::strerror(access.error)))
            .toStdString();
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
        if (!usb.serial.empty())
            add(QCoreApplication::translate("PortListing", "serial %1")
                    .arg(QString::fromStdString(PrintableText(usb.serial)))
                    .toStdString());
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
        std::fprintf(errors, "calibration-tool: %s\n",
                     QCoreApplication::translate("PortListing", "cannot list the serial ports: %1")
                         .arg(QString::fromUtf8(e.what()))
                         .toLocal8Bit()
                         .constData());
        return 1;
    }
    const platform::SerialPortSysfs& sysfs = CurrentSearchPorts().sysfs;
    for (const std::string& port : ports) {
        const platform::SerialPortInfo info = platform::DescribeSerialPort(port, sysfs);
        std::fprintf(out, "%s\n", PortListingLine(info, PortAccessOf(info.device_path)).c_str());
    }
    return 0;
}

}  // namespace app
