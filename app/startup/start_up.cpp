// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/start_up.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "app/dialogs/error_dialogs.h"
#include "app/dialogs/framework_texts.h"
#include "app/startup/calibration_settings.h"
#include "app/startup/trainer_search.h"
#include "app/window/calibration_window.h"
#include "platform/exceptions.h"
#include "platform/message_loop.h"

namespace app {
namespace {

ProcessEnder& Ender() {
    static ProcessEnder ender;
    return ender;
}

void EndProcess(int exit_code) {
    // Told to end by a signal: the caller returns instead, and the program
    // ends by that signal once the window has let go of the port.
    if (platform::Terminating()) return;
    if (Ender()) {
        Ender()(exit_code);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(exit_code);
}

// The no-trainer dialog: search again until the user says no.
bool SearchWithRetries(device::TQuarixDevice& qdv) {
    TrainerSearchReport report;
    bool found = SearchTrainer(qdv, kStartUpSearchRounds, kStartUpIdentifyWaitMs, &report);
    // A signal closes the dialog; it does not open again.
    while (!found && !platform::Terminating()) {
        if (ShowMessageDialog(NoTrainerText(report), mtError, {mbNo, mbRetry}, 0, mbRetry) != mrRetry) break;
        report = {};
        found = SearchTrainer(qdv, kStartUpSearchRounds, kStartUpIdentifyWaitMs, &report);
    }
    return found;
}

enum class Companion { Accepted, NotInstalled, TooOld };

// Generations that share the Trakova profile need a companion program of
// version 6 or later; Branzo's version decides when both are installed.
Companion CheckCompanion() {
    CompanionVersion version;
    if (IsProductInstalled(CompanionProduct::Branzo)) version = ReadProductVersion(CompanionProduct::Branzo);
    else if (IsProductInstalled(CompanionProduct::Trakova)) version = ReadProductVersion(CompanionProduct::Trakova);
    else return Companion::NotInstalled;
    return version.Major < 6 ? Companion::TooOld : Companion::Accepted;
}

}  // namespace

ProcessEnder SetProcessEnder(ProcessEnder ender) {
    ProcessEnder previous = std::move(Ender());
    Ender() = std::move(ender);
    return previous;
}

void RunStartUp(TForm1& form) {
    device::TQuarixDevice& qdv = *form.qdv;
    if (!SearchWithRetries(qdv)) {
        EndProcess(0);
        return;
    }
    platform::ProcessMessages();

    // At most one profile matches the generation; 5.5 and 8 read none.
    const CalibrationProfileInfo* profile = ProfileForVersion(qdv.Version());
    Companion companion = Companion::Accepted;
    try {
        if (profile) {
            if (profile->profile == CalibrationProfile::Quarix6) companion = CheckCompanion();
            if (companion == Companion::Accepted)
                ReadCalibrationPoints(profile->profile, form.TargetSpeeds, form.ResistanceLevels);
        }
    } catch (const platform::EAbort&) {
        throw;
    } catch (platform::Exception& e) {
        // A rider on Linux wrote or copied these settings: say which file.
        e.SetMessage(ErrorBoxText(TranslatedErrorText(e.Message())) + "\n\n" + SettingsOriginNote());
        throw;
    }
    switch (companion) {
    case Companion::NotInstalled:
        ShowApplicationMessage(QCoreApplication::translate("StartUp", kNoProgramInstalled).toStdString(), mbiStop, true,
                               SettingsOriginNote());
        EndProcess(0);
        return;
    case Companion::TooOld:
        ShowApplicationMessage(QCoreApplication::translate("StartUp", kUpgradeCompanion).toStdString(), mbiNone, false,
                               SettingsOriginNote());
        EndProcess(0);
        return;
    case Companion::Accepted:
        break;
    }

    // No point is applied yet: the zone stays hidden and no resistance is
    // sent until the rider or the console chooses one.
    form.CurrentPoint = 0;
    qdv.Start();
}

}  // namespace app
