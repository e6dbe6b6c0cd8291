// SPDX-License-Identifier: GPL-3.0-or-later
// The line speed the driver ends up with, read back in both directions through
// the second terminal-settings interface (which <termios.h> cannot share a
// file with, hence a pseudo-terminal of our own here).
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "serial/com_port.h"

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace serial {
namespace {

class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0 && ptsname_r(master_, name, sizeof name) == 0)
            slave_ = name;
    }
    ~Pty() {
        if (master_ >= 0) close(master_);
    }
    const std::string& Slave() const { return slave_; }

    struct Speeds {
        uint32_t in = 0, out = 0;
        bool operator==(const Speeds&) const = default;
    };
    Speeds Read() const {
        struct termios2 t {};
        if (ioctl(master_, TCGETS2, &t) < 0) return {};
        return {t.c_ispeed, t.c_ospeed};
    }
    // What another program may leave behind: a rate of its own, set for
    // input and output separately.
    void LeaveSplitCustomRate(uint32_t in, uint32_t out) {
        struct termios2 t {};
        ASSERT_EQ(ioctl(master_, TCGETS2, &t), 0);
        t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
        t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
        t.c_ispeed = in;
        t.c_ospeed = out;
        ASSERT_EQ(ioctl(master_, TCSETS2, &t), 0);
    }

private:
    int master_ = -1;
    std::string slave_;
};

std::ostream& operator<<(std::ostream& os, const Pty::Speeds& s) { return os << s.in << "/" << s.out; }

// Each step sets a rate on the open port; input and output must both run at it,
// whatever rate came before (a custom one included).
TEST(ComPortLineSpeedTest, EveryRateAppliesToInputAndOutputAlike) {
    Pty pty;
    ASSERT_FALSE(pty.Slave().empty());
    TComPort port;
    port.SetPort(pty.Slave());
    port.SetEvents({});
    port.SetBaudRate(br14400);
    port.Open();
    EXPECT_EQ(pty.Read(), (Pty::Speeds{14400, 14400}));

    struct Step {
        TBaudRate rate;
        int32_t custom;
        uint32_t expected;
    };
    const Step steps[] = {
        {brCustom, 31250, 31250}, {br9600, 0, 9600},     {brCustom, 250000, 250000},
        {br115200, 0, 115200},    {br128000, 0, 128000}, {br4800, 0, 4800},
    };
    for (const Step& s : steps) {
        if (s.rate == brCustom) port.SetCustomBaudRate(s.custom);
        port.SetBaudRate(s.rate);
        EXPECT_EQ(pty.Read(), (Pty::Speeds{s.expected, s.expected})) << "rate " << s.expected;
    }
}

TEST(ComPortLineSpeedTest, OpeningReplacesARateAnotherProgramLeftBehind) {
    Pty pty;
    ASSERT_FALSE(pty.Slave().empty());
    pty.LeaveSplitCustomRate(31250, 1200);
    TComPort port;
    port.SetPort(pty.Slave());
    port.SetEvents({});
    port.Open();  // the trainer line: 9600
    EXPECT_EQ(pty.Read(), (Pty::Speeds{9600, 9600}));
}

}  // namespace
}  // namespace serial
