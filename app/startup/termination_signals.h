// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGTERM, SIGINT and SIGHUP close the application's windows as the user
// would, so the window's destroy handler still stops the ride and lets go of
// the serial port, and mark the process as terminating, so that a trainer
// search under way stops and start-up asks nothing more. The signal handler
// only writes a byte to a pipe; the rest happens on the main thread, in Qt's
// loop (which also runs inside the component's waits). A second signal,
// while the first is still being dealt with or while no loop runs to deal
// with it, ends the process at once, as the user asked twice. At the end the
// tool ends by the signal it received (EndBySignal), so that whoever started
// it - a shell loop over ports, a service manager - sees a process killed by
// it and stops too.
#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace app {

class QuitOnTerminationSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handlers (main thread, after the QApplication).
    QuitOnTerminationSignals();
    // Puts the previous handlers back.
    ~QuitOnTerminationSignals() override;

    // The first signal that arrived, 0 if none (also one that no loop has
    // dealt with yet).
    int ReceivedSignal() const;

private:
    void OnSignalByte();

    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Ends the process by `signal`'s default action (which, for SIGTERM, SIGINT
// and SIGHUP, ends it as killed by that signal), whatever handler is
// installed. Standard output and error are flushed first.
[[noreturn]] void EndBySignal(int signal);

}  // namespace app
