// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tool's command line: one table of options, which both the parser and
// --help read, so that an option cannot be accepted without being documented
// (the man page is checked against the same table).
#include <cstdio>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace app {

struct CommandLineOption {
    const char* long_name;  // without the leading "--"
    char short_name;        // 0 when the option has none
    const char* argument;   // the argument's name in --help, or nullptr
    const char* help;       // one line (continued lines start with '\n')
};

// Every option the tool takes, in the order --help lists them.
std::span<const CommandLineOption> Options();

struct ToolOptions {
    bool demo = false;
    bool help = false;
    bool version = false;
    bool list_ports = false;
    std::optional<std::string> settings_file;  // --settings FILE
    std::vector<std::string> ports;            // --port NAME, in the order given
    std::optional<std::string> trace_file;     // --trace FILE ("-" = standard error)
};

// A command line the tool cannot take: the message names the option.
class CommandLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Takes the tool's own options off argv (GNU style: "--name VALUE",
// "--name=VALUE", and the short forms in the table) and leaves the window
// system's own one-dash options (-platform, -display, -style ...), in order,
// for it to read. A lone "--" ends the options. Throws CommandLineError for
// any other word - an unknown option, a word that is no option at all, one
// after "--" - for an option that lacks its argument, has an empty one or has
// one it does not take, and for options that cannot go together. So a
// command line is judged whole before any window system is asked.
ToolOptions TakeToolOptions(int& argc, char** argv);

// The usage text (--help) built from the table.
void PrintUsage(std::FILE* out);

// Ends an answer given on standard output (--help, --version, --list-ports):
// flushes `out` and returns `exit_code`, or, when anything written to it was
// lost (a full disk, a closed pipe), says so on `errors` and returns 1.
int FinishAnswer(std::FILE* out, std::FILE* errors, int exit_code);

}  // namespace app
