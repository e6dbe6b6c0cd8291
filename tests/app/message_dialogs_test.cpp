// SPDX-License-Identifier: GPL-3.0-or-later
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "app/controls/progress_dialog.h"
#include "app/dialogs/error_dialogs.h"
#include "app/startup/qt_message_pump.h"
#include "gui_test_support.h"
#include "platform/error_reporting.h"
#include "platform/exceptions.h"
#include "platform/message_loop.h"

using gui_test::WhenModalShows;

namespace {

struct SeenDialog {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool top_most = false;
    std::vector<std::string> names;     // in their on-screen order
    std::vector<std::string> captions;
    std::string focused;
};

// Records the dialog, then clicks the button named `click` (or closes the
// window when empty).
void RecordAndAnswer(SeenDialog& seen, const std::string& click) {
    WhenModalShows([&seen, click](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen.caption = box->windowTitle().toStdString();
        seen.text = box->text().toStdString();
        seen.icon = box->icon();
        seen.top_most = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        auto buttons = box->buttons();
        std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) { return a->x() < b->x(); });
        for (QAbstractButton* b : buttons) {
            seen.names.push_back(b->objectName().toStdString());
            seen.captions.push_back(b->text().toStdString());
        }
        if (QWidget* f = box->focusWidget()) seen.focused = f->objectName().toStdString();
        if (click.empty()) {
            box->close();  // the window's close button
        } else if (auto* target = box->findChild<QPushButton*>(QString::fromStdString(click))) {
            target->click();
        } else {
            box->reject();
        }
    });
}

TEST(MessageDialog, ErrorDialogWithNoAndRetry) {
    SeenDialog seen;
    RecordAndAnswer(seen, "Retry");
    const int16_t result = app::ShowMessageDialog("", app::mtError, {app::mbNo, app::mbRetry}, 0, app::mbRetry);
    EXPECT_EQ(result, app::mrRetry);
    EXPECT_EQ(seen.caption, "Erreur");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_TRUE(seen.top_most);
    EXPECT_EQ(seen.names, (std::vector<std::string>{"No", "Retry"}));
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"&Non", "&Retenter"}));
    EXPECT_EQ(seen.focused, "Retry");

    SeenDialog second;
    RecordAndAnswer(second, "No");
    EXPECT_EQ(app::ShowMessageDialog("", app::mtError, {app::mbNo, app::mbRetry}, 0, app::mbRetry), app::mrNo);

    SeenDialog escaped;  // closing the dialog answers with its cancelling button
    RecordAndAnswer(escaped, "");
    EXPECT_EQ(app::ShowMessageDialog("", app::mtError, {app::mbNo, app::mbRetry}, 0, app::mbRetry), app::mrNo);
}

TEST(MessageDialog, ButtonsFollowTheOrderOfTheirKindsAndCaptionsTheType) {
    struct Case {
        app::TMsgDlgType type;
        app::TMsgDlgButtons buttons;
        app::TMsgDlgBtn default_button;
        std::string click;
        int16_t result;
        std::string caption;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases = {
        {app::mtError, {app::mbOK}, app::mbOK, "OK", app::mrOk, "Erreur", {"OK"}},
        {app::mtWarning, {app::mbCancel, app::mbOK, app::mbYes}, app::mbCancel, "Cancel", app::mrCancel,
         "Avertissement", {"Yes", "OK", "Cancel"}},
        {app::mtConfirmation, {app::mbIgnore, app::mbAbort, app::mbRetry}, app::mbIgnore, "Abort", app::mrAbort,
         "Confirmation", {"Abort", "Retry", "Ignore"}},
        {app::mtInformation, {app::mbYesToAll, app::mbNoToAll, app::mbAll}, app::mbAll, "YesToAll", app::mrYesToAll,
         "Information", {"All", "NoToAll", "YesToAll"}},
        {app::mtCustom, {app::mbYes, app::mbNo}, app::mbNo, "Yes", app::mrYes, "CalibrationTool", {"Yes", "No"}},
    };
    for (const Case& c : cases) {
        SeenDialog seen;
        RecordAndAnswer(seen, c.click);
        EXPECT_EQ(app::ShowMessageDialog("text", c.type, c.buttons, 0, c.default_button), c.result) << c.caption;
        EXPECT_EQ(seen.caption, c.caption);
        EXPECT_EQ(seen.names, c.names) << c.caption;
        EXPECT_EQ(seen.focused, app::MsgDlgButtonName(c.default_button)) << c.caption;
        EXPECT_EQ(seen.text, "text");
    }
}

TEST(MessageDialog, ShowsAboveTheProgressDialogAndGivesItBackItsPlace) {
    app::ShowProgressDialog(-1, 3, "Time  1");
    bool progress_top_most_meanwhile = true;
    WhenModalShows([&](QWidget* modal) {
        progress_top_most_meanwhile = app::ProgressDlgForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        qobject_cast<QMessageBox*>(modal)->findChild<QPushButton*>("OK")->click();
    });
    app::ShowMessageDialog("Cannot list the com ports of the computer!", app::mtError, {app::mbOK}, 0, app::mbOK);
    EXPECT_FALSE(progress_top_most_meanwhile);
    EXPECT_TRUE(app::ProgressDlgForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    app::CloseProgressDialog();
}

TEST(ErrorReporting, AppendsAFullStopUnlessThereIsOne) {
    const std::pair<std::string, std::string> cases[] = {
        {"'22.5' is not a valid integer value", "'22.5' is not a valid integer value."},
        {"Registry error (win error code: 2)", "Registry error (win error code: 2)."},
        {"Already ends.", "Already ends."},
        {"ProgressDlgForm is nil !!!", "ProgressDlgForm is nil !!!."},
        {"", ""},
    };
    for (const auto& [message, shown] : cases) EXPECT_EQ(app::ErrorBoxText(message), shown);
}

TEST(ErrorReporting, AnErrorEscapingAHandlerShowsAnErrorBoxAndTheLoopCarriesOn) {
    app::InstallErrorReporter();
    app::ScopedQtMessagePump pump;
    SeenDialog seen;
    RecordAndAnswer(seen, "");
    bool later_task_ran = false;
    // Errors escaping posted work reach the central reporting from Qt's loop.
    platform::PostTask([] { throw platform::EConvertError("'' is not a valid floating point value"); });
    platform::PostTask([&] { later_task_ran = true; });
    QEventLoop loop;
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (later_task_ran) loop.quit();
    });
    poll.start(5);
    loop.exec();
    platform::SetErrorReporter({});

    EXPECT_TRUE(later_task_ran);
    EXPECT_EQ(seen.caption, "CalibrationTool");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.text, "'' is not a valid floating point value.");
    EXPECT_EQ(seen.captions, (std::vector<std::string>{"OK"}));

    // A silent abort shows nothing.
    bool shown = false;
    platform::SetErrorReporter([&](const std::string&) { shown = true; });
    platform::HandleException(std::make_exception_ptr(platform::EAbort()));
    platform::SetErrorReporter({});
    EXPECT_FALSE(shown);
}

TEST(ErrorReporting, AnErrorReportedOnAWorkerShowsOnTheMainThread) {
    app::InstallErrorReporter();
    app::ScopedQtMessagePump pump;
    SeenDialog seen;
    RecordAndAnswer(seen, "");
    std::thread worker([] {
        platform::HandleException(std::make_exception_ptr(platform::Exception("Write error")));
    });
    worker.join();
    QEventLoop loop;
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!seen.caption.empty()) loop.quit();
    });
    poll.start(5);
    loop.exec();
    platform::SetErrorReporter({});
    EXPECT_EQ(seen.caption, "CalibrationTool");
    EXPECT_EQ(seen.text, "Write error.");
}

TEST(ApplicationMessage, CaptionIsTheTitleWithTheChosenIcon) {
    SeenDialog stop;
    RecordAndAnswer(stop, "");
    app::ShowApplicationMessage("No Program is installed!", app::mbiStop, true);
    EXPECT_EQ(stop.caption, "CalibrationTool");
    EXPECT_EQ(stop.text, "No Program is installed!");
    EXPECT_EQ(stop.icon, QMessageBox::Critical);
    EXPECT_TRUE(stop.top_most);
    EXPECT_EQ(stop.captions, (std::vector<std::string>{"OK"}));

    SeenDialog plain;
    RecordAndAnswer(plain, "");
    app::ShowApplicationMessage("upgrade", app::mbiNone, false);
    EXPECT_EQ(plain.icon, QMessageBox::NoIcon);
    EXPECT_FALSE(plain.top_most);
}

}  // namespace
