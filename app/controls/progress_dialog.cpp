// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controls/progress_dialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPainter>
#include <QScreen>
#include <memory>
#include <vector>

#include "app/controls/form_font.h"
#include "app/controls/top_most_windows.h"
#include "platform/exceptions.h"
#include "platform/message_loop.h"

namespace app {

TProgressDlgForm* ProgressDlgForm = nullptr;

namespace {

// What the show helper changed, for the close helper to undo.
struct ShownState {
    std::vector<QPointer<QWidget>> disabled;
    std::unique_ptr<LoweredTopMostWindows> lowered;
};
ShownState& Shown() {
    static ShownState state;
    return state;
}

}  // namespace

TProgressDlgForm::TProgressDlgForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("ProgressDlgForm"));
    setWindowTitle(QCoreApplication::translate("TProgressDlgForm", "Statut de l'opération"));
    setFont(FormFont());
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    setPalette(p);
    setAutoFillBackground(true);
    setFixedSize(461, 69);

    BkgdPanel1 = new TBkgdPanel(this);
    BkgdPanel1->setObjectName(QStringLiteral("BkgdPanel1"));
    BkgdPanel1->setGeometry(0, 0, 461, 69);
    BkgdPanel1->SetBorderStyle(bsSingle);
    BkgdPanel1->SetCaption(QStringLiteral("BkgdPanel1"));
    BkgdPanel1->UseFirstColor = false;

    LabelProgress = new QLabel(QCoreApplication::translate("TProgressDlgForm", "Progression:"), BkgdPanel1);
    LabelProgress->setObjectName(QStringLiteral("LabelProgress"));
    BkgdPanel1->PlaceChild(LabelProgress, 8, 8, 441, 13);

    ProgressBar = new TNerraProgressBar(BkgdPanel1);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    BkgdPanel1->PlaceChild(ProgressBar, 8, 28, 339, 17);
    ProgressBar->SetBorderColor(palette().color(QPalette::Dark));
    ProgressBar->SetParams(0, 100);

    BtCancel =
        new QPushButton(QIcon(CancelGlyph()), QCoreApplication::translate("TProgressDlgForm", "&Annuler"), BkgdPanel1);
    BtCancel->setObjectName(QStringLiteral("BtCancel"));
    BtCancel->setIconSize(QSize(16, 16));
    BkgdPanel1->PlaceChild(BtCancel, 352, 22, 97, 25);
    connect(BtCancel, &QPushButton::clicked, this, [this] { BtCancelClick(); });
}

QPixmap TProgressDlgForm::CancelGlyph() {
    QPixmap glyph(16, 16);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    painter.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    return glyph;
}

void TProgressDlgForm::BtCancelClick() {
    if (CancelMessage < 0) return;
    platform::SendMessage(static_cast<uint32_t>(CancelMessage), 0, 0);
}

void ShowProgressDialog(int32_t cancel_message, int32_t total, const std::string& text) {
    // A second dialog would orphan the first one's disabled windows.
    CloseProgressDialog();

    ShownState& shown = Shown();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->isEnabled()) {
            window->setEnabled(false);
            shown.disabled.emplace_back(window);
        }
    }

    ProgressDlgForm = new TProgressDlgForm();
    static const bool close_at_quit = [] {
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { CloseProgressDialog(); });
        return true;
    }();
    (void)close_at_quit;

    try {
        ProgressDlgForm->CancelMessage = cancel_message;
        ProgressDlgForm->BtCancel->setVisible(cancel_message >= 0);
        ProgressDlgForm->ProgressBar->SetMax(total);
        ProgressDlgForm->ProgressBar->SetPosition(0);
        ProgressDlgForm->LabelProgress->setText(QString::fromStdString(text));
    } catch (...) {
        // A refused total must not leave the application's windows disabled.
        CloseProgressDialog();
        throw;
    }

    ProgressDlgForm->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    shown.lowered = std::make_unique<LoweredTopMostWindows>(ProgressDlgForm);
    if (QScreen* screen = ProgressDlgForm->screen()) {
        const QRect area = screen->availableGeometry();
        ProgressDlgForm->move(area.center() - ProgressDlgForm->rect().center());
    }
    ProgressDlgForm->show();
}

void StepProgressDialog(int32_t total, int32_t position, const std::string& text) {
    if (ProgressDlgForm == nullptr) throw platform::Exception("ProgressDlgForm is nil !!!");
    TNerraProgressBar* bar = ProgressDlgForm->ProgressBar;
    if (bar->Max() != total) bar->SetMax(total);
    bar->SetPosition(position);
    ProgressDlgForm->LabelProgress->setText(QString::fromStdString(text));
    // The caller may not return to the message loop for a while.
    ProgressDlgForm->LabelProgress->repaint();
}

void CloseProgressDialog() {
    if (ProgressDlgForm == nullptr) return;
    ShownState& shown = Shown();
    for (const QPointer<QWidget>& window : shown.disabled) {
        if (window) window->setEnabled(true);
    }
    shown.disabled.clear();
    if (shown.lowered) shown.lowered->Restore();
    shown.lowered.reset();
    TProgressDlgForm* form = ProgressDlgForm;
    ProgressDlgForm = nullptr;
    form->close();
    delete form;
}

}  // namespace app
