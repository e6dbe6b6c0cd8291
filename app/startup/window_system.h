// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starting the window system (Qt's application object), which reads its own
// options off the command line. When no window system can be reached - no
// graphical session at all, as over ssh, or one that does not answer - Qt
// would print its platform plugin's advice and abort (a core file, status
// 134); the tool says so in one line instead and ends with status 1. What Qt
// says while it starts is held back until it has started, so that a failed
// start shows that line alone.
#include <QApplication>
#include <memory>
#include <string>

namespace app {

// The process ends here (status 1), saying `no_window_system`, when no
// window system can be reached. No other application object may exist.
std::unique_ptr<QApplication> StartWindowSystem(int& argc, char** argv, const std::string& no_window_system);

// The line said then (without the program's name and newline), from the
// variables that name the session; in the language of the application
// object that exists when it is asked (the window system's does not yet).
std::string NoWindowSystemText(const char* display, const char* wayland_display);

}  // namespace app
