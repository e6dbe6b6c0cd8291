// Renders the calibration window and the progress dialog as a user sees them
// and keeps the pictures: in $CALIBRATION_DOCS_DIR when set (the README's
// docs/ folder), else in the working directory.
#include <QDir>
#include <gtest/gtest.h>

#include "app/calibration_window.h"
#include "app/controls/progress_dialog.h"
#include "gui_test_support.h"

using gui_test::PixelAt;

namespace {

QString PictureDir() {
    const QString dir = qEnvironmentVariable("CALIBRATION_DOCS_DIR");
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

TEST(WindowPictures, CalibrationWindowRiding) {
    app::TForm1 form;
    app::SetMainForm(&form);
    form.TargetSpeeds = {20, 30, 40};
    form.ResistanceLevels = {100, 60, 0};
    form.qdv->SetConnectionSurvey(false);
    form.qdv->SetConnected(true);
    form.qdv->Speed = 29.7L;
    form.Btn_P2->click();
    form.qdv->OnStats(form.qdv.get(), 1000, 10, 10, 50, 29.7L, true);
    form.show();
    const QImage image = gui_test::Render(&form);
    app::SetMainForm(nullptr);

    ASSERT_EQ(image.size(), QSize(319, 122));
    EXPECT_EQ(PixelAt(image, 155, 90), QColor(0, 255, 255));  // target zone at 30 km/h
    EXPECT_EQ(PixelAt(image, 60, 90), QColor(255, 255, 255));  // the rest of the scale
    EXPECT_EQ(PixelAt(image, 8, 80), QColor(0, 0, 0));         // the scale's outline
    const QPoint tip = form.Indicatore->pos() + form.Indicatore->TipPixel();
    EXPECT_EQ(tip, QPoint(8 + 148 - 1, 79));                    // 29.7 km/h -> 148.5 -> 148
    EXPECT_EQ(PixelAt(image, tip.x(), tip.y() - 10), QColor(0, 255, 0));
    EXPECT_TRUE(image.save(PictureDir() + "/calibration-window.png"));
}

TEST(WindowPictures, ProgressDialogSearching) {
    app::ShowProgressDialog(-1, 3, "Reading the com ports...");
    app::StepProgressDialog(3, 2, "Opening port ttyUSB0");
    const QImage image = gui_test::Render(app::ProgressDlgForm);
    app::CloseProgressDialog();

    ASSERT_EQ(image.size(), QSize(461, 69));
    // Two thirds of the bar (inside its one-pixel frame) in the bar colour.
    const QPoint bar(10, 30);
    EXPECT_EQ(PixelAt(image, bar.x() + 5, bar.y() + 8), QColor(16, 88, 200));
    EXPECT_NE(PixelAt(image, bar.x() + 330, bar.y() + 8), QColor(16, 88, 200));
    EXPECT_TRUE(image.save(PictureDir() + "/progress-dialog.png"));
}

TEST(WindowPictures, ProgressDialogThatCanBeCancelled) {
    app::ShowProgressDialog(0, 10, "Progression:");
    app::StepProgressDialog(10, 4, "Progression: 4 / 10");
    const QImage image = gui_test::Render(app::ProgressDlgForm);
    const QRect button = app::ProgressDlgForm->BtCancel->geometry();
    app::CloseProgressDialog();

    // The red cross shows on the button.
    bool red = false;
    for (int y = button.top(); y <= button.bottom(); ++y)
        for (int x = button.left(); x <= button.right(); ++x) {
            const QColor c = PixelAt(image, x, y);
            red = red || (c.red() > 150 && c.green() < 80 && c.blue() < 80);
        }
    EXPECT_TRUE(red);
    EXPECT_TRUE(image.save(PictureDir() + "/progress-dialog-cancel.png"));
}

}  // namespace
