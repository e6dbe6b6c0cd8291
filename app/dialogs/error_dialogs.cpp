// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/error_dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <memory>

#include "app/controls/top_most_windows.h"
#include "app/dialogs/framework_texts.h"
#include "platform/error_reporting.h"
#include "platform/message_loop.h"

namespace app {

namespace {

struct ButtonKind {
    const char* name;
    const char* caption;
    int16_t result;
};

// The captions are the user-interface library's French words; in other
// languages they are translated in the context "MessageDialog".
constexpr ButtonKind kButtons[] = {
    {"Yes", QT_TRANSLATE_NOOP("MessageDialog", "&Oui"), mrYes},
    {"No", QT_TRANSLATE_NOOP("MessageDialog", "&Non"), mrNo},
    {"OK", QT_TRANSLATE_NOOP("MessageDialog", "OK"), mrOk},
    {"Cancel", QT_TRANSLATE_NOOP("MessageDialog", "&Annuler"), mrCancel},
    {"Abort", QT_TRANSLATE_NOOP("MessageDialog", "&Abandonner"), mrAbort},
    {"Retry", QT_TRANSLATE_NOOP("MessageDialog", "&Retenter"), mrRetry},
    {"Ignore", QT_TRANSLATE_NOOP("MessageDialog", "&Ignorer"), mrIgnore},
    {"All", QT_TRANSLATE_NOOP("MessageDialog", "&Tous"), mrAll},
    {"NoToAll", QT_TRANSLATE_NOOP("MessageDialog", "N&on à tout"), mrNoToAll},
    {"YesToAll", QT_TRANSLATE_NOOP("MessageDialog", "O&ui à tout"), mrYesToAll},
    {"Help", QT_TRANSLATE_NOOP("MessageDialog", "&Aide"), mrNone},
};
constexpr int kButtonCount = static_cast<int>(sizeof kButtons / sizeof kButtons[0]);

QMessageBox::Icon IconOf(TMsgDlgType type) {
    switch (type) {
    case mtWarning:
        return QMessageBox::Warning;
    case mtError:
        return QMessageBox::Critical;
    case mtInformation:
        return QMessageBox::Information;
    case mtConfirmation:
        return QMessageBox::Question;
    case mtCustom:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::Icon IconOf(TMessageBoxIcon icon) {
    switch (icon) {
    case mbiStop:
        return QMessageBox::Critical;
    case mbiWarning:
        return QMessageBox::Warning;
    case mbiInformation:
        return QMessageBox::Information;
    case mbiQuestion:
        return QMessageBox::Question;
    case mbiNone:
        break;
    }
    return QMessageBox::NoIcon;
}

// Shows a prepared box modally above everything, lowering the application's
// other stay-on-top windows (the progress dialog) while it shows.
void ExecAboveAll(QMessageBox& box) {
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    LoweredTopMostWindows lowered(&box);
    box.exec();
}

}  // namespace

std::string MsgDlgCaption(TMsgDlgType type) {
    switch (type) {
    case mtWarning:
        return QCoreApplication::translate("MessageDialog", "Avertissement").toStdString();
    case mtError:
        return QCoreApplication::translate("MessageDialog", "Erreur").toStdString();
    case mtInformation:
        return QCoreApplication::translate("MessageDialog", "Information").toStdString();
    case mtConfirmation:
        return QCoreApplication::translate("MessageDialog", "Confirmation").toStdString();
    case mtCustom:
        break;
    }
    return kApplicationTitle;
}

std::string MsgDlgButtonName(TMsgDlgBtn button) { return kButtons[button].name; }

QString ButtonCaption(TMsgDlgBtn button) {
    return QCoreApplication::translate("MessageDialog", kButtons[button].caption);
}

QMessageBox* CreateMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                                 TMsgDlgBtn default_button) {
    auto* box = new QMessageBox();
    box->setIcon(IconOf(type));
    box->setWindowTitle(QString::fromStdString(MsgDlgCaption(type)));
    box->setText(QString::fromStdString(text));
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QPushButton* escape = nullptr;
    QPushButton* fallback_escape[3] = {nullptr, nullptr, nullptr};  // Cancel, No, OK
    for (int kind = 0; kind < kButtonCount; ++kind) {
        if (!buttons.Contains(static_cast<TMsgDlgBtn>(kind))) continue;
        auto* button = new QPushButton(ButtonCaption(static_cast<TMsgDlgBtn>(kind)));
        button->setObjectName(QString::fromUtf8(kButtons[kind].name));
        button->setProperty("modalResult", int(kButtons[kind].result));
        // One role for all keeps the buttons in the order of their kinds.
        box->addButton(button, kind == mbHelp ? QMessageBox::HelpRole : QMessageBox::ActionRole);
        if (kind == mbCancel) fallback_escape[0] = button;
        if (kind == mbNo) fallback_escape[1] = button;
        if (kind == mbOK) fallback_escape[2] = button;
    }
    for (QPushButton* candidate : fallback_escape) {
        if (escape == nullptr) escape = candidate;
    }
    if (escape) box->setEscapeButton(escape);
    if (auto* target = box->findChild<QPushButton*>(QString::fromUtf8(kButtons[default_button].name))) {
        box->setDefaultButton(target);
        target->setFocus();
    }
    return box;
}

int16_t ShowMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
                          int32_t /*help_context*/, TMsgDlgBtn default_button) {
    std::unique_ptr<QMessageBox> box(CreateMessageDialog(text, type, buttons, default_button));
    ExecAboveAll(*box);
    QAbstractButton* clicked = box->clickedButton();
    if (clicked == nullptr) return mrCancel;
    return static_cast<int16_t>(clicked->property("modalResult").toInt());
}

void ShowApplicationMessage(const std::string& text, TMessageBoxIcon icon, bool top_most, const std::string& detail) {
    QMessageBox box(IconOf(icon), QString::fromUtf8(kApplicationTitle), QString::fromStdString(text),
                    QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(ButtonCaption(mbOK));
    if (!detail.empty()) box.setInformativeText(QString::fromStdString(detail));
    if (top_most) {
        ExecAboveAll(box);
    } else {
        box.exec();
    }
}

std::string ErrorBoxText(const std::string& message) {
    if (message.empty() || message.back() == '.') return message;
    return message + '.';
}

void ShowErrorMessage(const std::string& message) noexcept {
    try {
        if (QApplication::instance() == nullptr) {
            std::fprintf(stderr, "%s\n", ErrorBoxText(TranslatedErrorText(message)).c_str());
            return;
        }
        if (!platform::IsMainThread()) {
            // Windows belong to the main thread; the box shows at its next pass.
            platform::PostTask([message] { ShowErrorMessage(message); });
            return;
        }
        QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                        QString::fromStdString(ErrorBoxText(TranslatedErrorText(message))), QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(ButtonCaption(mbOK));
        box.exec();
    } catch (...) {
        std::fprintf(stderr, "%s\n", ErrorBoxText(message).c_str());
    }
}

void InstallErrorReporter() {
    platform::SetErrorReporter([](const std::string& message) { ShowErrorMessage(message); });
}

}  // namespace app
