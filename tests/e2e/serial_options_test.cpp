// SPDX-License-Identifier: GPL-3.0-or-later
// The built calibration-tool with its serial options: --list-ports without
// a display and without opening a port, --port's probing order, and --trace
// against a simulated console.
#include <sys/inotify.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/tool_driver.h"
#include "tools/console_sim/console_simulator.h"
#include "test_ports.h"

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string tool_path = CALIBRATION_TOOL_BINARY;

using Folder = testing_support::PortFolder;
using testing_support::SilentPort;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Every open of the watched files, seen by the kernel (a check of access
// rights opens nothing).
class OpenWatch {
public:
    OpenWatch() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~OpenWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Watch(const std::string& path) { return fd_ >= 0 && inotify_add_watch(fd_, path.c_str(), IN_OPEN) >= 0; }
    int Opens() {
        int opens = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<inotify_event*>(p);
                if (event->mask & IN_OPEN) ++opens;
                p += sizeof(inotify_event) + event->len;
            }
        }
        return opens;
    }

private:
    int fd_;
};

std::unique_ptr<console_sim::ConsoleSimulator> StartConsole(const Folder& folder, const std::string& name) {
    return testing_support::StartConsole(folder, name, 4, 22);
}

const char* kSettings =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\AppPath]\r\n"
    "\"AppPath\"=\"C:\\\\Trakova\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Versions]\r\n"
    "\"Soft. version\"=\"6.1.0.0\"\r\n";

// The tool on a private display until its window shows connected, then
// closed as the user closes it. Returns its output (stdout and stderr).
struct ToolRun {
    std::string output;
    bool connected = false;
    bool ended = false;
};
ToolRun RunConnected(const Folder& folder, const std::vector<std::string>& args, std::map<std::string, std::string> env,
                 const std::function<void()>& while_connected = {}) {
    tool_driver::XServer display;
    std::ofstream(folder.Path("user.reg"), std::ios::binary) << kSettings;
    env["DISPLAY"] = display.Name();
    env["QT_QPA_PLATFORM"] = "xcb";
    env["CALIBRATION_TOOL_SETTINGS"] = folder.Path("user.reg");
    tool_driver::Process tool(tool_path, args, env, folder.Path("tool.log"));
    ToolRun run;
    run.connected = display.WaitForWindow("Calibration tool - Connected", 30s, tool.pid());
    if (run.connected) {
        if (while_connected) while_connected();
        if (auto window = display.FindWindow("Calibration tool - Connected", tool.pid())) display.RequestClose(*window);
    }
    run.ended = tool.Wait(15s).has_value();
    if (!run.ended) tool.Kill();
    run.output = tool.Output();
    return run;
}

}  // namespace

TEST(SerialOptions, ListPortsPrintsThePortsInProbingOrderWithoutADisplayOrAnOpen) {
    Folder folder;
    SilentPort second(folder, "b-port"), first(folder, "a-port"), listed(folder, "listed");
    OpenWatch opens;
    ASSERT_TRUE(opens.Watch(first.Device()) && opens.Watch(second.Device()) && opens.Watch(listed.Device()));
    // No display at all: a window system would fail to start.
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    const std::map<std::string, std::string> no_display = {{"QT_QPA_PLATFORM", "xcb"}};

    struct Case {
        std::vector<std::string> args;
        std::string ports_variable;
        std::vector<std::string> expected;  // each line starts so
    };
    const Case cases[] = {
        // --port: in the order given, whatever the variable says.
        {{"--list-ports", "--port", second.Name(), "--port=" + first.Name(), "--port", folder.Path("gone")},
         listed.Name(),
         {second.Name() + "  may be opened", first.Name() + "  may be opened", folder.Path("gone") + "  no such device"}},
        // The variable's list, sorted as the search sorts it.
        {{"--list-ports"}, second.Name() + "," + first.Name(), {first.Name() + "  may be opened", second.Name() + "  may be opened"}},
    };
    for (const Case& c : cases) {
        auto env = no_display;
        env["CALIBRATION_TOOL_PORTS"] = c.ports_variable;
        tool_driver::Process tool(tool_path, c.args, env, folder.Path("list.log"));
        const auto status = tool.Wait(30s);
        ASSERT_TRUE(status) << tool.Output();
        ASSERT_TRUE(WIFEXITED(*status)) << tool.Output();
        EXPECT_EQ(WEXITSTATUS(*status), 0) << tool.Output();
        EXPECT_EQ(Lines(tool.Output()), c.expected) << tool.Output();
    }
    EXPECT_EQ(opens.Opens(), 0) << "--list-ports opened a port";
    EXPECT_TRUE(first.Drain().empty());
}

TEST(SerialOptions, PortProbesTheNamedPortsInTheOrderGiven) {
    Folder folder;
    // By name the console would come first; the environment names another.
    SilentPort first_given(folder, "z-silent"), listed(folder, "listed");
    auto console = StartConsole(folder, "a-console");
    const ToolRun run = RunConnected(folder, {"--port", first_given.Name(), "--port", console->SlavePath()},
                                 {{"CALIBRATION_TOOL_PORTS", listed.Name()}});
    ASSERT_TRUE(run.connected) << run.output;
    EXPECT_NE(first_given.Drain().find(std::string("\xF0\x08\x28\x00\x00\xF7", 6)), std::string::npos)
        << "the first port given was not probed";
    EXPECT_TRUE(listed.Drain().empty()) << "the environment's port was probed";
    EXPECT_TRUE(run.ended) << run.output;
}

TEST(SerialOptions, TraceToStandardErrorShowsTheConversation) {
    Folder folder;
    auto console = StartConsole(folder, "console");
    const ToolRun run = RunConnected(folder, {"--port", console->SlavePath(), "--trace", "-"}, {}, [&] {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (console->State().measurements_sent < 10 && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(50ms);
    });
    ASSERT_TRUE(run.connected) << run.output;
    ASSERT_TRUE(run.ended) << run.output;
    const std::regex frame(R"( *\d+ ms  (to console    |from console  )[0-9A-F]{2}( [0-9A-F]{2})*(  .+)?)");
    std::vector<std::string> trace;
    for (const std::string& line : Lines(run.output))
        if (std::regex_match(line, frame) || line.find(" ms  port ") != std::string::npos) trace.push_back(line);
    auto has = [&](const std::string& what) {
        for (const auto& line : trace)
            if (line.find(what) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(has("ms  port opened   " + console->SlavePath())) << run.output;
    EXPECT_TRUE(has("ms  to console    F0 08 28 00 00 F7  identification request")) << run.output;
    EXPECT_TRUE(has("ms  from console  F0 08 50 00 00 F7  identification answer, Version 4")) << run.output;
    EXPECT_TRUE(has("ms  from console  F0 03 01 23 45 F7  serial number 74565")) << run.output;
    EXPECT_TRUE(has("  status: no key, roll count ")) << run.output;
    EXPECT_TRUE(has("ms  to console    F0 01 ")) << run.output;
    // The window's close ends the connection; the last line is written at exit.
    ASSERT_FALSE(trace.empty());
    EXPECT_NE(trace.back().find("port closed   " + console->SlavePath()), std::string::npos) << run.output;
}

TEST(SerialOptions, ATraceThatCannotBeWrittenStopsWithOneLineAndTheToolGoesOn) {
    Folder folder;
    auto console = StartConsole(folder, "console");
    const ToolRun run = RunConnected(folder, {"--port", console->SlavePath(), "--trace=/dev/full"}, {},
                                 [] { std::this_thread::sleep_for(1500ms); });
    ASSERT_TRUE(run.connected) << run.output;
    const std::string said = "calibration-tool: cannot write the trace to /dev/full: ";
    const size_t first = run.output.find(said);
    EXPECT_NE(first, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(said, first + 1), std::string::npos) << run.output;
    EXPECT_TRUE(run.ended) << run.output;
}

TEST(SerialOptions, TheTraceIsWrittenWhenTheUserGivesUpTheSearch) {
    Folder folder;
    SilentPort silent(folder, "silent");
    tool_driver::XServer display;
    const std::string trace = folder.Path("trace.txt");
    tool_driver::Process tool(tool_path, {"--port", silent.Name(), "--trace", trace},
                              {{"DISPLAY", display.Name()}, {"QT_QPA_PLATFORM", "xcb"},
                               {"CALIBRATION_TOOL_SETTINGS", "/nonexistent.reg"}},
                              folder.Path("tool.log"));
    ASSERT_TRUE(display.WaitForWindow("Erreur", 60s, tool.pid())) << tool.Output();
    const auto dialog = display.FindWindow("Erreur", tool.pid());
    ASSERT_TRUE(dialog);
    // "&Non", as a keyboard user answers; the process then ends at once.
    const std::string command =
        "DISPLAY=" + display.Name() + " xdotool windowfocus --sync " + std::to_string(*dialog) + " key alt+n";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const auto status = tool.Wait(15s);
    ASSERT_TRUE(status) << tool.Output();
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);

    std::ifstream in(trace);
    std::stringstream text;
    text << in.rdbuf();
    const std::vector<std::string> lines = Lines(text.str());
    // Three rounds: opened, asked three times, closed, each time.
    int opened = 0, asked = 0, closed = 0;
    for (const std::string& line : lines) {
        if (line.find("port opened   " + silent.Name()) != std::string::npos) ++opened;
        if (line.find("to console    F0 08 28 00 00 F7  identification request") != std::string::npos) ++asked;
        if (line.find("port closed   " + silent.Name()) != std::string::npos) ++closed;
    }
    EXPECT_EQ(opened, 3) << text.str();
    EXPECT_EQ(closed, 3) << text.str();
    EXPECT_EQ(asked, 9) << text.str();
}

// What the machine itself says a file is: /dev/null is of the mem class in
// its sysfs; a folder and a plain file are no devices at all.
TEST(SerialOptions, ListPortsSaysWhichNamesAreNoSerialDevices) {
    Folder folder;
    SilentPort port(folder, "a-port");
    const std::string plain = folder.Path("b-plain"), sub = folder.Path("c-folder");
    std::ofstream(plain) << "text\n";
    std::filesystem::create_directory(sub);
    tool_driver::Process tool(tool_path, {"--list-ports"},
                              {{"QT_QPA_PLATFORM", "offscreen"},
                               {"CALIBRATION_TOOL_PORTS", port.Name() + "," + plain + "," + sub + ",/dev/null"}},
                              folder.Path("list.log"));
    const auto status = tool.Wait(30s);
    ASSERT_TRUE(status) << tool.Output();
    ASSERT_TRUE(WIFEXITED(*status)) << tool.Output();
    EXPECT_EQ(WEXITSTATUS(*status), 0) << tool.Output();
    EXPECT_EQ(Lines(tool.Output()),
              (std::vector<std::string>{"/dev/null  not a serial device", port.Name() + "  may be opened",
                                        plain + "  not a serial device", sub + "  not a serial device"}))
        << tool.Output();
}
