// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Serial ports for the start-up tests: the shared test ports (silent, held,
// with a console behind them), the CALIBRATION_TOOL_PORTS list that makes
// them the machine's ports while a test runs, and what the progress dialog
// painted.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QObject>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/controls/progress_dialog.h"
#include "test_ports.h"

namespace testing_support {

// CALIBRATION_TOOL_PORTS for one scope (nullopt: unset).
class ScopedPortList {
public:
    explicit ScopedPortList(const std::optional<std::string>& list) {
        if (const char* old = std::getenv("CALIBRATION_TOOL_PORTS")) old_ = old;
        Set(list);
    }
    ~ScopedPortList() { Set(old_); }
    static void Set(const std::optional<std::string>& list) {
        if (list) ::setenv("CALIBRATION_TOOL_PORTS", list->c_str(), 1);
        else ::unsetenv("CALIBRATION_TOOL_PORTS");
    }

private:
    std::optional<std::string> old_;
};

// Every text the progress dialog painted, in order (a repeated text once).
class ProgressTexts : public QObject {
public:
    ProgressTexts() { qApp->installEventFilter(this); }
    ~ProgressTexts() override { qApp->removeEventFilter(this); }
    const std::vector<std::string>& Texts() const { return texts_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && app::ProgressDlgForm && watched == app::ProgressDlgForm->LabelProgress) {
            const std::string text = app::ProgressDlgForm->LabelProgress->text().toStdString();
            if (texts_.empty() || texts_.back() != text) texts_.push_back(text);
        }
        return false;
    }

private:
    std::vector<std::string> texts_;
};

}  // namespace testing_support
