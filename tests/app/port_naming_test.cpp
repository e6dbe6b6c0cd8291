// SPDX-License-Identifier: GPL-3.0-or-later
// Ports named by their adapters, the permission hint, and the --list-ports
// lines.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/diagnostics/port_listing.h"
#include "app/diagnostics/port_naming.h"
#include "search_ports_fixture.h"

namespace {
using testing_support::FakeSysfs;

TEST(PortNaming, AUsbAdapterIsNamedByWhatItSaysOfItself) {
    struct Case {
        const char* port;
        const char* expected;
    };
    const Case cases[] = {
        {"ttyUSB0", "ttyUSB0 (FT232R USB UART, serial A50285BI)"},
        {"ttyACM0", "ttyACM0 (Arduino Uno)"},  // no serial number
        // Terminal control codes in its strings are shown, not obeyed.
        {"ttyUSB1", R"x(ttyUSB1 (Contrôleur\x1b[2J\x1b[H USB, serial \xc2\x9b31m42\\7))x"},
        {"ttyS0", "ttyS0"},
        {"/dev/pts/0", "/dev/pts/0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::PortDisplayName(platform::DescribeSerialPort(c.port, FakeSysfs())), c.expected) << c.port;

    // An adapter that tells only its ids, or only its maker.
    platform::SerialPortInfo bare{"ttyUSB3", "/dev/ttyUSB3", "ttyUSB3", platform::UsbAdapterInfo{"1a86", "7523", "", "", ""}, {}};
    EXPECT_EQ(app::PortDisplayName(bare), "ttyUSB3 (USB 1a86:7523)");
    bare.usb->manufacturer = "QinHeng";
    EXPECT_EQ(app::PortDisplayName(bare), "ttyUSB3 (QinHeng)");
}

TEST(PortNaming, ADevicesOwnTextsAreMadeFitForATerminal) {
    struct Case {
        const char* what;
        std::string text;
        std::string printed;
    };
    const Case cases[] = {
        {"plain", "FT232R USB UART", "FT232R USB UART"},
        {"letters beyond ASCII", "Contrôleur série ™", "Contrôleur série ™"},
        {"a title-setting sequence", "\x1b]0;owned\x07", R"(\x1b]0;owned\x07)"},
        {"line ends and tabs", "a\rb\nc\td", R"(a\x0db\x0ac\x09d)"},
        {"a zero byte and DEL", std::string("a\0b\x7f", 4), R"(a\x00b\x7f)"},
        {"a C1 control (CSI)", "\xc2\x9b" "2J", R"(\xc2\x9b2J)"},
        {"the last C1 and the first letter after", "\xc2\x9f\xc2\xa0", "\\xc2\\x9f\xc2\xa0"},
        {"a backslash", R"(A\B)", R"(A\\B)"},
        {"a byte that is no UTF-8", "a\x9b" "b", R"(a\x9bb)"},
        {"a sequence cut short", "a\xc3", R"(a\xc3)"},
        {"an overlong form", "\xc0\xaf", R"(\xc0\xaf)"},
        {"a surrogate", "\xed\xa0\x80", R"(\xed\xa0\x80)"},
        {"four bytes", "\xf0\x9f\x9a\xb2", "\xf0\x9f\x9a\xb2"},
    };
    for (const Case& c : cases) EXPECT_EQ(app::PrintableText(c.text), c.printed) << c.what;
}

TEST(PortNaming, ThePermissionHintFitsTheGroup) {
    struct Case {
        const char* what;
        platform::PortAccess access;
        const char* expected;
    };
    const std::string path = "/dev/ttyUSB0";
    const std::string not_open =
        "permission denied: /dev/ttyUSB0 is not open to users%s; ask the administrator, or add a udev rule that "
        "gives it to a group for serial ports such as 'dialout'";
    auto not_open_with = [&](const std::string& whose) {
        std::string text = not_open;
        return text.replace(text.find("%s"), 2, whose);
    };
    const Case cases[] = {
        {"not in the group", {EACCES, "dialout", false, false},
         "permission denied: join the group 'dialout' that owns /dev/ttyUSB0 (sudo usermod -aG dialout $USER), then "
         "log out and back in"},
        {"joined since the last login", {EACCES, "uucp", true, false},
         "permission denied: you are in the group 'uucp' that owns /dev/ttyUSB0, but programs started since your "
         "last login do not have it yet: log out and back in"},
        {"the user's own, its owner's rights taken away", {EACCES, "root", false, false, false, false, true, 0066},
         "permission denied: /dev/ttyUSB0 is yours, but its mode (0066) keeps you from reading and writing it: "
         "chmod u+rw /dev/ttyUSB0"},
        {"the user's own, with rights", {EACCES, "dialout", false, false, false, false, true, 0660},
         "permission denied: join the group 'dialout' that owns /dev/ttyUSB0 (sudo usermod -aG dialout $USER), then "
         "log out and back in"},
        {"refused though the check lets the user in", {0, "dialout", true, true, false, false, true, 0660},
         "permission denied: the system refused to open /dev/ttyUSB0 although its permissions let you (a security "
         "policy or a container's device rules?)"},
    };
    for (const Case& c : cases) EXPECT_EQ(app::PermissionDeniedHint(path, c.access), c.expected) << c.what;

    // Groups that grant more than serial ports, a group the process has
    // already, and an owner nobody knows: never "join".
    struct Closed {
        const char* what;
        platform::PortAccess access;
        std::string whose;
    };
    const Closed closed[] = {
        {"root", {EACCES, "root", false, false}, " (it belongs to the group 'root')"},
        {"root, listed", {EACCES, "root", true, false}, " (it belongs to the group 'root')"},
        {"tty", {EACCES, "tty", true, true}, " (it belongs to the group 'tty')"},
        {"disk", {EACCES, "disk", false, false}, " (it belongs to the group 'disk')"},
        {"had already", {EACCES, "dialout", true, true}, " (it belongs to the group 'dialout')"},
        {"unknown owner", {EACCES, "", false, false}, ""},
    };
    for (const Closed& c : closed) {
        const std::string hint = app::PermissionDeniedHint(path, c.access);
        EXPECT_EQ(hint, not_open_with(c.whose)) << c.what;
        EXPECT_EQ(hint.find("usermod"), std::string::npos) << c.what;
    }
}

TEST(PortListing, ALineNamesThePortWhatItIsAndWhetherItMayBeOpened) {
    struct Case {
        const char* port;
        platform::PortAccess access;
        std::string expected;
    };
    const std::string by_id = FakeSysfs().serial_by_id + "/";
    const Case cases[] = {
        {"ttyUSB0", {0, "dialout", false, true},
         "ttyUSB0  USB 0403:6001  FTDI  FT232R USB UART  serial A50285BI  " + by_id +
             "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0  may be opened"},
        {"ttyACM0", {EACCES, "dialout", false, false},
         "ttyACM0  USB 2341:0043  Arduino (www.arduino.cc)  Arduino Uno  " + by_id +
             "usb-Arduino__www.arduino.cc__0043_-if00  permission denied (group 'dialout')"},
        {"ttyS0", {EACCES, "", false, false}, "ttyS0  permission denied"},
        {"ttyUSB9", {ENOENT, "", false, false}, "ttyUSB9  no such device"},
        {"/dev/pts/0", {EROFS, "tty", false, false}, "/dev/pts/0  cannot be opened: " + std::string(std::strerror(EROFS))},
        // The adapter's strings as a terminal may show them.
        {"ttyUSB1", {0, "dialout", false, true},
         R"x(ttyUSB1  USB 1a86:7523  \x1b]0;owned\x07QinHeng  Contrôleur\x1b[2J\x1b[H USB  serial \xc2\x9b31m42\\7  may be opened)x"},
        // What the file is comes before any permission.
        {"/dev/null", {0, "root", false, true, true}, "/dev/null  not a serial device"},
        {"/srv/tty0", {EACCES, "dialout", false, false, true}, "/srv/tty0  not a serial device"},
        {"/srv/ttyNODEV0", {0, "dialout", false, true, false, true}, "/srv/ttyNODEV0  " + std::string(app::kOnANodevMount)},
        {"/dev/ttyUSB5", {EACCES, "dialout", false, false, false, false, true, 0066},
         "/dev/ttyUSB5  permission denied (yours, mode 0066: chmod u+rw)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(app::PortListingLine(platform::DescribeSerialPort(c.port, FakeSysfs()), c.access), c.expected)
            << c.port;
}

TEST(PortListing, PrintsTheChosenPortsInTheOrderGivenAndFailsWithoutATtyDirectory) {
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = ::open_memstream(&text, &size);
    {
        testing_support::ScopedSearchPorts ports({"ttyUSB0", "/dev/null", "ttyACM0"});
        EXPECT_EQ(app::PrintPortList(out, stderr), 0);
    }
    std::fclose(out);
    const std::string lines = text;
    std::free(text);
    const size_t usb = lines.find("ttyUSB0  USB 0403:6001"), null = lines.find("/dev/null  not a serial device\n"),
                 acm = lines.find("ttyACM0  USB 2341:0043");
    ASSERT_NE(usb, std::string::npos) << lines;
    ASSERT_NE(null, std::string::npos) << lines;
    ASSERT_NE(acm, std::string::npos) << lines;
    EXPECT_LT(usb, null);
    EXPECT_LT(null, acm);

    std::FILE* errors = ::open_memstream(&text, &size);
    {
        testing_support::ScopedSearchPorts ports({}, {"/nonexistent/class/tty", "/nonexistent/by-id"});
        const char* old = std::getenv("CALIBRATION_TOOL_PORTS");
        const std::string saved = old ? old : "";
        ::unsetenv("CALIBRATION_TOOL_PORTS");
        EXPECT_EQ(app::PrintPortList(stdout, errors), 1);
        if (old) ::setenv("CALIBRATION_TOOL_PORTS", saved.c_str(), 1);
    }
    std::fclose(errors);
    EXPECT_EQ(std::string(text), "calibration-tool: cannot list the serial ports: Registry error (win error code: 2)\n");
    std::free(text);
}

}  // namespace
