#include "app/termination_signals.h"

#include <QApplication>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "platform/message_loop.h"

namespace app {

namespace {
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int signal_write_fd = -1;
struct sigaction previous_actions[3];

void OnSignal(int signal) {
    const int saved_errno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    if (signal_write_fd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(signal_write_fd, &byte, 1);
    }
    errno = saved_errno;
}
}  // namespace

QuitOnTerminationSignals::QuitOnTerminationSignals() {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    signal_write_fd = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { OnSignalByte(); });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &action, &previous_actions[i]);
}

QuitOnTerminationSignals::~QuitOnTerminationSignals() {
    if (pipe_[0] < 0) return;
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &previous_actions[i], nullptr);
    signal_write_fd = -1;
    notifier_.reset();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void QuitOnTerminationSignals::OnSignalByte() {
    unsigned char byte = 0;
    while (::read(pipe_[0], &byte, 1) == 1) {
        if (received_ == 0) received_ = byte;
    }
    // Waits end after the pass that runs us, so a search under way stops.
    if (received_ != 0) platform::SetTerminating(true);
    // Modal dialogs first (their loops end), then the main window.
    QApplication::closeAllWindows();
}

}  // namespace app
