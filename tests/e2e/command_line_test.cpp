// SPDX-License-Identifier: GPL-3.0-or-later
// The built calibration-tool's command line where there is no graphical
// session (over ssh, in a service): every word is judged, and every answer
// given, before a window system is asked; without one the tool says so in
// one line instead of aborting; the window system's own options still reach
// it.
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "e2e/tool_driver.h"
#include "test_ports.h"
#include "test_support.h"

namespace {
using namespace std::chrono_literals;

const std::string tool_path = CALIBRATION_TOOL_BINARY;
const std::string kTryHelp = "Try 'calibration-tool --help' for more information.\n";

// No graphical session at all while it lives, and no platform chosen.
struct NoGraphicalSession {
    testing_support::EnvScope display{"DISPLAY", std::nullopt};
    testing_support::EnvScope wayland{"WAYLAND_DISPLAY", std::nullopt};
    testing_support::EnvScope platform{"QT_QPA_PLATFORM", std::nullopt};
};

TEST(CommandLine, AnswersAndRefusalsComeWithoutAWindowSystem) {
    testing_support::PortFolder folder;
    NoGraphicalSession no_session;
    const std::string fifo = folder.Path("nobody-reads");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string no_space = std::strerror(ENOSPC);

    const struct Case {
        std::vector<std::string> args;
        std::map<std::string, std::string> env;
        std::string stdout_path;  // empty: with the standard error
        int status;
        std::string output;  // all of it, or its start when `prefix`
        bool prefix = false;
    } cases[] = {
        // No window system at all: one line, status 1, no abort and no core.
        {{}, {}, {}, 1,
         "calibration-tool: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot "
         "open; --help and --list-ports work without one\n"},
        {{}, {{"DISPLAY", ":none"}}, {}, 1,
         "calibration-tool: cannot reach the graphical session (DISPLAY=':none', WAYLAND_DISPLAY unset): the window "
         "cannot open\n"},
        // What the tool does not take, whatever the display.
        {{"-v"}, {}, {}, 2, "calibration-tool: unrecognized option '-v'\n" + kTryHelp},
        {{"-x"}, {}, {}, 2, "calibration-tool: unrecognized option '-x'\n" + kTryHelp},
        {{"ttyUSB0"}, {}, {}, 2, "calibration-tool: extra operand 'ttyUSB0' (a port is named with --port NAME)\n" + kTryHelp},
        {{"--list-ports", "ttyUSB0"}, {}, {}, 2,
         "calibration-tool: extra operand 'ttyUSB0' (a port is named with --port NAME)\n" + kTryHelp},
        {{"--list-ports", "-x"}, {}, {}, 2, "calibration-tool: unrecognized option '-x'\n" + kTryHelp},
        {{"--port="}, {}, {}, 2, "calibration-tool: option '--port' requires a non-empty argument\n" + kTryHelp},
        {{"--demo", "--port", "ttyUSB0"}, {}, {}, 2,
         "calibration-tool: --demo searches only its own simulated trainer: it cannot be combined with --port\n" +
             kTryHelp},
        // A trace nobody reads yet is refused at once, not waited for.
        {{"--trace", fifo}, {}, {}, 2,
         "calibration-tool: cannot open the trace file " + fifo + ": nothing reads this FIFO yet (start its reader "
         "first)\n"},
        // The answers need no display...
        {{"--help"}, {}, {}, 0, "Usage: calibration-tool [OPTION]...\n", true},
        {{"--list-ports"}, {{"CALIBRATION_TOOL_PORTS", "/nonexistent"}}, {}, 0, "/nonexistent  ", true},
        // ...and one that is lost is no success.
        {{"--help"}, {}, "/dev/full", 1, "calibration-tool: cannot write to standard output: " + no_space + "\n"},
        {{"--version"}, {}, "/dev/full", 1, "calibration-tool: cannot write to standard output: " + no_space + "\n"},
        {{"--list-ports"}, {{"CALIBRATION_TOOL_PORTS", "/nonexistent"}}, "/dev/full", 1,
         "calibration-tool: cannot write to standard output: " + no_space + "\n"},
    };
    for (const Case& c : cases) {
        const std::string shown = testing::PrintToString(c.args) + (c.stdout_path.empty() ? "" : " > " + c.stdout_path);
        tool_driver::Process tool(tool_path, c.args, c.env, folder.Path("tool.log"), c.stdout_path);
        const auto status = tool.Wait(30s);
        ASSERT_TRUE(status) << shown << " still runs\n" << tool.Output();
        if (!WIFEXITED(*status)) {
            ADD_FAILURE() << shown << " ended by signal " << WTERMSIG(*status) << "\n" << tool.Output();
            continue;
        }
        EXPECT_EQ(WEXITSTATUS(*status), c.status) << shown << "\n" << tool.Output();
        if (c.prefix) EXPECT_EQ(tool.Output().substr(0, c.output.size()), c.output) << shown;
        else EXPECT_EQ(tool.Output(), c.output) << shown;
    }
}

// Qt's own one-dash options pass the tool's command line: with -platform the
// tool starts where no display is, and runs until it is told to end.
TEST(CommandLine, TheWindowSystemsOwnOptionsReachIt) {
    testing_support::PortFolder folder;
    NoGraphicalSession no_session;
    tool_driver::Process tool(tool_path, {"-platform", "offscreen", "-style", "Fusion", "-reverse"},
                              {{"CALIBRATION_TOOL_PORTS", ""}, {"CALIBRATION_TOOL_SETTINGS", "/nonexistent.reg"}},
                              folder.Path("tool.log"));
    // Running, with the search's dialog open, well past a refusal or a
    // failed start of the window system.
    std::this_thread::sleep_for(3s);
    ASSERT_TRUE(tool.Running()) << tool.Output();
    ASSERT_EQ(::kill(tool.pid(), SIGTERM), 0);
    const auto status = tool.Wait(20s);
    ASSERT_TRUE(status) << tool.Output();
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM) << "status " << *status << "\n" << tool.Output();
    EXPECT_EQ(tool.Output().find("unrecognized"), std::string::npos) << tool.Output();
}

}  // namespace
