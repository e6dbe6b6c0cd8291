#include "app/error_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <memory>

#include "app/controls/top_most_windows.h"
#include "platform/error_reporting.h"
#include "platform/message_loop.h"

namespace app {

namespace {

struct ButtonKind {
    const char* name;
    const char* caption;
    int16_t result;
};

constexpr ButtonKind kButtons[] = {
    {"Yes", "&Oui", mrYes},
    {"No", "&Non", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "&Annuler", mrCancel},
    {"Abort", "&Abandonner", mrAbort},
    {"Retry", "&Retenter", mrRetry},
    {"Ignore", "&Ignorer", mrIgnore},
    {"All", "&Tous", mrAll},
    {"NoToAll", "N&on à tout", mrNoToAll},
    {"YesToAll", "O&ui à tout", mrYesToAll},
    {"Help", "&Aide", mrNone},
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
        return "Avertissement";
    case mtError:
        return "Erreur";
    case mtInformation:
        return "Information";
    case mtConfirmation:
        return "Confirmation";
    case mtCustom:
        break;
    }
    return kApplicationTitle;
}

std::string MsgDlgButtonName(TMsgDlgBtn button) { return kButtons[button].name; }

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
        auto* button = new QPushButton(QString::fromUtf8(kButtons[kind].caption));
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
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
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
            std::fprintf(stderr, "%s\n", ErrorBoxText(message).c_str());
            return;
        }
        if (!platform::IsMainThread()) {
            // Windows belong to the main thread; the box shows at its next pass.
            platform::PostTask([message] { ShowErrorMessage(message); });
            return;
        }
        QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kApplicationTitle),
                        QString::fromStdString(ErrorBoxText(message)), QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
        box.exec();
    } catch (...) {
        std::fprintf(stderr, "%s\n", ErrorBoxText(message).c_str());
    }
}

void InstallErrorReporter() {
    platform::SetErrorReporter([](const std::string& message) { ShowErrorMessage(message); });
}

}  // namespace app
