// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress dialog: a borderless, stay-on-top window with one line of text
// and a progress bar, shown while a long operation runs on the main thread.
// There is at most one; the three helpers below show, update and close it.
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <cstdint>
#include <string>

#include "app/controls/bkgd_panel.h"
#include "app/controls/nerra_progress_bar.h"

namespace app {

class TProgressDlgForm : public QWidget {
    Q_OBJECT

public:
    explicit TProgressDlgForm(QWidget* parent = nullptr);

    TBkgdPanel* BkgdPanel1;
    QLabel* LabelProgress;
    TNerraProgressBar* ProgressBar;
    QPushButton* BtCancel;

    // The application message that BtCancel sends; negative: no cancelling.
    int32_t CancelMessage = -1;

    // Sends CancelMessage (both parameters 0) and returns once it is handled.
    void BtCancelClick();

    // The red cross shown on BtCancel.
    static QPixmap CancelGlyph();
};

// The dialog while it is open, nullptr otherwise.
extern TProgressDlgForm* ProgressDlgForm;

// Disables the application's other windows and shows the dialog above them.
// A negative cancel message hides BtCancel.
void ShowProgressDialog(int32_t cancel_message, int32_t total, const std::string& text);
// Raises "ProgressDlgForm is nil !!!" when no dialog is open.
void StepProgressDialog(int32_t total, int32_t position, const std::string& text);
// Re-enables the windows and destroys the dialog; does nothing when none is open.
void CloseProgressDialog();

}  // namespace app
