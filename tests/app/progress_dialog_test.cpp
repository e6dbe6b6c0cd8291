// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controls/progress_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "platform/message_loop.h"

using app::CloseProgressDialog;
using app::ProgressDlgForm;
using app::ShowProgressDialog;
using app::StepProgressDialog;

namespace {

class ProgressDialog : public testing::Test {
protected:
    void TearDown() override { CloseProgressDialog(); }
};

TEST_F(ProgressDialog, IsABorderlessTopMostWindowWithItsControlsInPlace) {
    ShowProgressDialog(0, 3, "Reading the com ports...");
    ASSERT_NE(ProgressDlgForm, nullptr);
    app::TProgressDlgForm& form = *ProgressDlgForm;
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(form.size(), QSize(461, 69));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Statut de l'opération"));
    EXPECT_EQ(form.BkgdPanel1->geometry(), QRect(0, 0, 461, 69));
    EXPECT_EQ(form.BkgdPanel1->BorderStyle(), app::bsSingle);
    // Children sit at their client positions inside the panel's 2-pixel edge.
    EXPECT_EQ(form.LabelProgress->geometry(), QRect(10, 10, 441, 13));
    EXPECT_EQ(form.ProgressBar->geometry(), QRect(10, 30, 339, 17));
    EXPECT_EQ(form.BtCancel->geometry(), QRect(354, 24, 97, 25));
    EXPECT_EQ(form.BtCancel->text(), QStringLiteral("&Annuler"));
    EXPECT_FALSE(form.BtCancel->icon().isNull());
    EXPECT_EQ(form.ProgressBar->Min(), 0);
    EXPECT_EQ(form.ProgressBar->Max(), 3);
    EXPECT_EQ(form.ProgressBar->Position(), 0);
    EXPECT_EQ(form.LabelProgress->text(), QStringLiteral("Reading the com ports..."));

    const QImage glyph = app::TProgressDlgForm::CancelGlyph().toImage();
    EXPECT_EQ(glyph.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(glyph.pixel(0, 15)), 0);  // transparent corner
    const QColor centre(glyph.pixel(8, 8));
    EXPECT_GT(centre.red(), 150);               // red cross through the middle
    EXPECT_LT(centre.green(), 60);
}

TEST_F(ProgressDialog, CancelButtonShowsOnlyForACancelMessage) {
    for (int32_t message : {-1, 0, int32_t(platform::WM_USER) + 5}) {
        ShowProgressDialog(message, 10, "x");
        EXPECT_EQ(ProgressDlgForm->BtCancel->isVisible(), message >= 0) << message;
        EXPECT_EQ(ProgressDlgForm->CancelMessage, message);
        CloseProgressDialog();
    }
}

TEST_F(ProgressDialog, StepsKeepMaximumAndPositionConsistent) {
    ShowProgressDialog(-1, 3, "start");
    StepProgressDialog(3, 2, "Time  2");
    EXPECT_EQ(ProgressDlgForm->ProgressBar->Position(), 2);
    EXPECT_EQ(ProgressDlgForm->LabelProgress->text(), QStringLiteral("Time  2"));
    StepProgressDialog(8, 7, "Opening port ttyUSB0");  // a new total first changes the maximum
    EXPECT_EQ(ProgressDlgForm->ProgressBar->Max(), 8);
    EXPECT_EQ(ProgressDlgForm->ProgressBar->Position(), 7);
    StepProgressDialog(8, 12, "past the end");  // the bar stays full
    EXPECT_EQ(ProgressDlgForm->ProgressBar->Position(), 8);
}

TEST_F(ProgressDialog, SteppingWithoutADialogIsAnError) {
    ASSERT_EQ(ProgressDlgForm, nullptr);
    try {
        StepProgressDialog(3, 1, "Time  1");
        ADD_FAILURE() << "no error";
    } catch (const platform::Exception& e) {
        EXPECT_EQ(e.Message(), "ProgressDlgForm is nil !!!");
    }
}

TEST_F(ProgressDialog, DisablesTheOtherWindowsUntilClosedAndClosingTwiceIsHarmless) {
    QWidget shown, hidden, already_disabled;
    shown.show();
    already_disabled.setEnabled(false);
    already_disabled.show();

    ShowProgressDialog(-1, 3, "x");
    EXPECT_FALSE(shown.isEnabled());
    EXPECT_TRUE(hidden.isEnabled());  // only visible windows
    EXPECT_TRUE(ProgressDlgForm->isEnabled());

    CloseProgressDialog();
    EXPECT_EQ(ProgressDlgForm, nullptr);
    EXPECT_TRUE(shown.isEnabled());
    EXPECT_FALSE(already_disabled.isEnabled());  // it was not ours to enable
    CloseProgressDialog();
    EXPECT_EQ(ProgressDlgForm, nullptr);
    EXPECT_TRUE(shown.isEnabled());
}

TEST_F(ProgressDialog, LowersOtherTopMostWindowsWhileShown) {
    QWidget top_most(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    top_most.show();
    ShowProgressDialog(-1, 3, "x");
    EXPECT_FALSE(top_most.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(top_most.isVisible());
    CloseProgressDialog();
    EXPECT_TRUE(top_most.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(top_most.isVisible());
}

TEST_F(ProgressDialog, RefusedTotalLeavesNoDialogAndNoDisabledWindow) {
    QWidget shown;
    shown.show();
    EXPECT_THROW(ShowProgressDialog(-1, -5, "x"), platform::EInvalidOperation);
    EXPECT_EQ(ProgressDlgForm, nullptr);
    EXPECT_TRUE(shown.isEnabled());
}

TEST_F(ProgressDialog, CancelSendsItsMessageAndWaitsForIt) {
    const uint32_t message = platform::WM_USER + 42;
    std::vector<std::pair<uintptr_t, intptr_t>> received;
    const int id = platform::AddMessageHandler(message, [&](uint32_t, uintptr_t w, intptr_t l) {
        received.emplace_back(w, l);
    });
    ShowProgressDialog(int32_t(message), 3, "x");
    ProgressDlgForm->BtCancel->click();
    // Handled before the click returned, with both parameters 0.
    EXPECT_EQ(received, (std::vector<std::pair<uintptr_t, intptr_t>>{{0, 0}}));
    EXPECT_EQ(platform::PendingMessageCount(), 0u);
    platform::RemoveMessageHandler(id);
}

}  // namespace
