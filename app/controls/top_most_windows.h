// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stay-on-top windows of the application stand in each other's way: a new
// top-most window (a progress or message dialog) lowers the others while it
// shows and puts them back afterwards.
#include <QPointer>
#include <QWidget>
#include <vector>

namespace app {

class LoweredTopMostWindows {
public:
    // Lowers every visible stay-on-top window of the application but `keep`.
    explicit LoweredTopMostWindows(const QWidget* keep);
    ~LoweredTopMostWindows() { Restore(); }
    LoweredTopMostWindows(const LoweredTopMostWindows&) = delete;
    LoweredTopMostWindows& operator=(const LoweredTopMostWindows&) = delete;

    // Puts the lowered windows (those still alive) back on top; once.
    void Restore();

private:
    std::vector<QPointer<QWidget>> lowered_;
};

// Sets or clears the stay-on-top hint; a visible window stays visible.
void SetStayOnTop(QWidget* window, bool on);

}  // namespace app
