// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search's port choice for one scope: the ports named as by --port, and
// the sysfs the port list and the adapters' descriptions come from (by
// default the platform tests' fake tree).
#include <string>
#include <utility>
#include <vector>

#include "app/startup/search_ports.h"

namespace testing_support {

inline platform::SerialPortSysfs FakeSysfs() {
    const std::string root = std::string(QUARIX_PLATFORM_FIXTURES) + "/sysfs";
    return {root + "/class/tty", root + "/dev/serial/by-id", root + "/dev/char"};
}

class ScopedSearchPorts {
public:
    explicit ScopedSearchPorts(std::vector<std::string> chosen, platform::SerialPortSysfs sysfs = FakeSysfs())
        : previous_(app::CurrentSearchPorts()) {
        app::SetSearchPorts({std::move(chosen), std::move(sysfs)});
    }
    ~ScopedSearchPorts() { app::SetSearchPorts(previous_); }
    ScopedSearchPorts(const ScopedSearchPorts&) = delete;
    ScopedSearchPorts& operator=(const ScopedSearchPorts&) = delete;

private:
    app::SearchPorts previous_;
};

}  // namespace testing_support
