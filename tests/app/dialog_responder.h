// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Answers the application's modal message boxes the way a user would: it
// watches for a visible QMessageBox, records what it shows and clicks one of
// its buttons. Works inside nested loops (a modal exec, the component's waits)
// because it runs on a Qt timer.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

struct SeenDialog {
    std::string title;
    std::string text;
    std::string informative;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<std::string> buttons;  // object names, else captions
    bool top_most = false;
};

class DialogResponder {
public:
    // Called with the dialog before it is answered; returns the button to
    // click (object name or caption). Empty: the box's default or escape button.
    using Chooser = std::function<std::string(const SeenDialog&)>;

    explicit DialogResponder(Chooser chooser = {}) : chooser_(std::move(chooser)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
    }

    const std::vector<SeenDialog>& Seen() const { return seen_; }

private:
    void Poll() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible() || box->property("test_answered").toBool()) continue;
            box->setProperty("test_answered", true);
            SeenDialog seen;
            seen.title = box->windowTitle().toStdString();
            seen.text = box->text().toStdString();
            seen.informative = box->informativeText().toStdString();
            seen.icon = box->icon();
            seen.top_most = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            for (QAbstractButton* b : box->buttons())
                seen.buttons.push_back(b->objectName().isEmpty() ? b->text().toStdString()
                                                                 : b->objectName().toStdString());
            seen_.push_back(seen);
            const std::string choice = chooser_ ? chooser_(seen) : std::string();
            QAbstractButton* target = nullptr;
            for (QAbstractButton* b : box->buttons())
                if (!choice.empty() && (b->objectName().toStdString() == choice || b->text().toStdString() == choice))
                    target = b;
            if (!target) target = box->defaultButton() ? box->defaultButton() : box->escapeButton();
            if (!target && !box->buttons().isEmpty()) target = box->buttons().first();
            QPointer<QAbstractButton> click(target);
            // Clicked from the loop, not from inside this poll.
            QTimer::singleShot(0, [click] {
                if (click) click->click();
            });
        }
    }

    Chooser chooser_;
    QTimer timer_;
    std::vector<SeenDialog> seen_;
};

}  // namespace testing_support
