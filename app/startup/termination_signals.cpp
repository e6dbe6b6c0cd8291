// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/termination_signals.h"

#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include "platform/message_loop.h"

namespace app {

namespace {
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int signal_write_fd = -1;
struct sigaction previous_actions[3];
volatile sig_atomic_t first_signal = 0;

void RestoreDefaultAction(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

void OnSignal(int signal) {
    if (first_signal != 0) {
        // Blocked while this handler runs, it is delivered on return, by
        // the default action: the process ends.
        RestoreDefaultAction(signal);
        ::raise(signal);
        return;
    }
    first_signal = signal;
    const int saved_errno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    if (signal_write_fd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(signal_write_fd, &byte, 1);
    }
    errno = saved_errno;
}
}  // namespace

void EndBySignal(int signal) {
    std::fflush(nullptr);
    RestoreDefaultAction(signal);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signal);
    // A signal whose default action does not end the process.
    std::_Exit(128 + signal);
}

QuitOnTerminationSignals::QuitOnTerminationSignals() {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    first_signal = 0;
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

int QuitOnTerminationSignals::ReceivedSignal() const { return first_signal; }

void QuitOnTerminationSignals::OnSignalByte() {
    unsigned char byte = 0;
    while (::read(pipe_[0], &byte, 1) == 1) {
    }
    // Waits end after the pass that runs us, so a search under way stops.
    if (first_signal != 0) platform::SetTerminating(true);
    // Modal dialogs first (their loops end), then the main window.
    QApplication::closeAllWindows();
}

}  // namespace app
