// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/search_ports.h"

#include "serial/list_serial_ports.h"

namespace app {
namespace {

SearchPorts& Current() {
    static SearchPorts ports;
    return ports;
}

}  // namespace

void SetSearchPorts(SearchPorts ports) { Current() = std::move(ports); }

const SearchPorts& CurrentSearchPorts() { return Current(); }

void ListSearchPorts(std::vector<std::string>& list) {
    if (!Current().chosen.empty()) {
        list = Current().chosen;
        return;
    }
    serial::ListSerialPorts(list, Current().sysfs.tty_class);
}

}  // namespace app
