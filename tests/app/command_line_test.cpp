// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's own options come off the command line, GNU style; the window
// system's own one-dash options stay, in order, for it; any other word is
// refused by name.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line/command_line.h"

namespace {

struct Argv {
    explicit Argv(std::vector<std::string> words) : words_(std::move(words)) {
        for (auto& w : words_) pointers_.push_back(w.data());
        pointers_.push_back(nullptr);
        argc = static_cast<int>(words_.size());
    }
    char** argv() { return pointers_.data(); }
    std::vector<std::string> Left() const {
        return {pointers_.begin(), pointers_.begin() + argc};
    }
    int argc = 0;

private:
    std::vector<std::string> words_;
    std::vector<char*> pointers_;
};

TEST(CommandLine, TakesItsOwnOptionsAndLeavesTheWindowSystemsInOrder) {
    Argv line({"tool", "-platform", "xcb", "--port", "ttyUSB0", "-style=Fusion", "--port=/dev/serial/by-id/x",
               "--settings=/tmp/a b.reg", "-display", ":1", "--trace", "-", "-reverse", "-h", "--version",
               "--list-ports", "-qmljsdebugger=port:1234", "--"});
    const app::ToolOptions options = app::TakeToolOptions(line.argc, line.argv());
    EXPECT_FALSE(options.demo);
    EXPECT_TRUE(options.help);
    EXPECT_TRUE(options.version);
    EXPECT_TRUE(options.list_ports);
    EXPECT_EQ(options.ports, (std::vector<std::string>{"ttyUSB0", "/dev/serial/by-id/x"}));
    EXPECT_EQ(options.settings_file, "/tmp/a b.reg");
    EXPECT_EQ(options.trace_file, "-");
    EXPECT_EQ(line.Left(), (std::vector<std::string>{"tool", "-platform", "xcb", "-style=Fusion", "-display", ":1",
                                                     "-reverse", "-qmljsdebugger=port:1234"}));
    EXPECT_EQ(line.argv()[line.argc], nullptr);
}

TEST(CommandLine, AnEmptyCommandLineSetsNothing) {
    Argv line({"tool"});
    const app::ToolOptions options = app::TakeToolOptions(line.argc, line.argv());
    EXPECT_FALSE(options.demo || options.help || options.version || options.list_ports);
    EXPECT_FALSE(options.settings_file || options.trace_file);
    EXPECT_TRUE(options.ports.empty());
    EXPECT_EQ(line.argc, 1);
}

TEST(CommandLine, TheDemoTakesASettingsFileAndATrace) {
    Argv line({"tool", "--demo", "--settings", "points.reg", "--trace=trace.txt"});
    const app::ToolOptions options = app::TakeToolOptions(line.argc, line.argv());
    EXPECT_TRUE(options.demo);
    EXPECT_EQ(options.settings_file, "points.reg");
    EXPECT_EQ(options.trace_file, "trace.txt");
}

// Every word is judged before a window system is asked: what the tool does
// not take and the window system would not either is refused by name.
TEST(CommandLine, WhatTheToolCannotTakeIsRefusedByName) {
    const struct {
        std::vector<std::string> words;
        const char* message;
    } cases[] = {
        {{"tool", "--port"}, "option '--port' requires an argument"},
        {{"tool", "--demo", "--settings"}, "option '--settings' requires an argument"},
        {{"tool", "--help=yes"}, "option '--help' doesn't allow an argument"},
        {{"tool", "--list-ports="}, "option '--list-ports' doesn't allow an argument"},
        {{"tool", "--demo", "--prot=ttyS0"}, "unrecognized option '--prot=ttyS0'"},
        // One dash: only the window system's own options.
        {{"tool", "-v"}, "unrecognized option '-v'"},
        {{"tool", "-x"}, "unrecognized option '-x'"},
        {{"tool", "-port", "ttyUSB0"}, "unrecognized option '-port'"},
        {{"tool", "-platform=xcb"}, "unrecognized option '-platform=xcb'"},
        {{"tool", "-qmljsdebugger"}, "unrecognized option '-qmljsdebugger'"},
        {{"tool", "-platform"}, "option '-platform' requires an argument"},
        // Words that are no option: the tool takes none, the user meant --port.
        {{"tool", "ttyUSB0"}, "extra operand 'ttyUSB0' (a port is named with --port NAME)"},
        {{"tool", "--list-ports", "ttyUSB0"}, "extra operand 'ttyUSB0' (a port is named with --port NAME)"},
        {{"tool", "--list-ports", "-x"}, "unrecognized option '-x'"},
        {{"tool", "-"}, "extra operand '-' (a port is named with --port NAME)"},
        {{"tool", "--", "--help"}, "extra operand '--help' (a port is named with --port NAME)"},
        // An empty value would mean something else: /dev itself, the current folder.
        {{"tool", "--port="}, "option '--port' requires a non-empty argument"},
        {{"tool", "--settings", ""}, "option '--settings' requires a non-empty argument"},
        {{"tool", "--trace="}, "option '--trace' requires a non-empty argument"},
        // The simulated trainer's points must not reach a real brake.
        {{"tool", "--demo", "--port", "ttyUSB0"},
         "--demo searches only its own simulated trainer: it cannot be combined with --port"},
        {{"tool", "--port=ttyUSB0", "--demo"},
         "--demo searches only its own simulated trainer: it cannot be combined with --port"},
    };
    for (const auto& c : cases) {
        Argv line(c.words);
        try {
            app::TakeToolOptions(line.argc, line.argv());
            ADD_FAILURE() << "accepted: " << testing::PrintToString(c.words);
        } catch (const app::CommandLineError& e) {
            EXPECT_STREQ(e.what(), c.message) << testing::PrintToString(c.words);
        }
    }
}

// --help, --version and --list-ports into a full disk: the answer was lost,
// and the exit status must say so.
TEST(CommandLine, AnAnswerThatCannotBeWrittenEndsWithStatusOne) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* errors = open_memstream(&text, &size);
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    app::PrintUsage(full);
    EXPECT_EQ(app::FinishAnswer(full, errors, 0), 1);
    std::fclose(full);

    std::FILE* fine = std::tmpfile();
    ASSERT_NE(fine, nullptr);
    app::PrintUsage(fine);
    EXPECT_EQ(app::FinishAnswer(fine, errors, 0), 0);
    std::fputs("ports\n", fine);
    EXPECT_EQ(app::FinishAnswer(fine, errors, 1), 1);  // the answer's own status stands
    std::fclose(fine);

    std::fclose(errors);
    const std::string said(text, size);
    std::free(text);
    EXPECT_EQ(said, "calibration-tool: cannot write to standard output: " + std::string(std::strerror(ENOSPC)) + "\n");
}

TEST(CommandLine, TheHelpListsEveryOptionOfTheTable) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    app::PrintUsage(out);
    std::fclose(out);
    const std::string help(text, size);
    std::free(text);
    for (const auto& option : app::Options()) {
        std::string shown = std::string("--") + option.long_name;
        if (option.argument != nullptr) shown += std::string(" ") + option.argument;
        EXPECT_NE(help.find(shown), std::string::npos) << shown;
    }
}

}  // namespace
