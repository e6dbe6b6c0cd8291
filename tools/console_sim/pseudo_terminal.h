// The console's end of the line: a pseudo-terminal master, plus a symbolic
// link whose name stays the same when the console is unplugged and plugged in
// again (each plug gets a new /dev/pts/N, as a USB adapter gets a new device).
#pragma once

#include <string>

namespace console_sim {

class PseudoTerminal {
 public:
  PseudoTerminal() = default;
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // Opens a new master (non-blocking, close-on-exec) and puts the slave in raw
  // mode before anyone opens it: the settings of a pseudo-terminal live as long
  // as its master, so a peer that opens the slave later, or closes and opens it
  // again, finds binary-safe settings even before it sets its own.
  // Throws std::system_error.
  void Open();
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

 private:
  int master_ = -1;
  std::string slave_name_;
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
