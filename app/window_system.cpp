// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_system.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/format.h"

namespace app {
namespace {

// What a failed start says.
constexpr const char* kNoGraphicalSession =
    "no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open; "
    "--help and --list-ports work without one";
constexpr const char* kSessionUnreachable = "cannot reach the graphical session (%s): the window cannot open";
constexpr const char* kVariableSet = "%s='%s'";
constexpr const char* kVariableUnset = "%s unset";

struct HeldMessage {
    QtMsgType type;
    std::string file, function, category;
    int line;
    QString text;
};

std::mutex held_mutex;
std::vector<HeldMessage> held;
QtMessageHandler previous_handler = nullptr;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "calibration-tool: %s\n",
                     NoWindowSystemText(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY")).c_str());
        std::fflush(nullptr);
        std::_Exit(1);
    }
    std::lock_guard lock(held_mutex);
    held.push_back({type, context.file ? context.file : "", context.function ? context.function : "",
                    context.category ? context.category : "", context.line, text});
}

bool IsSet(const char* variable) { return variable != nullptr && *variable != '\0'; }

}  // namespace

std::string NoWindowSystemText(const char* display, const char* wayland_display) {
    if (!IsSet(display) && !IsSet(wayland_display)) return kNoGraphicalSession;
    auto shown = [](const char* name, const char* value) {
        return IsSet(value) ? platform::Format(kVariableSet, name, value) : platform::Format(kVariableUnset, name);
    };
    const std::string variables = shown("DISPLAY", display) + ", " + shown("WAYLAND_DISPLAY", wayland_display);
    return platform::Format(kSessionUnreachable, variables.c_str());
}

std::unique_ptr<QApplication> StartWindowSystem(int& argc, char** argv) {
    previous_handler = qInstallMessageHandler(HoldMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous_handler);
    std::lock_guard lock(held_mutex);
    for (const HeldMessage& message : held) {
        const QMessageLogContext context(message.file.c_str(), message.line, message.function.c_str(),
                                         message.category.c_str());
        previous_handler(message.type, context, message.text);
    }
    held.clear();
    return application;
}

}  // namespace app
