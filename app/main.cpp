// calibration-tool: finds the trainer on a serial port and lets the rider
// pick calibration points while an arrow follows the live speed.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/calibration_settings.h"
#include "app/calibration_window.h"
#include "app/command_line.h"
#include "app/demo.h"
#include "app/error_dialogs.h"
#include "app/port_listing.h"
#include "app/search_ports.h"
#include "app/start_up.h"
#include "app/qt_message_pump.h"
#include "app/termination_signals.h"
#include "app/wire_trace.h"
#include "platform/error_reporting.h"
#include "platform/short_time_slices.h"
#include "platform/stage_stamps.h"

int main(int argc, char** argv) {
    app::ToolOptions options;
    try {
        options = app::TakeToolOptions(argc, argv);
    } catch (const app::CommandLineError& e) {
        std::fprintf(stderr, "calibration-tool: %s\nTry 'calibration-tool --help' for more information.\n", e.what());
        return 2;
    }
    // Answered before any window system is needed.
    if (options.help) {
        app::PrintUsage(stdout);
        return 0;
    }
    if (options.version) {
        std::printf("calibration-tool %s\n", CALIBRATION_TOOL_VERSION);
        return 0;
    }
    app::SetSearchPorts({options.ports, {}});
    if (options.list_ports) return app::PrintPortList(stdout, stderr);

    if (options.settings_file) {
        if (const auto refused = app::UseSettingsFileOption(*options.settings_file)) {
            std::fprintf(stderr, "calibration-tool: %s\n", refused->c_str());
            return 2;
        }
    }

    QApplication application(argc, argv);  // takes the window system's own options
    if (argc > 1) {
        std::fprintf(stderr,
                     "calibration-tool: unrecognized option '%s'\n"
                     "Try 'calibration-tool --help' for more information.\n",
                     argv[1]);
        return 2;
    }
    // The name, not the display name: the window manager must see the
    // captions exactly as the windows set them.
    QCoreApplication::setApplicationName(QString::fromUtf8(app::kApplicationTitle));
    // Lets a Wayland desktop match the window to the installed entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(CALIBRATION_TOOL_APP_ID));
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
            std::fprintf(stderr, "calibration-tool: cannot start the simulated trainer: %s\n", e.what());
            return 1;
        }
    }

    // Outlives the window's port, so that its last close is traced too.
    std::unique_ptr<app::WireTrace> trace;
    if (options.trace_file) {
        try {
            trace = std::make_unique<app::WireTrace>(*options.trace_file);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "calibration-tool: %s\n", e.what());
            return 1;
        }
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
    if (stage_stamps && *stage_stamps) {
        try {
            platform::WriteStageStamps(stage_stamps);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "calibration-tool: %s\n", e.what());
        }
    }
    // Closed by a signal: say so, as a process ended by it would.
    if (termination.ReceivedSignal() != 0) return 128 + termination.ReceivedSignal();
    return exit_code;
}
