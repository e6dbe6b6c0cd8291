// SPDX-License-Identifier: GPL-3.0-or-later
// The port list: the environment's override and the system's tty directory
// (a small fake of it in a temporary folder).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>

#include "serial/com_port.h"
#include "serial/list_serial_ports.h"

namespace serial {
namespace {

namespace fs = std::filesystem;

// Sets (or unsets) CALIBRATION_TOOL_PORTS for one test and restores it after.
class PortsVariable {
public:
    explicit PortsVariable(std::optional<std::string> value) {
        if (const char* old = getenv(kName)) previous_ = old;
        if (value)
            setenv(kName, value->c_str(), 1);
        else
            unsetenv(kName);
    }
    ~PortsVariable() {
        if (previous_)
            setenv(kName, previous_->c_str(), 1);
        else
            unsetenv(kName);
    }

private:
    static constexpr const char* kName = "CALIBRATION_TOOL_PORTS";
    std::optional<std::string> previous_;
};

// A fake /sys/class/tty: entry -> (has a device link, serial-core type or -1 for none).
class FakeTtyClass {
public:
    FakeTtyClass() {
        char pattern[] = "/tmp/tty-class-XXXXXX";
        root_ = mkdtemp(pattern);
    }
    ~FakeTtyClass() { fs::remove_all(root_); }
    void Add(const std::string& name, bool device, int type = -1) {
        const fs::path dir = fs::path(root_) / name;
        fs::create_directories(dir);
        if (device) fs::create_directory_symlink(root_, dir / "device");
        if (type >= 0) std::ofstream(dir / "type") << type << "\n";
    }
    const std::string& Root() const { return root_; }

private:
    std::string root_;
};

TEST(ListSerialPortsTest, TheOverrideReplacesTheSystemListSortedAsText) {
    struct Case {
        const char* value;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"ttyS2,ttyS10,ttyS1", {"ttyS1", "ttyS10", "ttyS2"}},
        {"COM3,COM1,COM10", {"COM1", "COM10", "COM3"}},
        {"ttyUSB0,ttyUSB0", {"ttyUSB0", "ttyUSB0"}},
        {"b, A ,/dev/pts/7", {"/dev/pts/7", "A", "b"}},
        {"ttyacm1,ttyACM0", {"ttyACM0", "ttyacm1"}},
        {"", {}},
        {",,", {}},
    };
    for (const Case& c : cases) {
        PortsVariable ports(std::string(c.value));
        std::vector<std::string> list = {"stale"};
        ListSerialPorts(list);
        EXPECT_EQ(list, c.expected) << c.value;
    }
}

TEST(ListSerialPortsTest, TheSystemListHoldsTtysWithHardwareOnly) {
    PortsVariable ports(std::nullopt);
    FakeTtyClass sys;
    sys.Add("ttyS0", true, 4);    // a real UART
    sys.Add("ttyS1", true, 0);    // a legacy slot with nothing behind it
    sys.Add("ttyS10", true, 4);
    sys.Add("ttyUSB0", true);     // no serial-core type: kept
    sys.Add("tty1", false);       // virtual console: no device link
    sys.Add("ptmx", false);
    std::vector<std::string> list;
    ListSerialPorts(list, sys.Root());
    EXPECT_EQ(list, (std::vector<std::string>{"ttyS0", "ttyS10", "ttyUSB0"}));

    FakeTtyClass empty;
    list = {"stale"};
    ListSerialPorts(list, empty.Root());
    EXPECT_TRUE(list.empty());
}

TEST(ListSerialPortsTest, AMissingTtyDirectoryRaises23AndLeavesTheListAlone) {
    PortsVariable ports(std::nullopt);
    std::vector<std::string> list = {"kept"};
    try {
        ListSerialPorts(list, "/tmp/no-such-tty-class-directory");
        FAIL() << "expected code 23";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 23);
        EXPECT_EQ(e.OSErrorCode(), ENOENT);
        EXPECT_EQ(e.Message(), "Registry error (win error code: " + std::to_string(ENOENT) + ")");
    }
    EXPECT_EQ(list, std::vector<std::string>{"kept"});
}

TEST(ListSerialPortsTest, AnOverrideNameIsUsedAsThePortAsItStands) {
    // A path from the list is exactly what Port takes.
    char pattern[] = "/tmp/not-a-port-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    PortsVariable ports{std::string(pattern)};
    std::vector<std::string> list;
    ListSerialPorts(list);
    ASSERT_EQ(list, std::vector<std::string>{pattern});
    TComPort port;
    port.SetPort(list[0]);
    // A file that is no terminal is no serial line.
    try {
        port.Open();
        ADD_FAILURE() << "a plain file opened as a port";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_EQ(e.OSErrorCode(), ENOTTY);
    }
    EXPECT_FALSE(port.Connected());
    unlink(pattern);
}

}  // namespace
}  // namespace serial
