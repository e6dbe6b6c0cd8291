// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calibration window's start-up: finds the trainer, loads the calibration
// points for its generation and starts the statistics events.
#include <QtGlobal>
#include <functional>
#include <string>

namespace app {

class TForm1;

// Runs inside TForm1::FormCreate, before the window is shown. Ends the
// process (exit code 0) when no trainer is found and the user declines to
// search again, when no companion program is installed, or when the companion
// program is older than version 6; once a termination signal has arrived it
// returns instead (no dialog opens again), and the program ends by that
// signal. A conversion or read error in the settings
// leaves it with the error's text followed by a line naming the settings file.
void RunStartUp(TForm1& form);

// How start-up ends the process: by default at once, without unwinding (the
// window was never shown and nothing is left to save). Tests put a function
// here that throws instead. Returns the previous one; empty = the default.
using ProcessEnder = std::function<void(int exit_code)>;
ProcessEnder SetProcessEnder(ProcessEnder ender);

// Source texts, translated in the context "StartUp".
inline constexpr const char* kNoProgramInstalled = QT_TRANSLATE_NOOP("StartUp", "No Program is installed!");
inline constexpr const char* kUpgradeCompanion =
    QT_TRANSLATE_NOOP("StartUp",
                      "The calibration process don't work with this version of Trakova. You must upgrade to version "
                      "6.0 or above to enable the calibration on Trakova.");

// Search parameters of start-up.
inline constexpr int kStartUpSearchRounds = 3;
inline constexpr int kStartUpIdentifyWaitMs = 100;

}  // namespace app
