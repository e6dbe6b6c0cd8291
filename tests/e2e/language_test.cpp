// SPDX-License-Identifier: GPL-3.0-or-later
// The built tool speaks the desktop's language: started under an Italian
// locale it captions its window in Italian, under C.UTF-8 exactly as always.
// The Italian locale is compiled with localedef into a scratch folder
// (LOCPATH), so no locale needs installing on the machine.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "e2e/tool_driver.h"
#include "tools/console_sim/console_simulator.h"

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Compiles `locale` (e.g. "it_IT") in UTF-8 below `dir`; false when the
// machine has no locale sources (the locales package).
bool CompileLocale(const fs::path& dir, const std::string& locale) {
    const std::string command =
        "localedef -c -i " + locale + " -f UTF-8 '" + (dir / (locale + ".UTF-8")).string() + "' >/dev/null 2>&1";
    std::system(command.c_str());
    return fs::exists(dir / (locale + ".UTF-8") / "LC_MESSAGES");
}

struct Run {
    const char* name;
    std::map<std::string, std::string> locale;
    const char* connected_caption;
};

void PrintTo(const Run& run, std::ostream* out) { *out << run.name; }

class ToolInLocale : public testing::TestWithParam<Run> {};

TEST_P(ToolInLocale, CaptionsTheConnectedWindowInTheLocalesLanguage) {
    tool_driver::ScratchDir dir("calibration_language");
    std::map<std::string, std::string> env = GetParam().locale;
    if (env.count("LOCPATH")) {
        if (!CompileLocale(dir.Path(), "it_IT")) GTEST_SKIP() << "localedef cannot compile it_IT (no locales package)";
        env["LOCPATH"] = dir.Path().string();
    }
    console_sim::ConsoleOptions options;
    options.version = 5;  // reads no companion program's keys
    options.speed_kmh = 25;
    console_sim::ConsoleSimulator console(options);
    console.Start();

    tool_driver::XServer display;
    env["DISPLAY"] = display.Name();
    env["QT_QPA_PLATFORM"] = "xcb";
    env["CALIBRATION_TOOL_PORTS"] = console.SlavePath();
    env["CALIBRATION_TOOL_SETTINGS"] = (dir.Path() / "none.reg").string();
    tool_driver::Process tool(CALIBRATION_TOOL_BINARY, {}, env, (dir.Path() / "tool.log").string());

    ASSERT_TRUE(display.WaitForWindow(GetParam().connected_caption, 30s, tool.pid()))
        << "windows: " << display.Titles() << "\n"
        << tool.Output();
    const auto window = display.FindWindow(GetParam().connected_caption, tool.pid());
    ASSERT_TRUE(window);
    display.RequestClose(*window);
    const auto status = tool.Wait(15s);
    ASSERT_TRUE(status) << tool.Output();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << tool.Output();
}

INSTANTIATE_TEST_SUITE_P(
    Locales, ToolInLocale,
    testing::Values(
        Run{"Italian",
            {{"LANG", "it_IT.UTF-8"}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANGUAGE", ""}, {"LOCPATH", ""}},
            "Strumento di calibrazione - Connesso"},
        Run{"C",
            {{"LANG", "C.UTF-8"}, {"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANGUAGE", "it"}},
            "Calibration tool - Connected"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
