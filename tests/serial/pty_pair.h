// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A real pseudo-terminal for the port tests: the test holds the master side and
// plays the other end of the line; the port opens the slave by its path.
#include <string>

#include "tools/console_sim/pseudo_terminal.h"

namespace serial_test {

// The kernel's own settings are left on the slave: the port must set up the
// line itself, and the tests read what it set.
class PtyPair : public console_sim::PseudoTerminal {
public:
    PtyPair() : PseudoTerminal(Slave::kAsCreated) {}
};

// Every byte value once, in order.
inline std::string AllByteValues() {
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(i);
    return bytes;
}

}  // namespace serial_test
