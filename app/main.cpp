// SPDX-License-Identifier: GPL-3.0-or-later
// calibration-tool: finds the trainer on a serial port and lets the rider
// pick calibration points while an arrow follows the live speed.
#include <QApplication>
#include <QIcon>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/command_line/command_line.h"
#include "app/diagnostics/port_listing.h"
#include "app/diagnostics/trace_output.h"
#include "app/diagnostics/wire_trace.h"
#include "app/dialogs/error_dialogs.h"
#include "app/startup/calibration_settings.h"
#include "app/startup/demo.h"
#include "app/startup/qt_message_pump.h"
#include "app/startup/search_ports.h"
#include "app/startup/start_up.h"
#include "app/startup/termination_signals.h"
#include "app/startup/window_system.h"
#include "app/translations/translations.h"
#include "app/window/calibration_window.h"
#include "platform/error_reporting.h"
#include "platform/short_time_slices.h"
#include "platform/stage_stamps.h"

namespace {

// What main itself says, in the context "CommandLine".
constexpr const char* kTryHelp = QT_TRANSLATE_NOOP("CommandLine", "Try 'calibration-tool --help' for more information.");
constexpr const char* kUnrecognizedByQt = QT_TRANSLATE_NOOP("CommandLine", "unrecognized option '%1'");
constexpr const char* kDemoFailed = QT_TRANSLATE_NOOP("CommandLine", "cannot start the simulated trainer: %1");

// "calibration-tool: TEXT" on standard error, in the locale's encoding.
void Say(const QString& text) { std::fprintf(stderr, "calibration-tool: %s\n", text.toLocal8Bit().constData()); }
void Say(const std::string& text) { Say(QString::fromStdString(text)); }

void PrintTryHelp() {
    std::fprintf(stderr, "%s\n", QCoreApplication::translate("CommandLine", kTryHelp).toLocal8Bit().constData());
}

// The window, from the window system's start until it has closed and let go
// of the port. `trace`, when given, is written and closed here too, while
// the termination signals are still handled. Returns the exit code, and the
// termination signal that ended it (0 if none) in `received_signal`.
// `core`, the command line's application object, makes way for the window
// system's.
int RunWindow(int& argc, char** argv, const app::ToolOptions& options, std::unique_ptr<QCoreApplication> core,
              std::unique_ptr<app::WireTrace> trace, int& received_signal) {
    // Said in the user's language, which only the command line's object knows yet.
    const std::string no_window_system =
        app::NoWindowSystemText(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"));
    core.reset();
    const std::unique_ptr<QApplication> application = app::StartWindowSystem(argc, argv, no_window_system);
    app::InstallUserLanguage();
    // The command line was judged whole before; this only catches an
    // option that the window system was expected to take and did not.
    if (argc > 1) {
        Say(QCoreApplication::translate("CommandLine", kUnrecognizedByQt).arg(QString::fromLocal8Bit(argv[1])));
        PrintTryHelp();
        return 2;
    }
    // The name, not the display name: the window manager must see the
    // captions exactly as the windows set them.
    QCoreApplication::setApplicationName(QString::fromUtf8(app::kApplicationTitle));
    // Lets a Wayland desktop match the window to the installed entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(CALIBRATION_TOOL_APP_ID));
    // Task bars that read the window's own icon (X11's _NET_WM_ICON) show the installed one.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(CALIBRATION_TOOL_APP_ID)));
    app::InstallErrorReporter();
    // The main thread answers every frame: it must run as soon as woken.
    platform::AskForShortTimeSlices();
    app::ScopedQtMessagePump pump;
    app::QuitOnTerminationSignals termination;

    // Declared before the window so that it outlives the window's port.
    std::unique_ptr<app::DemoSession> demo_session;
    if (options.demo) {
        try {
            demo_session = std::make_unique<app::DemoSession>();
        } catch (const std::exception& e) {
            Say(QCoreApplication::translate("CommandLine", kDemoFailed).arg(QString::fromLocal8Bit(e.what())));
            return 1;
        }
    }

    if (trace) {
        // Start-up may end the process without unwinding.
        app::SetProcessEnder([&trace](int code) {
            trace->Flush();
            std::fflush(nullptr);
            std::_Exit(code);
        });
    }

    // For the latency benchmark: where a frame's time goes on its way to the
    // reply, written when the window has closed.
    const char* stage_stamps = std::getenv("CALIBRATION_TOOL_STAGE_STAMPS");
    if (stage_stamps && *stage_stamps) platform::StartStageStamps(1 << 16);

    int exit_code = 0;
    {
        app::TForm1 form;
        if (trace) form.qdv->SetFrameListener(trace.get());
        app::SetMainForm(&form);
        form.DoCreate();
        if (termination.ReceivedSignal() == 0) {  // not told to end during start-up
            form.show();
            exit_code = QApplication::exec();
        }
    }
    platform::SetErrorReporter({});
    app::SetProcessEnder({});
    if (stage_stamps && *stage_stamps) {
        try {
            platform::WriteStageStamps(stage_stamps);
        } catch (const std::exception& e) {
            Say(std::string(e.what()));
        }
    }
    // After the window's port, whose last close is traced too.
    trace.reset();
    received_signal = termination.ReceivedSignal();
    return exit_code;
}

}  // namespace

int main(int argc, char** argv) {
    // The command line is answered in the user's language before any window
    // system is needed: a core application object carries the catalogues
    // until the window system's own replaces it.
    int core_argc = 1;
    auto core = std::make_unique<QCoreApplication>(core_argc, argv);
    app::InstallUserLanguage();

    app::ToolOptions options;
    try {
        options = app::TakeToolOptions(argc, argv);
    } catch (const app::CommandLineError& e) {
        Say(std::string(e.what()));
        PrintTryHelp();
        return 2;
    }
    // Answered before any window system is needed.
    if (options.help) {
        app::PrintUsage(stdout);
        return app::FinishAnswer(stdout, stderr, 0);
    }
    if (options.version) {
        std::printf("calibration-tool %s\n", CALIBRATION_TOOL_VERSION);
        return app::FinishAnswer(stdout, stderr, 0);
    }
    app::SetSearchPorts({options.ports, {}});
    if (options.list_ports) return app::FinishAnswer(stdout, stderr, app::PrintPortList(stdout, stderr));

    if (options.settings_file) {
        if (const auto refused = app::UseSettingsFileOption(*options.settings_file)) {
            Say(*refused);
            return 2;
        }
    }

    // From here on a reader that goes away (a pager quit, `| head`) makes
    // the write fail - the trace says so and stops - and ends nothing.
    std::signal(SIGPIPE, SIG_IGN);

    // Found before the window system starts, like a settings file's.
    std::unique_ptr<app::WireTrace> trace;
    if (options.trace_file) {
        try {
            trace = std::make_unique<app::WireTrace>(*options.trace_file);
        } catch (const app::TraceFileError& e) {
            Say(std::string(e.what()));
            return 2;
        }
    }

    int received_signal = 0;
    const int exit_code = RunWindow(argc, argv, options, std::move(core), std::move(trace), received_signal);
    if (received_signal != 0) app::EndBySignal(received_signal);
    return exit_code;
}
