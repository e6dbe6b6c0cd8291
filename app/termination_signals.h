#pragma once
// SIGTERM, SIGINT and SIGHUP close the application's windows as the user
// would, so the window's destroy handler still stops the ride and lets go of
// the serial port, and mark the process as terminating, so that a trainer
// search under way stops and start-up asks nothing more. The signal handler
// only writes a byte to a pipe; the rest happens on the main thread, in Qt's
// loop (which also runs inside the component's waits).
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

    // The signal that arrived, 0 if none.
    int ReceivedSignal() const { return received_; }

private:
    void OnSignalByte();

    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    int received_ = 0;
};

}  // namespace app
