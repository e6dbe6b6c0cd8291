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
// "--name=VALUE", and the short forms in the table) and leaves everything
// else, in order, for the window system to read its own options from.
// A lone "--" ends the options and is taken off too. Throws CommandLineError
// for an unknown long option, and for an option that lacks its argument or
// has one it does not take.
ToolOptions TakeToolOptions(int& argc, char** argv);

// The usage text (--help) built from the table.
void PrintUsage(std::FILE* out);

}  // namespace app
