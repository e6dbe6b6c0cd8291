// SPDX-License-Identifier: GPL-3.0-or-later
// The built calibration-tool on a private X display, driven with xdotool:
// started with CALIBRATION_TOOL_PORTS naming a simulated console and
// CALIBRATION_TOOL_SETTINGS naming a settings file, as a rider would start it.
#include "e2e/tool_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <vector>
#include <optional>
#include <string>
#include <thread>

#include "tools/console_sim/console_simulator.h"

namespace {
namespace fs = std::filesystem;
using tool_driver::Clock;
using namespace std::chrono_literals;

const std::string tool_path = CALIBRATION_TOOL_BINARY;

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

// An X display of its own per test (a free number chosen by the server, so
// parallel runs never collide), and the window named `title` on it as the
// number xdotool takes.
class VirtualDisplay {
public:
    const std::string& Name() const { return server_.Name(); }
    std::optional<std::string> WaitForWindow(const std::string& title, std::chrono::milliseconds timeout) {
        std::optional<std::string> found;
        tool_driver::WaitUntil(
            [&] {
                if (auto w = server_.FindWindow(title)) found = std::to_string(*w);
                return found.has_value();
            },
            timeout, 50ms);
        return found;
    }
    void RequestClose(const std::string& window) { server_.RequestClose(std::stoul(window)); }
    // xdotool, xwd ... on this display.
    std::string Run(const std::string& command) { return Shell("DISPLAY=" + Name() + " " + command); }

private:
    tool_driver::XServer server_;
};

// The tool on the display, its output kept for failure messages.
std::unique_ptr<tool_driver::Process> StartTool(const VirtualDisplay& display, const std::vector<std::string>& args,
                                                std::map<std::string, std::string> env, const fs::path& log) {
    env["DISPLAY"] = display.Name();
    env["QT_QPA_PLATFORM"] = "xcb";
    return std::make_unique<tool_driver::Process>(tool_path, args, env, log.string());
}

void Close(VirtualDisplay& display, tool_driver::Process& tool, const std::string& window) {
    display.RequestClose(window);
    if (!tool.Wait(10s)) tool.Kill();
}

bool IsResistanceFrame(const std::string& frame) {
    return frame.size() == 6 && static_cast<unsigned char>(frame[1]) == 0x01;
}
int ResistanceOf(const std::string& frame) { return static_cast<unsigned char>(frame[2]); }

const char* kSettings =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\AppPath]\r\n"
    "\"AppPath\"=\"C:\\\\Trakova\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Versions]\r\n"
    "\"Soft. version\"=\"6.1.0.0\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Calibration\\Quarix6]\r\n"
    "\"Speed1\"=\"20\"\r\n\"Speed2\"=\"25\"\r\n\"Speed3\"=\"35\"\r\n"
    "\"Resist1\"=\"120\"\r\n\"Resist2\"=\"77\"\r\n\"Resist3\"=\"10\"\r\n";

// Centre of P2 in the window's client area (the button sits at 120,16, 75 x 25).
constexpr int kP2X = 157, kP2Y = 28;

// The roller has been turning for a while: a point chosen at a standstill
// commands level 0.
void WaitUntilTheRollerTurns(console_sim::ConsoleSimulator& console) {
    const auto settle = Clock::now() + 10s;
    while (console.State().measurements_sent < 15 && Clock::now() < settle) std::this_thread::sleep_for(50ms);
}

void ClickP2(VirtualDisplay& display, const std::string& window) {
    display.Run("xdotool mousemove --window " + window + " " + std::to_string(kP2X) + " " + std::to_string(kP2Y) +
                " click 1");
}

}  // namespace

TEST(EndToEnd, FindsTheConsoleAndSendsTheChosenPointsResistance) {
    tool_driver::ScratchDir dir;
    const fs::path settings = dir.Path() / "user.reg";
    std::ofstream(settings, std::ios::binary) << kSettings;
    console_sim::ConsoleOptions options;
    options.version = 4;
    options.speed_kmh = 25;
    options.link_path = (dir.Path() / "ttyUSB0").string();
    console_sim::ConsoleSimulator console(options);
    console.Start();

    VirtualDisplay display;
    auto tool = StartTool(display, {},
                          {{"CALIBRATION_TOOL_PORTS", console.SlavePath()}, {"CALIBRATION_TOOL_SETTINGS", settings.string()}},
                          dir.Path() / "tool.log");
    const auto window = display.WaitForWindow("Calibration tool - Connected", 20s);
    ASSERT_TRUE(window) << tool->Output();

    // No point has been applied yet.
    WaitUntilTheRollerTurns(console);
    std::this_thread::sleep_for(300ms);
    for (const auto& f : console.ReceivedFrames6()) {
        if (IsResistanceFrame(f.bytes)) {
            EXPECT_NE(ResistanceOf(f.bytes), 77);
        }
    }
    const size_t mark = console.FrameMark();

    ClickP2(display, *window);

    const auto frame = console.WaitForFrame(
        [](const std::string& f) { return IsResistanceFrame(f) && ResistanceOf(f) == 77; }, 5000, mark);
    ASSERT_TRUE(frame) << tool->Output();
    // From then on every resistance frame carries P2's level.
    std::this_thread::sleep_for(500ms);
    const auto frames = console.ReceivedFrames6();
    bool after = false;
    int following = 0;
    for (size_t i = mark; i < frames.size(); ++i) {
        if (!IsResistanceFrame(frames[i].bytes)) continue;
        if (ResistanceOf(frames[i].bytes) == 77) after = true;
        else if (after) ADD_FAILURE() << "level " << ResistanceOf(frames[i].bytes) << " after P2";
        if (after) ++following;
    }
    EXPECT_GE(following, 2);
    Close(display, *tool, *window);
}

TEST(EndToEnd, WithoutAConsoleNoEndsTheProcessWithExitCodeZero) {
    tool_driver::ScratchDir dir;
    // A port with nothing behind it.
    console_sim::PseudoTerminal silent;
    silent.Open();
    VirtualDisplay display;
    auto tool = StartTool(display, {},
                          {{"CALIBRATION_TOOL_PORTS", silent.SlaveName()}, {"CALIBRATION_TOOL_SETTINGS", "/nonexistent.reg"}},
                          dir.Path() / "tool.log");

    const auto dialog = display.WaitForWindow("Erreur", 30s);
    ASSERT_TRUE(dialog) << tool->Output();
    EXPECT_FALSE(display.WaitForWindow("Calibration tool", 0ms)) << "the main window shows before a trainer is found";
    // "&Non" by its mnemonic, as a keyboard user answers.
    display.Run("xdotool windowfocus --sync " + *dialog + " key alt+n");

    const auto status = tool->Wait(15s);
    ASSERT_TRUE(status) << tool->Output();
    ASSERT_TRUE(WIFEXITED(*status)) << tool->Output();
    EXPECT_EQ(WEXITSTATUS(*status), 0);
}

TEST(EndToEnd, DemoShowsTheConnectedWindowWithAMovingArrow) {
    tool_driver::ScratchDir dir;
    VirtualDisplay display;
    const auto start = Clock::now();
    auto tool = StartTool(display, {"--demo"}, {}, dir.Path() / "tool.log");
    const auto window = display.WaitForWindow("Calibration tool - Connected", 20s);
    ASSERT_TRUE(window) << tool->Output();
    std::printf("connected window after %lld ms\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count()));

    // The speed changes, so the arrow and the speed text do: two pictures of
    // the window taken apart differ.
    auto picture = [&] { return display.Run("xwd -silent -id " + *window + " | md5sum"); };
    std::this_thread::sleep_for(1s);
    const std::string first = picture();
    bool moved = false;
    for (int i = 0; i < 10 && !moved; ++i) {
        std::this_thread::sleep_for(500ms);
        moved = picture() != first;
    }
    EXPECT_TRUE(moved);
    Close(display, *tool, *window);
}

// The companion programs under Wine: the prefix's own registry file, named
// with --settings, beats the export CALIBRATION_TOOL_SETTINGS names.
TEST(EndToEnd, TheSettingsOptionReadsAWinePrefixsRegistry) {
    tool_driver::ScratchDir dir;
    const fs::path exported = dir.Path() / "user.reg";
    std::ofstream(exported, std::ios::binary) << kSettings;  // P2 at level 77
    const fs::path wine = dir.Path() / "prefix" / "user.reg";
    fs::create_directories(wine.parent_path());
    std::ofstream(wine, std::ios::binary)
        << "WINE REGISTRY Version 2\n"
           ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n"
           "[Software\\\\Corvane\\\\Trakova\\\\AppPath] 1796953361\n#time=1dd8910e9324526\n"
           "\"AppPath\"=str(2):\"%ProgramFiles%\\\\Corvane\\\\Trakova \\x00c9ditions\"\n\n"
           "[Software\\\\Corvane\\\\Trakova\\\\Versions] 1796953361\n\"Soft. version\"=\"6.1.0.0\"\n\n"
           "[Software\\\\Corvane\\\\Trakova\\\\Calibration\\\\Quarix6] 1796953361\n#time=1dd8910e94ef5b8\n"
           "\"LastRun\"=dword:000004d2\n\"Resist1\"=\"120\"\n\"Resist2\"=\"88\"\n\"Resist3\"=\"10\"\n"
           "\"Speed1\"=\"20\"\n\"Speed2\"=\"25\"\n\"Speed3\"=\"35\"\n";
    console_sim::ConsoleOptions options;
    options.version = 4;
    options.speed_kmh = 25;
    options.link_path = (dir.Path() / "ttyUSB0").string();
    console_sim::ConsoleSimulator console(options);
    console.Start();

    VirtualDisplay display;
    auto tool = StartTool(display, {"--settings", wine.string()},
                          {{"CALIBRATION_TOOL_PORTS", console.SlavePath()}, {"CALIBRATION_TOOL_SETTINGS", exported.string()}},
                          dir.Path() / "tool.log");
    const auto window = display.WaitForWindow("Calibration tool - Connected", 20s);
    ASSERT_TRUE(window) << tool->Output();
    WaitUntilTheRollerTurns(console);
    const size_t mark = console.FrameMark();

    ClickP2(display, *window);

    const auto frame = console.WaitForFrame(
        [](const std::string& f) { return IsResistanceFrame(f) && (ResistanceOf(f) == 88 || ResistanceOf(f) == 77); },
        5000, mark);
    ASSERT_TRUE(frame) << tool->Output();
    EXPECT_EQ(ResistanceOf(frame->bytes), 88) << "P2's level came from the export, not the named file";
    Close(display, *tool, *window);
}

// A rider who names a file means that file: one that is not there stops the
// tool before any window, instead of another place's keys reaching the brake.
TEST(EndToEnd, ASettingsFileThatIsNotThereIsRefused) {
    tool_driver::ScratchDir dir;
    const fs::path exported = dir.Path() / "user.reg";
    std::ofstream(exported, std::ios::binary) << kSettings;
    const std::string missing = (dir.Path() / "no such prefix" / "user.reg").string();
    // No display at all: the refusal comes before the window system is asked.
    tool_driver::Process tool(tool_path, {"--settings=" + missing},
                              {{"CALIBRATION_TOOL_SETTINGS", exported.string()}, {"DISPLAY", ":none"},
                               {"QT_QPA_PLATFORM", "xcb"}},
                              (dir.Path() / "tool.log").string());
    const auto status = tool.Wait(15s);
    ASSERT_TRUE(status) << tool.Output();
    ASSERT_TRUE(WIFEXITED(*status)) << tool.Output();
    EXPECT_EQ(WEXITSTATUS(*status), 2) << tool.Output();
    EXPECT_EQ(tool.Output(), "calibration-tool: cannot read the settings file '" + missing +
                                 "' (--settings): No such file or directory\n");
}

// The companion programs under Wine, in prefixes Wine itself made
// (tests/platform/fixtures/wine/make-fixtures): one made under an English
// locale, one under a French one whose programs write "18,5". The tool runs
// in C.UTF-8 and finds the prefix by WINEPREFIX or as ~/.wine; the level of
// P2, written into the prefix by "wine reg add", reaches the brake.
struct WinePrefixCase {
    const char* prefix;  // below fixtures/wine
    bool default_prefix;  // ~/.wine instead of WINEPREFIX
};

class WinePrefixEndToEnd : public testing::TestWithParam<WinePrefixCase> {};

TEST_P(WinePrefixEndToEnd, ThePrefixsLevelsReachTheWire) {
    const WinePrefixCase& c = GetParam();
    const fs::path fixture = fs::path(QUARIX_PLATFORM_FIXTURES) / "wine" / c.prefix;
    tool_driver::ScratchDir dir;
    const fs::path home = dir.Path() / "home";
    fs::create_directories(home);
    std::map<std::string, std::string> env = {{"HOME", home.string()},
                                              {"XDG_CONFIG_HOME", (dir.Path() / "config").string()},
                                              {"LANG", "C.UTF-8"},
                                              {"LC_ALL", "C.UTF-8"}};
    // Nothing of the test's own environment may name another settings file.
    ::unsetenv("CALIBRATION_TOOL_SETTINGS");
    ::unsetenv("WINEPREFIX");
    if (c.default_prefix) {
        fs::create_directories(home / ".wine");
        fs::copy_file(fixture / "user.reg", home / ".wine" / "user.reg");
    } else {
        env["WINEPREFIX"] = fixture.string();
    }
    console_sim::ConsoleOptions options;
    options.version = 4;
    options.speed_kmh = 25;
    options.link_path = (dir.Path() / "ttyUSB0").string();
    console_sim::ConsoleSimulator console(options);
    console.Start();
    env["CALIBRATION_TOOL_PORTS"] = console.SlavePath();

    VirtualDisplay display;
    auto tool = StartTool(display, {}, env, dir.Path() / "tool.log");
    const auto window = display.WaitForWindow("Calibration tool - Connected", 20s);
    ASSERT_TRUE(window) << tool->Output();
    WaitUntilTheRollerTurns(console);
    const size_t mark = console.FrameMark();

    ClickP2(display, *window);

    // Any level but the start's 0: a speed the tool could not read would
    // have stopped the reading before the levels, leaving P2 at 0.
    const auto frame = console.WaitForFrame(
        [](const std::string& f) { return IsResistanceFrame(f) && ResistanceOf(f) != 0; }, 5000, mark);
    ASSERT_TRUE(frame) << tool->Output();
    EXPECT_EQ(ResistanceOf(frame->bytes), 77) << tool->Output();
    // The file was read whole, without a line it could not understand.
    EXPECT_EQ(tool->Output().find("settings file"), std::string::npos) << tool->Output();
    Close(display, *tool, *window);
}

INSTANTIATE_TEST_SUITE_P(Prefixes, WinePrefixEndToEnd,
                         testing::Values(WinePrefixCase{"english", false}, WinePrefixCase{"english", true},
                                         WinePrefixCase{"french", false}, WinePrefixCase{"french", true}),
                         [](const testing::TestParamInfo<WinePrefixCase>& info) {
                             return std::string(info.param.prefix) +
                                    (info.param.default_prefix ? "_InHomeWine" : "_ByWinePrefix");
                         });
