// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/trainer_search.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdlib>

#include "app/controls/progress_dialog.h"
#include "app/diagnostics/port_naming.h"
#include "app/dialogs/error_dialogs.h"
#include "app/dialogs/framework_texts.h"
#include "app/startup/search_ports.h"
#include "platform/message_loop.h"
#include "platform/serial_device.h"
#include "serial/com_port.h"
#include "serial/com_port_errors.h"

namespace app {
namespace {

std::string Tr(const char* source) { return QCoreApplication::translate("TrainerSearch", source).toStdString(); }

// The identification answer is decoded while this wait processes the port's
// data, so it must follow every open.
constexpr uint32_t kSettleAfterOpenMs = 200;

// Past this many lines the retry dialog would not fit a screen.
constexpr size_t kMaxPortLines = 12;

ProbeOutcome OutcomeOfOsError(int os_error) {
    switch (os_error) {
    case EBUSY:
        return ProbeOutcome::InUse;
    case EACCES:
    case EPERM:
        return ProbeOutcome::PermissionDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return ProbeOutcome::Missing;
    case ENOTTY:
    case EISDIR:
        return ProbeOutcome::NotSerial;
    default:
        return ProbeOutcome::Failed;
    }
}

void CloseQuietly(serial::TComPort& port) {
    try {
        if (port.Connected()) port.Close();
    } catch (...) {
    }
}

std::string DescribeProbe(const PortProbe& probe) {
    switch (probe.outcome) {
    case ProbeOutcome::Found:
        return QCoreApplication::translate("TrainerSearch", "a trainer answered").toStdString();
    case ProbeOutcome::NoAnswer:
        return QCoreApplication::translate("TrainerSearch", "opened, but no trainer answered").toStdString();
    case ProbeOutcome::InUse:
        return QCoreApplication::translate("TrainerSearch", "in use by another program").toStdString();
    default:
        break;
    }
    // Refused, missing or failed: what the file is comes first, since no
    // permission would change it.
    const std::string path = platform::SerialDevicePath(probe.port);
    const platform::PortAccess access = PortAccessOf(path);
    if (probe.outcome != ProbeOutcome::Missing)
        if (const std::string what = NotAPortText(access); !what.empty()) return what;
    switch (probe.outcome) {
    case ProbeOutcome::PermissionDenied:
        return PermissionDeniedHint(path, access);
    case ProbeOutcome::Missing:
        return QCoreApplication::translate("TrainerSearch", "no such device (unplugged?)").toStdString();
    case ProbeOutcome::NotSerial:
        return QCoreApplication::translate("PortNaming", kNotASerialDevice).toStdString();
    default:
        break;
    }
    return QCoreApplication::translate("TrainerSearch", "could not be opened: %1")
        .arg(QString::fromStdString(TranslatedErrorText(probe.error)))
        .toStdString();
}

void Record(TrainerSearchReport* report, PortProbe probe) {
    if (!report) return;
    for (PortProbe& known : report->ports) {
        if (known.port == probe.port) {
            known = std::move(probe);
            return;
        }
    }
    report->ports.push_back(std::move(probe));
}

// Closes the progress dialog however the search ends.
struct ProgressDialogGuard {
    ~ProgressDialogGuard() { CloseProgressDialog(); }
};

}  // namespace

bool ProbePort(device::TQuarixDevice& device, int32_t timeout, PortProbe* probe) {
    serial::TComPort& port = *device.Port();
    PortProbe local;
    PortProbe& result = probe ? *probe : local;
    result = PortProbe{port.Port(), ProbeOutcome::NoAnswer, {}};

    if (port.Connected()) port.Close();
    try {
        port.Open();
        platform::WaitProcessing(kSettleAfterOpenMs);
    } catch (const serial::EComPort& e) {
        result.outcome = OutcomeOfOsError(e.OSErrorCode());
        result.error = e.Message();
        CloseQuietly(port);
        return false;
    } catch (const std::exception& e) {
        result.outcome = ProbeOutcome::Failed;
        result.error = e.what();
        CloseQuietly(port);
        return false;
    } catch (...) {
        result.outcome = ProbeOutcome::Failed;
        result.error = "unknown error";
        CloseQuietly(port);
        return false;
    }
    if (!port.Connected()) {
        result.outcome = ProbeOutcome::Failed;
        result.error = "the port closed again at once";
        return false;
    }
    // Told to end while the port settled: nothing more to ask it.
    if (platform::Terminating()) {
        port.Close();
        return false;
    }

    device.Identify(timeout);
    // The answer is the component's state after the wait, not Identify's result.
    if (device.Connected()) {
        result.outcome = ProbeOutcome::Found;
        return true;
    }
    if (port.Connected()) port.Close();
    return false;
}

bool SearchTrainer(device::TQuarixDevice& device, int32_t rounds, int32_t timeout, TrainerSearchReport* report) {
    bool found = false;
    if (device.Connected()) device.SetConnected(false);
    serial::TComPort& port = *device.Port();
    if (port.Connected()) port.Close();

    std::vector<std::string> ports;
    ProgressDialogGuard close_dialog;
    ShowProgressDialog(-1, rounds, Tr(kReadingComPorts));
    if (ProgressDlgForm) ProgressDlgForm->BtCancel->hide();
    platform::ProcessMessages();

    for (int32_t round = 1; round <= rounds; ++round) {
        StepProgressDialog(rounds, round, Tr(kTime) + "  " + std::to_string(round));
        if (found || platform::Terminating()) break;
        ListSearchPorts(ports);
        if (ports.empty()) {
            if (report) report->no_ports = true;
            StepProgressDialog(rounds, round, Tr(kCannotListComPorts));
            ShowMessageDialog(Tr(kCannotListComPorts), mtError, {mbOK}, 0, mbOK);
            break;
        }
        for (const std::string& name : ports) {
            StepProgressDialog(rounds, round,
                               QCoreApplication::translate("TrainerSearch", kOpeningPort)
                                   .arg(QString::fromStdString(name))
                                   .toStdString());
            port.SetPort(name);
            PortProbe probe;
            found = ProbePort(device, timeout, &probe);
            Record(report, std::move(probe));
            if (found || platform::Terminating()) break;
        }
    }
    return found;
}

std::string NoTrainerText(const TrainerSearchReport& report) {
    QString text = QCoreApplication::translate("TrainerSearch", "No trainer was found.");
    if (report.no_ports || report.ports.empty()) {
        text += QStringLiteral("\n\n") +
                QCoreApplication::translate("TrainerSearch", "This computer lists no serial port.");
        if (std::getenv("CALIBRATION_TOOL_PORTS"))
            text += u' ' + QCoreApplication::translate(
                               "TrainerSearch", "(The list comes from CALIBRATION_TOOL_PORTS, which names none.)");
        else
            text += u' ' +
                    QCoreApplication::translate("TrainerSearch", "Plug in the trainer's serial or USB-serial cable.");
    } else {
        text += QStringLiteral("\n\n") + QCoreApplication::translate("TrainerSearch", "Ports tried:");
        size_t shown = 0;
        for (const PortProbe& probe : report.ports) {
            if (shown == kMaxPortLines) {
                const int more = static_cast<int>(report.ports.size() - shown);
                text +=
                    QStringLiteral("\n  ") + QCoreApplication::translate("TrainerSearch", "... and %n more", "", more);
                break;
            }
            text += QStringLiteral("\n  ") +
                    QString::fromStdString(PortDisplayName(probe.port) + ": " + DescribeProbe(probe));
            ++shown;
        }
        text += QStringLiteral("\n\n") +
                QCoreApplication::translate(
                    "TrainerSearch", "Check that the trainer's console is switched on and its cable plugged in.");
    }
    // Names the buttons as the dialog shows them, without their shortcut marks.
    text += u'\n' + QCoreApplication::translate("TrainerSearch", "%1 searches again; %2 quits.")
                        .arg(ButtonCaption(mbRetry).remove(u'&'), ButtonCaption(mbNo).remove(u'&'));
    return text.toStdString();
}

}  // namespace app
