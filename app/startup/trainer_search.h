// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search for the trainer across the machine's serial ports: every port is
// opened in turn and asked to identify a trainer, for up to a number of rounds,
// while the progress dialog names the port being opened.
//
// Besides the yes/no answer the search keeps, per port, why it gave no
// trainer, so that the dialog offering another try can say what to fix.
#include <QtGlobal>
#include <cstdint>
#include <string>
#include <vector>

#include "device/quarix_device.h"

namespace app {

// The search's texts (string resources 65226 to 65229), translated in the
// context "TrainerSearch"; %1 is the port's name.
inline constexpr const char* kReadingComPorts = QT_TRANSLATE_NOOP("TrainerSearch", "Reading the com ports...");
inline constexpr const char* kTime = QT_TRANSLATE_NOOP("TrainerSearch", "Time");
inline constexpr const char* kCannotListComPorts =
    QT_TRANSLATE_NOOP("TrainerSearch", "Cannot list the com ports of the computer!");
inline constexpr const char* kOpeningPort = QT_TRANSLATE_NOOP("TrainerSearch", "Opening port %1");

enum class ProbeOutcome {
    Found,
    NoAnswer,          // opened, but nothing identified itself
    InUse,             // another program holds the port
    PermissionDenied,  // the user may not open the device
    Missing,           // no such device (unplugged, mistyped)
    NotSerial,         // the name is not a terminal device
    Failed,            // any other error while opening; see `error`
};

struct PortProbe {
    std::string port;
    ProbeOutcome outcome = ProbeOutcome::NoAnswer;
    std::string error;  // the error's text for Failed (and the others when raised)
};

struct TrainerSearchReport {
    // Each port tried, in the order first tried, with its last outcome.
    std::vector<PortProbe> ports;
    // The port list was empty.
    bool no_ports = false;
};

// Probes the port whose name is already set on the device's serial port:
// open, wait 200 ms, identify. True when the device is then connected (the
// port stays open); otherwise the port is closed. Opening errors are
// swallowed. `probe`, when given, receives the outcome.
bool ProbePort(device::TQuarixDevice& device, int32_t timeout, PortProbe* probe = nullptr);

// Disconnects the device, then tries the search's ports (search_ports.h) for up to `rounds`
// rounds. True: the device is connected on the port found. False: no trainer,
// and the port is closed. An error listing the ports leaves the search (the
// progress dialog is closed on every path).
bool SearchTrainer(device::TQuarixDevice& device, int32_t rounds, int32_t timeout,
                   TrainerSearchReport* report = nullptr);

// The text of the dialog that offers another search: each port tried and why
// it gave no trainer, and what to do about it.
std::string NoTrainerText(const TrainerSearchReport& report);

}  // namespace app
