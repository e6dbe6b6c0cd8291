#include "app/command_line.h"

#include <QCoreApplication>
#include <array>
#include <cstring>
#include <string_view>

namespace app {

namespace {

// The help texts are translated in the context "CommandLine"; a translation
// keeps the source's line breaks.
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

// Written to a terminal: in the locale's encoding, as the rest of --help.
std::string Tr(const char* source) {
    return QCoreApplication::translate("CommandLine", source).toLocal8Bit().toStdString();
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
        if (word == "--") {
            for (++i; i < argc; ++i) argv[kept++] = argv[i];
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
            // The window system's options take one dash; a long option
            // nobody knows is a typing error, told before any window opens.
            if (option == nullptr)
                throw CommandLineError(
                    QCoreApplication::translate("CommandLine", "unrecognized option '%1'")
                        .arg(QString::fromLocal8Bit(word.data(), static_cast<qsizetype>(word.size())))
                        .toStdString());
        } else if (word.size() == 2 && word[0] == '-') {
            option = FindShort(word[1]);
        }
        if (option == nullptr) {  // not ours: the window system's
            argv[kept++] = argv[i];
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
                throw CommandLineError(QCoreApplication::translate("CommandLine", "option '%1' requires an argument")
                                           .arg(QString::fromStdString(shown))
                                           .toStdString());
            }
        } else if (inline_value) {
            throw CommandLineError(QCoreApplication::translate("CommandLine", "option '%1' doesn't allow an argument")
                                       .arg(QString::fromStdString(shown))
                                       .toStdString());
        }
        Apply(options, option->long_name, value);
    }
    if (kept < argc) argv[kept] = nullptr;
    argc = kept;
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

}  // namespace app
