// calibration-tool: finds the trainer on a serial port and lets the rider
// pick calibration points while an arrow follows the live speed.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/calibration_window.h"
#include "app/demo.h"
#include "app/error_dialogs.h"
#include "app/qt_message_pump.h"
#include "app/termination_signals.h"
#include "platform/error_reporting.h"

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs(
        "Usage: calibration-tool [OPTION]\n"
        "Finds the trainer's console on the machine's serial ports and opens the\n"
        "calibration window (P1, P2, P3 choose a calibration point).\n"
        "\n"
        "Options:\n"
        "  --demo      play a simulated trainer: try the tool without one\n"
        "  --help      show this help and exit\n"
        "  --version   show the version and exit\n"
        "\n"
        "Environment:\n"
        "  CALIBRATION_TOOL_PORTS     serial ports to search, separated by commas\n"
        "                             (names under /dev or absolute paths)\n"
        "  CALIBRATION_TOOL_SETTINGS  the settings file (a registry export)\n",
        out);
}

}  // namespace

int main(int argc, char** argv) {
    const bool demo = app::TakeDemoOption(argc, argv);
    // Answered before any window system is needed.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintUsage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("calibration-tool %s\n", CALIBRATION_TOOL_VERSION);
            return 0;
        }
    }

    QApplication application(argc, argv);  // takes the window system's own options
    for (int i = 1; i < argc; ++i) {
        std::fprintf(stderr, "calibration-tool: unknown option '%s'\n\n", argv[i]);
        PrintUsage(stderr);
        return 2;
    }
    // The name, not the display name: the window manager must see the
    // captions exactly as the windows set them.
    QCoreApplication::setApplicationName(QString::fromUtf8(app::kApplicationTitle));
    app::InstallErrorReporter();
    app::ScopedQtMessagePump pump;
    app::QuitOnTerminationSignals termination;

    // Declared before the window so that it outlives the window's port.
    std::unique_ptr<app::DemoSession> demo_session;
    if (demo) {
        try {
            demo_session = std::make_unique<app::DemoSession>();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "calibration-tool: cannot start the simulated trainer: %s\n", e.what());
            return 1;
        }
    }

    int exit_code = 0;
    {
        app::TForm1 form;
        app::SetMainForm(&form);
        form.DoCreate();
        if (termination.ReceivedSignal() == 0) {  // not told to end during start-up
            form.show();
            exit_code = QApplication::exec();
        }
    }
    platform::SetErrorReporter({});
    // Closed by a signal: say so, as a process ended by it would.
    if (termination.ReceivedSignal() != 0) return 128 + termination.ReceivedSignal();
    return exit_code;
}
