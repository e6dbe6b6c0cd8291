// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controls/top_most_windows.h"

#include <QApplication>

namespace app {

void SetStayOnTop(QWidget* window, bool on) {
    // Changing a window's flags hides it: a visible one is shown again at once.
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) window->show();
}

LoweredTopMostWindows::LoweredTopMostWindows(const QWidget* keep) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window == keep || !window->isVisible()) continue;
        if (!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) continue;
        SetStayOnTop(window, false);
        lowered_.emplace_back(window);
    }
}

void LoweredTopMostWindows::Restore() {
    for (const QPointer<QWidget>& window : lowered_) {
        if (window) SetStayOnTop(window, true);
    }
    lowered_.clear();
}

}  // namespace app
