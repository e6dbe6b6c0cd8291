// SPDX-License-Identifier: GPL-3.0-or-later
// The console's end of the line: a pseudo-terminal master, plus a symbolic
// link whose name stays the same when the console is unplugged and plugged in
// again (each plug gets a new /dev/pts/N, as a USB adapter gets a new device).
#pragma once

#include <cstddef>
#include <string>
#include <termios.h>

namespace console_sim {

class PseudoTerminal {
 public:
  enum class Slave { kRaw, kAsCreated };
  PseudoTerminal() = default;
  // Opened at once (see Open).
  explicit PseudoTerminal(Slave slave) { Open(slave); }
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Opens a new master (non-blocking, close-on-exec) and, unless told
  // otherwise, puts the slave in raw mode before anyone opens it: the settings
  // of a pseudo-terminal live as long as its master, so a peer that opens the
  // slave later, or closes and opens it again, finds binary-safe settings even
  // before it sets its own. kAsCreated leaves the kernel's defaults, for tests
  // of a peer that must set the line up itself. Throws std::system_error.
  void Open(Slave slave = Slave::kRaw);
  // Closing the master is a hang-up for whoever holds the slave; its node
  // disappears.
  void Close();
  bool IsOpen() const { return master_ >= 0; }
  int Master() const { return master_; }
  const std::string& SlaveName() const { return slave_name_; }

  // Discards what was sent to the slave and not read: a serial port drops its
  // input when it is closed, and so should ours when its peer goes away. Best
  // effort (a peer's exclusive lock may refuse the open).
  void DiscardUnreadSlaveInput() const;

  // The master's end of the line, with deadlines (see pty_io.h).
  void Write(const std::string& bytes) const;
  std::string ReadAtLeast(std::size_t count, int timeout_ms) const;
  std::string ReadFor(int ms) const;
  // The settings the slave's side runs with.
  termios LineSettings() const;

 private:
  int master_ = -1;
  std::string slave_name_;
};

// A program's end of a pseudo-terminal: the slave opened by its path, as a
// serial program opens its port. Free of the tool's serial code, so whatever
// it checks is checked against nothing but the kernel.
class PtyClient {
 public:
  enum class Mode { kRaw, kAsFound };
  // Opens `path` non-blocking. Throws std::system_error with errno.
  explicit PtyClient(const std::string& path, Mode mode = Mode::kRaw);
  ~PtyClient();
  PtyClient(const PtyClient&) = delete;
  PtyClient& operator=(const PtyClient&) = delete;

  // errno of an open attempt, 0 when it succeeds (and the file is closed again).
  static int OpenError(const std::string& path);

  int Fd() const { return fd_; }
  void Close();

  void Write(const std::string& bytes) const;
  std::string ReadAtLeast(std::size_t count, int timeout_ms) const;
  std::string ReadFor(int ms) const;
  bool WaitHangUp(int timeout_ms) const;

 private:
  int fd_ = -1;
};

// A symbolic link at a fixed path that follows the current slave.
class StableLink {
 public:
  StableLink() = default;
  ~StableLink();
  StableLink(const StableLink&) = delete;
  StableLink& operator=(const StableLink&) = delete;

  // `path` empty: a new private directory under $TMPDIR (or /tmp) holding
  // "ttyQuarix0", removed again by Release. Otherwise the link is `path`; an
  // existing file there is replaced only when it is a symbolic link.
  // Throws std::system_error.
  void Create(const std::string& path);
  // Points the link at `target` (atomically: a reader sees the old or the new one).
  void PointTo(const std::string& target);
  // Removes the link (an unplugged adapter's name disappears); the path is kept.
  void Remove();
  // Removes the link and the private directory.
  void Release();
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string private_dir_;
};

}  // namespace console_sim
