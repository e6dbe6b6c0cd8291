// SPDX-License-Identifier: GPL-3.0-or-later
// What sysfs tells about a port, read from a small fake tree
// (fixtures/sysfs: an FTDI adapter, a CDC-ACM board without a serial number,
// an adapter whose descriptor strings hold terminal control codes, a
// main-board UART, a virtual console, their /dev/serial/by-id links, and
// /dev/null's class), and what the device file is and who may open it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "platform/serial_ports.h"
#include "tools/console_sim/pseudo_terminal.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

const fs::path kFake = fs::path(QUARIX_PLATFORM_FIXTURES) / "sysfs";

// The tree stands for /sys and /dev/serial at once: dev/char is /sys/dev/char.
SerialPortSysfs FakeSysfs() {
    return {(kFake / "class" / "tty").string(), (kFake / "dev" / "serial" / "by-id").string(),
            (kFake / "dev" / "char").string()};
}

TEST(SerialPortInfoTest, TheFakeTreeListsTheTtysWithHardware) {
    std::vector<std::string> names = SystemSerialPorts(FakeSysfs().tty_class);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyUSB0", "ttyUSB1"}));
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
        // The strings as the kernel hands them over, control codes and all:
        // printing them safely is the printer's business.
        {"ttyUSB1", true, {"1a86", "7523", "\x1b]0;owned\x07QinHeng", "Contr\xc3\xb4leur\x1b[2J\x1b[H USB",
                           "\xc2\x9b" "31m42\\7"}, ""},
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

// What a file is, found without opening it: a directory, a plain file or a
// device of another class is no serial device; one on a filesystem mounted
// nodev opens for nobody.
TEST(SerialPortInfoTest, AccessIsCheckedWithoutOpening) {
    char pattern[] = "/tmp/port-access-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    const std::string plain = dir + "/plain";
    std::ofstream(plain) << "";
    ::chmod(plain.c_str(), 0640);
    console_sim::PseudoTerminal pty;
    pty.Open();
    ::chmod(pty.SlaveName().c_str(), 0620);
    struct Case {
        const char* what;
        std::string path;
        SerialPortSysfs sysfs;
        std::string expected;  // error, not a serial device, nodev, mode
    };
    const SerialPortSysfs unknown{"/nonexistent/tty", "/nonexistent/by-id", "/nonexistent/char"};
    const Case cases[] = {
        {"a pseudo-terminal", pty.SlaveName(), FakeSysfs(), "0 serial dev 0620"},
        {"a plain file", plain, FakeSysfs(), "0 not-serial dev 0640"},
        {"a folder", dir, FakeSysfs(), "0 not-serial dev 0700"},
        {"/dev/null, of the mem class", "/dev/null", FakeSysfs(), "0 not-serial dev 0666"},
        // A device the tree does not know might be a terminal.
        {"/dev/null, unknown", "/dev/null", unknown, "0 serial dev 0666"},
        {"missing", dir + "/gone", FakeSysfs(), std::to_string(ENOENT) + " serial dev 0000"},
    };
    auto describe = [](const PortAccess& a) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", a.mode);
        return std::to_string(a.error) + (a.not_serial_device ? " not-serial" : " serial") +
               (a.nodev_mount ? " nodev " : " dev ") + mode;
    };
    for (const Case& c : cases) EXPECT_EQ(describe(CheckPortAccess(c.path, c.sysfs)), c.expected) << c.what;

    const PortAccess ours = CheckPortAccess(plain, FakeSysfs());
    EXPECT_TRUE(ours.user_owns);
    EXPECT_FALSE(ours.owner_group.empty());
    EXPECT_TRUE(ours.process_has_group);  // made with our own group
    EXPECT_TRUE(CheckPortAccess(dir + "/gone").owner_group.empty());

    // As a user who is not root: no rights is EACCES, and a file of the
    // user's own says so.
    const int denied_file = ::open((dir + "/closed").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(denied_file, 0);
    ::close(denied_file);
    ::chmod(dir.c_str(), 0755);
    const std::string closed = dir + "/closed";
    ::chmod(closed.c_str(), 0);
    ::chmod(pty.SlaveName().c_str(), 0066);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(pty.SlaveName().c_str(), testing_support::Unprivileged().uid, -1), 0);
    }
    const auto as_user = testing_support::AsUnprivilegedUser([&] {
        const PortAccess none = CheckPortAccess(closed, FakeSysfs());
        const PortAccess own = CheckPortAccess(pty.SlaveName(), FakeSysfs());
        return std::to_string(none.error) + (none.user_owns ? " own" : " other's") + " | " +
               std::to_string(own.error) + (own.user_owns ? " own " : " other's ") + describe(own);
    });
    ASSERT_TRUE(as_user.has_value()) << "the child failed";
    EXPECT_EQ(*as_user, std::to_string(EACCES) + (::geteuid() == 0 ? " other's" : " own") + " | " +
                            std::to_string(EACCES) + " own " + std::to_string(EACCES) + " serial dev 0066");

    // The same pseudo-terminal's device number, on a filesystem mounted nodev.
    struct stat st{};
    ASSERT_EQ(::stat(pty.SlaveName().c_str(), &st), 0);
    const auto on_nodev = testing_support::OnNodevMount(
        st.st_rdev, [&](const std::string& node) { return describe(CheckPortAccess(node, FakeSysfs())); });
    ASSERT_TRUE(on_nodev.has_value()) << "the child failed";
    fs::remove_all(dir);
    if (on_nodev->rfind(testing_support::kCannotMount, 0) == 0) GTEST_SKIP() << *on_nodev;
    // The check itself lets root in: only the mount flag tells.
    EXPECT_EQ(*on_nodev, ::geteuid() == 0 ? "0 serial nodev 0666" : std::to_string(EACCES) + " serial nodev 0666");
}

}  // namespace
}  // namespace platform
