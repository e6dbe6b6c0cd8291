// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line/command_line.h"

#include <QCoreApplication>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/format.h"

namespace app {

namespace {

// What the command line is refused with, and what a lost answer says; like
// the help texts, translated in the context "CommandLine" (a translation
// keeps the source's line breaks).
constexpr const char* kUnrecognizedOption = QT_TRANSLATE_NOOP("CommandLine", "unrecognized option '%1'");
constexpr const char* kExtraOperand =
    QT_TRANSLATE_NOOP("CommandLine", "extra operand '%1' (a port is named with --port NAME)");
constexpr const char* kRequiresArgument = QT_TRANSLATE_NOOP("CommandLine", "option '%1' requires an argument");
constexpr const char* kRequiresNonEmptyArgument =
    QT_TRANSLATE_NOOP("CommandLine", "option '%1' requires a non-empty argument");
constexpr const char* kAllowsNoArgument = QT_TRANSLATE_NOOP("CommandLine", "option '%1' doesn't allow an argument");
constexpr const char* kDemoWithPort = QT_TRANSLATE_NOOP(
    "CommandLine", "--demo searches only its own simulated trainer: it cannot be combined with --port");
constexpr const char* kAnswerLost = QT_TRANSLATE_NOOP("CommandLine", "cannot write to standard output: %1");

constexpr std::array kOptions{
    CommandLineOption{"demo", 0, nullptr,
                      QT_TRANSLATE_NOOP("CommandLine", "play a simulated trainer: try the tool without one")},
    CommandLineOption{"port", 0, "NAME",
                      QT_TRANSLATE_NOOP("CommandLine",
                                        "search only this port (a name under /dev or a path);\n"
                                        "give it again to search more, in the order given")},
    CommandLineOption{"list-ports", 0, nullptr,
                      QT_TRANSLATE_NOOP("CommandLine",
                                        "list the ports a search would try, with what the system\n"
                                        "knows of each, and exit")},
    CommandLineOption{"settings", 0, "FILE",
                      QT_TRANSLATE_NOOP("CommandLine", "read the calibration points from this settings file")},
    CommandLineOption{"trace", 0, "FILE",
                      QT_TRANSLATE_NOOP("CommandLine",
                                        "log every frame to and from the console, and every\n"
                                        "open, close and repair of the port ('-' = stderr)")},
    CommandLineOption{"help", 'h', nullptr, QT_TRANSLATE_NOOP("CommandLine", "show this help and exit")},
    CommandLineOption{"version", 0, nullptr, QT_TRANSLATE_NOOP("CommandLine", "show the version and exit")},
};

// The one-dash options the window system (Qt) reads off the command line:
// those pass through to it, every other one-dash word is a typing error.
struct WindowSystemOption {
    const char* name;   // without the leading "-"
    bool next_value;    // "-name VALUE"
    bool equals_value;  // "-name=VALUE"
};

constexpr WindowSystemOption kWindowSystemOptions[] = {
    {"platform", true, false},      {"platformpluginpath", true, false}, {"platformtheme", true, false},
    {"plugin", true, false},        {"qwindowgeometry", true, false},    {"qwindowicon", true, false},
    {"qwindowtitle", true, false},  {"session", true, false},            {"display", true, false},
    {"geometry", true, false},      {"name", true, false},               {"style", true, true},
    {"stylesheet", true, true},     {"qmljsdebugger", false, true},      {"reverse", false, false},
    {"widgetcount", false, false},  {"sync", false, false},              {"nograb", false, false},
    {"dograb", false, false},       {"testability", false, false},
};

const WindowSystemOption* FindWindowSystemOption(std::string_view name, bool with_equals) {
    for (const auto& option : kWindowSystemOptions) {
        if (name != option.name) continue;
        const bool only_equals = option.equals_value && !option.next_value;
        if (with_equals ? option.equals_value : !only_equals) return &option;
    }
    return nullptr;
}

// Written to a terminal: in the locale's encoding, as the rest of --help.
std::string Tr(const char* source) {
    return QCoreApplication::translate("CommandLine", source).toLocal8Bit().toStdString();
}

CommandLineError Refusal(const char* source, std::string_view word) {
    const QString shown = QString::fromLocal8Bit(word.data(), static_cast<qsizetype>(word.size()));
    return CommandLineError(QCoreApplication::translate("CommandLine", source).arg(shown).toStdString());
}

const CommandLineOption* FindLong(std::string_view name) {
    for (const auto& option : kOptions)
        if (name == option.long_name) return &option;
    return nullptr;
}

const CommandLineOption* FindShort(char name) {
    for (const auto& option : kOptions)
        if (option.short_name != 0 && option.short_name == name) return &option;
    return nullptr;
}

void Apply(ToolOptions& options, std::string_view name, const std::string& value) {
    if (name == "demo") options.demo = true;
    else if (name == "help") options.help = true;
    else if (name == "version") options.version = true;
    else if (name == "list-ports") options.list_ports = true;
    else if (name == "settings") options.settings_file = value;
    else if (name == "port") options.ports.push_back(value);
    else if (name == "trace") options.trace_file = value;
}

}  // namespace

std::span<const CommandLineOption> Options() { return kOptions; }

ToolOptions TakeToolOptions(int& argc, char** argv) {
    ToolOptions options;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        // The tool takes no operands, after "--" no more than before it.
        if (word == "--") {
            if (i + 1 < argc) throw Refusal(kExtraOperand, argv[i + 1]);
            break;
        }
        const CommandLineOption* option = nullptr;
        std::optional<std::string> inline_value;
        if (word.starts_with("--")) {
            std::string_view name = word.substr(2);
            if (const auto equals = name.find('='); equals != std::string_view::npos) {
                inline_value = std::string(name.substr(equals + 1));
                name = name.substr(0, equals);
            }
            option = FindLong(name);
            if (option == nullptr) throw Refusal(kUnrecognizedOption, word);
        } else if (word.size() == 2 && word[0] == '-') {
            option = FindShort(word[1]);
        } else if (word.size() < 2 || word[0] != '-') {
            throw Refusal(kExtraOperand, word);
        }
        if (option == nullptr) {  // one dash: the window system's, or a typing error
            const size_t equals = word.find('=');
            const bool with_equals = equals != std::string_view::npos;
            const std::string_view name = with_equals ? word.substr(1, equals - 1) : word.substr(1);
            const WindowSystemOption* theirs = FindWindowSystemOption(name, with_equals);
            if (theirs == nullptr) throw Refusal(kUnrecognizedOption, word);
            argv[kept++] = argv[i];
            if (theirs->next_value && !with_equals) {
                if (i + 1 >= argc) throw Refusal(kRequiresArgument, word);
                argv[kept++] = argv[++i];
            }
            continue;
        }
        const std::string shown = std::string("--") + option->long_name;
        std::string value;
        if (option->argument != nullptr) {
            if (inline_value) {
                value = *inline_value;
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                throw Refusal(kRequiresArgument, shown);
            }
            // An empty port or file name would only come to mean another one
            // (the folder /dev, the current directory).
            if (value.empty()) throw Refusal(kRequiresNonEmptyArgument, shown);
        } else if (inline_value) {
            throw Refusal(kAllowsNoArgument, shown);
        }
        Apply(options, option->long_name, value);
    }
    if (kept < argc) argv[kept] = nullptr;
    argc = kept;
    // The simulated trainer's points would reach a real trainer's brake.
    if (options.demo && !options.ports.empty()) throw CommandLineError(QCoreApplication::translate("CommandLine", kDemoWithPort).toStdString());
    return options;
}

void PrintUsage(std::FILE* out) {
    std::fputs(QCoreApplication::translate("CommandLine",
                                           "Usage: calibration-tool [OPTION]...\n"
                                           "Finds the trainer's console on the machine's serial ports and opens the\n"
                                           "calibration window (P1, P2, P3 choose a calibration point).\n"
                                           "\n"
                                           "Options:\n")
                   .toLocal8Bit()
                   .constData(),
               out);
    constexpr int kColumn = 24;
    for (const auto& option : kOptions) {
        std::string left = "  ";
        if (option.short_name != 0) left += std::string("-") + option.short_name + ", ";
        else left += "    ";
        left += std::string("--") + option.long_name;
        if (option.argument != nullptr) left += std::string(" ") + option.argument;
        if (static_cast<int>(left.size()) + 2 > kColumn) left += "\n" + std::string(kColumn, ' ');
        else left.resize(kColumn, ' ');
        std::string text = Tr(option.help);
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
            text.insert(at + 1, std::string(kColumn, ' '));
        std::fprintf(out, "%s%s\n", left.c_str(), text.c_str());
    }
    std::fputs(
        QCoreApplication::translate("CommandLine",
                                    "\n"
                                    "Environment:\n"
                                    "  CALIBRATION_TOOL_PORTS     serial ports to search, separated by commas\n"
                                    "                             (names under /dev or absolute paths)\n"
                                    "  CALIBRATION_TOOL_SETTINGS  the settings file (a registry export or a Wine\n"
                                    "                             prefix's user.reg)\n"
                                    "  WINEPREFIX                 the Wine prefix whose user.reg is read when no\n"
                                    "                             other settings file is found (~/.wine)\n")
            .toLocal8Bit()
            .constData(),
        out);
}

int FinishAnswer(std::FILE* out, std::FILE* errors, int exit_code) {
    errno = 0;
    if (std::fflush(out) == 0 && !std::ferror(out)) return exit_code;
    const QString why = QString::fromLocal8Bit(std::strerror(errno != 0 ? errno : EIO));
    std::fprintf(errors, "calibration-tool: %s\n",
                 QCoreApplication::translate("CommandLine", kAnswerLost).arg(why).toLocal8Bit().constData());
    return 1;
}

}  // namespace app
