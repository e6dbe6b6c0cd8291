// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/window_system.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/format.h"

namespace app {
namespace {

// What a failed start says.
constexpr const char* kNoGraphicalSession = QT_TRANSLATE_NOOP(
    "WindowSystem",
    "no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open; "
    "--help and --list-ports work without one");
constexpr const char* kSessionUnreachable =
    QT_TRANSLATE_NOOP("WindowSystem", "cannot reach the graphical session (%1): the window cannot open");
constexpr const char* kVariableSet = "%s='%s'";
constexpr const char* kVariableUnset = QT_TRANSLATE_NOOP("WindowSystem", "%1 unset");

std::string Tr(const char* source) { return QCoreApplication::translate("WindowSystem", source).toStdString(); }

std::string no_window_system_line;

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
                     QString::fromStdString(no_window_system_line).toLocal8Bit().constData());
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
    if (!IsSet(display) && !IsSet(wayland_display)) return Tr(kNoGraphicalSession);
    auto shown = [](const char* name, const char* value) {
        return IsSet(value) ? platform::Format(kVariableSet, name, value)
                            : QCoreApplication::translate("WindowSystem", kVariableUnset).arg(name).toStdString();
    };
    const std::string variables = shown("DISPLAY", display) + ", " + shown("WAYLAND_DISPLAY", wayland_display);
    return QCoreApplication::translate("WindowSystem", kSessionUnreachable)
        .arg(QString::fromStdString(variables))
        .toStdString();
}

std::unique_ptr<QApplication> StartWindowSystem(int& argc, char** argv, const std::string& no_window_system) {
    no_window_system_line = no_window_system;
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
