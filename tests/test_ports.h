// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Serial ports for the tests that run the tool or its search: pseudo-terminals
// with stable names in a private folder, some silent, some held by another
// program, some with a simulated trainer console behind them.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

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
    // The pseudo-terminal the name points at.
    const std::string& Device() const { return pty_.SlaveName(); }
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

}  // namespace testing_support
