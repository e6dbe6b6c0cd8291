#pragma once
// Serial ports for the start-up tests: pseudo-terminals with stable names in a
// private folder, some with a simulated trainer console behind them, some
// silent, and the CALIBRATION_TOOL_PORTS list that makes them the machine's
// ports while a test runs.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QObject>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

#include "app/controls/progress_dialog.h"
#include "tools/console_sim/console_simulator.h"
#include "tools/console_sim/pseudo_terminal.h"

namespace testing_support {

class PortFolder {
public:
    PortFolder() {
        char pattern[] = "/tmp/startup_ports_XXXXXX";
        dir_ = ::mkdtemp(pattern);
    }
    ~PortFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
};

// A port with nothing behind it that ever answers.
class SilentPort {
public:
    SilentPort(const PortFolder& folder, const std::string& name) : link_(folder.Path(name)) {
        pty_.Open();
        std::filesystem::create_symlink(pty_.SlaveName(), link_);
    }
    const std::string& Name() const { return link_; }
    // Everything the tool wrote to it so far.
    std::string Drain() { return pty_.ReadFor(0); }

private:
    console_sim::PseudoTerminal pty_;
    std::string link_;
};

// Another program holding a port: an advisory exclusive lock, as a second
// serial program takes it.
class HeldPort {
public:
    explicit HeldPort(const std::string& name) {
        fd_ = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX | LOCK_NB);
    }
    ~HeldPort() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// A simulated trainer console whose port has a chosen name.
inline std::unique_ptr<console_sim::ConsoleSimulator> StartConsole(const PortFolder& folder, const std::string& name,
                                                                  double version, double speed_kmh = 20) {
    console_sim::ConsoleOptions options;
    options.version = version;
    options.speed_kmh = speed_kmh;
    options.link_path = folder.Path(name);
    auto console = std::make_unique<console_sim::ConsoleSimulator>(options);
    console->Start();
    return console;
}

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
