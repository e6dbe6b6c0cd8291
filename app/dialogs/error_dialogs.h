// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Message dialogs and the application's central error reporting, with the
// user-interface library's French captions and button texts.
#include <cstdint>
#include <initializer_list>
#include <string>

class QMessageBox;
class QString;
class QWidget;

namespace app {

// The application title: task-bar text and caption of the plain message boxes.
inline constexpr const char* kApplicationTitle = "CalibrationTool";

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// In the order in which a dialog shows them.
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };

class TMsgDlgButtons {
public:
    TMsgDlgButtons() = default;
    TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> buttons) {
        for (TMsgDlgBtn b : buttons) bits_ |= 1u << b;
    }
    bool Contains(TMsgDlgBtn b) const { return (bits_ >> b) & 1u; }

private:
    uint32_t bits_ = 0;
};

// Modal results.
enum : int16_t {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// The dialog's caption for a type ("Erreur" for mtError; the application
// title for mtCustom).
std::string MsgDlgCaption(TMsgDlgType type);
// The name a button of that kind carries in the dialog ("Yes", "No", "OK"...).
std::string MsgDlgButtonName(TMsgDlgBtn button);
// A button's caption in the user's language ("&Retenter" untranslated).
QString ButtonCaption(TMsgDlgBtn button);

// Builds the standard message dialog (not shown): caption from the type,
// buttons named after their kinds, the default button focused, kept above
// every other window. The caller owns it.
QMessageBox* CreateMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                                 TMsgDlgBtn default_button);

// Shows that dialog modally above every other window (the application's
// other stay-on-top windows are lowered meanwhile) and returns its modal
// result. The help context is not used.
int16_t ShowMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                          int32_t help_context, TMsgDlgBtn default_button);

enum TMessageBoxIcon { mbiNone, mbiStop, mbiWarning, mbiInformation, mbiQuestion };

// A plain message box with one OK button, captioned with the application
// title; `top_most` keeps it above every other window. An optional second
// line (informative text) may say more.
void ShowApplicationMessage(const std::string& text, TMessageBoxIcon icon, bool top_most,
                            const std::string& detail = std::string());

// The text the central reporting shows: a full stop is appended when the
// message does not already end in one.
std::string ErrorBoxText(const std::string& message);

// The central reporting: a message box with the error icon, the application
// title as caption and ErrorBoxText(message), the framework's own messages
// in the user's language (framework_texts.h). Never throws. From a worker
// thread the box is handed to the main thread.
void ShowErrorMessage(const std::string& message) noexcept;

// Routes platform::HandleException to ShowErrorMessage.
void InstallErrorReporter();

}  // namespace app
