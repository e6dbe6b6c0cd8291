// What sysfs tells about a port, read from a small fake tree
// (fixtures/sysfs: an FTDI adapter, a CDC-ACM board without a serial number,
// a main-board UART, a virtual console, and their /dev/serial/by-id links).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/serial_ports.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

const fs::path kFake = fs::path(QUARIX_PLATFORM_FIXTURES) / "sysfs";

SerialPortSysfs FakeSysfs() { return {(kFake / "class" / "tty").string(), (kFake / "dev" / "serial" / "by-id").string()}; }

TEST(SerialPortInfoTest, TheFakeTreeListsTheTtysWithHardware) {
    std::vector<std::string> names = SystemSerialPorts(FakeSysfs().tty_class);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyUSB0"}));
}

TEST(SerialPortInfoTest, DescribesEachKindOfPort) {
    struct Case {
        std::string port;
        bool usb;
        UsbAdapterInfo adapter;
        std::string by_id;  // file name in the by-id folder, empty = none
    };
    const Case cases[] = {
        {"ttyUSB0", true, {"0403", "6001", "FTDI", "FT232R USB UART", "A50285BI"},
         "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"},
        // The device link names the interface; the USB device is its parent.
        {"ttyACM0", true, {"2341", "0043", "Arduino (www.arduino.cc)", "Arduino Uno", ""},
         "usb-Arduino__www.arduino.cc__0043_-if00"},
        {"ttyS0", false, {}, ""},
        {"tty1", false, {}, ""},          // no device link
        {"ttyUSB9", false, {}, ""},       // not listed at all
        {"/dev/pts/0", false, {}, ""},    // a pseudo-terminal
    };
    for (const Case& c : cases) {
        const SerialPortInfo info = DescribeSerialPort(c.port, FakeSysfs());
        EXPECT_EQ(info.port, c.port);
        EXPECT_EQ(info.usb.has_value(), c.usb) << c.port;
        if (c.usb && info.usb) {
            EXPECT_EQ(info.usb->vendor_id, c.adapter.vendor_id) << c.port;
            EXPECT_EQ(info.usb->product_id, c.adapter.product_id) << c.port;
            EXPECT_EQ(info.usb->manufacturer, c.adapter.manufacturer) << c.port;
            EXPECT_EQ(info.usb->product, c.adapter.product) << c.port;
            EXPECT_EQ(info.usb->serial, c.adapter.serial) << c.port;
        }
        EXPECT_EQ(info.by_id_link, c.by_id.empty() ? "" : FakeSysfs().serial_by_id + "/" + c.by_id) << c.port;
    }
}

TEST(SerialPortInfoTest, APathOrALinkNamesTheTtyItLeadsTo) {
    // A link standing where /dev/serial/by-id would put it, to a file named
    // as the kernel names the tty.
    char pattern[] = "/tmp/by-id-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    std::ofstream(dir + "/ttyUSB0") << "";
    fs::create_symlink(dir + "/ttyUSB0", dir + "/usb-FTDI_link");

    const SerialPortInfo info = DescribeSerialPort(dir + "/usb-FTDI_link", FakeSysfs());
    EXPECT_EQ(info.device_path, dir + "/usb-FTDI_link");
    EXPECT_EQ(info.kernel_name, "ttyUSB0");
    ASSERT_TRUE(info.usb.has_value());
    EXPECT_EQ(info.usb->product, "FT232R USB UART");
    EXPECT_EQ(DescribeSerialPort("ttyUSB0", FakeSysfs()).device_path, "/dev/ttyUSB0");
    fs::remove_all(dir);
}

TEST(SerialPortInfoTest, AMissingTreeGivesTheNamesAlone) {
    const SerialPortInfo info = DescribeSerialPort("ttyUSB0", {"/nonexistent/tty", "/nonexistent/by-id"});
    EXPECT_EQ(info.kernel_name, "ttyUSB0");
    EXPECT_FALSE(info.usb.has_value());
    EXPECT_TRUE(info.by_id_link.empty());
    EXPECT_FALSE(DescribeSerialPort("", FakeSysfs()).usb.has_value());
}

TEST(SerialPortInfoTest, AccessIsCheckedWithoutOpening) {
    char pattern[] = "/tmp/port-access-XXXXXX";
    const int fd = ::mkstemp(pattern);
    ASSERT_GE(fd, 0);
    ::close(fd);
    PortAccess open_to_us = CheckPortAccess(pattern);
    EXPECT_EQ(open_to_us.error, 0);
    EXPECT_FALSE(open_to_us.owner_group.empty());
    // The file was made with our own group.
    EXPECT_TRUE(open_to_us.process_has_group);
    ::unlink(pattern);

    const PortAccess missing = CheckPortAccess(pattern);
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_TRUE(missing.owner_group.empty());
}

}  // namespace
}  // namespace platform
