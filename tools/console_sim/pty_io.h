// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing either end of a pseudo-terminal with deadlines: the one
// set of pseudo-terminal helpers that the simulator, the tests and the
// benchmarks share. Standard library and POSIX only.
#pragma once

#include <cstddef>
#include <string>
#include <termios.h>

namespace console_sim {

// Writes every byte, waiting while the other end's queue is full.
// Throws std::system_error when the line refuses the bytes (a hang-up).
void WriteAll(int fd, const std::string& bytes);

// Reads until `count` bytes have arrived or `timeout_ms` has passed, and
// returns what came (fewer bytes on timeout or hang-up).
std::string ReadAtLeast(int fd, std::size_t count, int timeout_ms);

// Everything that arrives within `ms` (for "nothing was sent" checks). A
// hung-up line is waited out without spinning.
std::string ReadFor(int fd, int ms);

// Whether the line hangs up (POLLHUP) within `timeout_ms`; what arrives
// meanwhile is read and dropped.
bool WaitHangUp(int fd, int timeout_ms);

// The line settings of the pseudo-terminal `fd` belongs to.
// Throws std::system_error.
termios LineSettings(int fd);

// Raw mode (cfmakeraw) on an open terminal: binary-safe, no echo.
// Throws std::system_error.
void MakeRaw(int fd);

}  // namespace console_sim
