// SPDX-License-Identifier: GPL-3.0-or-later
// A trainer console on a pseudo-terminal, for tests, benchmarks and demos.
//
//   console_sim::ConsoleSimulator sim({.version = 4, .speed_kmh = 25});
//   sim.Start();
//   open(sim.SlavePath().c_str(), ...)   // the peer under test opens this
//   sim.WaitForFrame(IsIdentificationRequest, 1000);
//   sim.PressKey(0);
//
// The console:
// - answers each identification request (F0 08 28 xx 00 F7; in the byte
//   protocol the single byte 0x28) with its generation's code, and from then on
//   streams measurements: a 6-byte type-1 frame every 100 ms at version 4, a
//   10-byte type-1 frame with roll, cadence and heart periods every 100 ms above
//   4, one status byte every 10 ms in the byte protocol (versions up to 3). The
//   first measurement follows the answer by one interval. Streaming goes on
//   until Stop, or until nothing has been received for keepalive_timeout_ms
//   when that is set; unplugging does not end it (the console itself stays on);
// - answers F0 03 .. (serial number, type 3) and F0 09 .. (product version,
//   type 9) in the frame generations, whether identified or not;
// - records every byte received and sent, with steady_clock timestamps.
//
// In the byte protocol the identification answer carries no version: the
// receiving side must already be set to the version the console plays, which
// fixes its roller constants. Every 0x28 byte is taken as an identification
// request there, a resistance level of 40 included, as the wire cannot tell
// them apart.
//
// Port name: SlavePath() is a symbolic link (by default
// $TMPDIR/console-sim-XXXXXX/ttyQuarix0) to the current /dev/pts/N. Unplug()
// closes the master (the peer sees a hang-up, its reads and writes fail) and
// removes the link; Replug() opens a new pseudo-terminal and points the same
// link at it, so a peer that keeps its port name can reopen it. While no peer
// has the slave open, the console writes nothing and discards what was left
// unread, as a closed serial port would; it notices a new peer within about
// 20 ms. A pseudo-terminal's settings and its TIOCEXCL lock outlive the peer's
// close while the master is open: a peer that locks the line must unlock it
// (TIOCNXCL) before closing, or, without privileges, it cannot open the same
// name again until the console is replugged.
//
// A silent console ignores requests too (it neither answers nor starts
// streaming); measurements it would have sent are not made up afterwards.
//
// Thread-safety: every member function may be called from any thread. The
// console runs on a thread of its own between Start and Stop; on_traffic is
// called on that thread and must not call back into the simulator.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tools/console_sim/console_protocol.h"
#include "tools/console_sim/pseudo_terminal.h"

namespace console_sim {

using Clock = std::chrono::steady_clock;

// Bytes that crossed the line in one read or one write, and when.
struct TimedBytes {
  Clock::time_point when;
  std::string bytes;
};

enum class Direction { kReceived, kSent };

struct ConsoleOptions {
  // 4 (short frames); 4.5, 5, 5.5, 6, 7, 8 (long frames); (0, 3] byte protocol.
  double version = 4;
  // 24 significant bits; the default holds no marker byte.
  std::uint32_t serial_number = 0x012345;
  std::uint8_t product_version = 3;
  // Orientation bytes of the long-frame serial-number answer.
  std::int8_t rotation_x = 0;
  std::int8_t rotation_y = 0;
  double speed_kmh = 0;
  int heart_bpm = 0;
  int cadence_rpm = 0;
  // Where the port link lives; empty = a private temporary directory.
  std::string link_path{};
  // Stop streaming after this long without receiving anything; 0 = never.
  int keepalive_timeout_ms = 0;
  // Keep at most this many entries in each log (oldest dropped); 0 = all.
  std::size_t max_log_entries = 0;
  // Every read and write, as it happens (on the console's thread).
  std::function<void(Direction, const TimedBytes&)> on_traffic{};
};

struct ConsoleState {
  bool running = false;
  bool plugged = false;       // a master is open
  bool peer_attached = false; // someone holds the slave open
  bool identified = false;    // streaming measurements
  bool silent = false;
  std::uint64_t measurements_sent = 0;
  long double roll_events_sent = 0;  // as the receiver decodes them
  std::uint64_t bytes_received = 0;
  std::uint64_t writes_dropped = 0;  // line full or no peer
};

class ConsoleSimulator {
 public:
  // Throws std::invalid_argument for a version the console cannot play.
  explicit ConsoleSimulator(ConsoleOptions options = {});
  ~ConsoleSimulator();
  ConsoleSimulator(const ConsoleSimulator&) = delete;
  ConsoleSimulator& operator=(const ConsoleSimulator&) = delete;

  // Opens the pseudo-terminal, creates the link and starts the console's
  // thread. Throws std::system_error; std::logic_error when already started.
  void Start();
  // Ends the thread, closes the master, removes the link. Idempotent.
  void Stop();

  // The stable port name (the link). Valid from Start until Stop.
  std::string SlavePath() const;
  // The current /dev/pts/N; empty while unplugged.
  std::string PtyPath() const;
  const Generation& GetGeneration() const { return generation_; }

  // Measurement inputs; they take effect from the next measurement.
  void SetSpeed(double kmh);  // std::invalid_argument when not finite
  void SetHeart(int bpm);
  void SetCadence(int rpm);
  // One measurement with status bit `bit` (0..7) set; presses queue up.
  void PressKey(int bit);
  void HoldKey(int bit, bool held);

  // Starts the measurements without waiting for an identification request,
  // as a console that is already talking when the line is opened (and so that
  // a terminal program can watch the stream). No-op while streaming.
  void StartStreaming();

  // A silent console sends nothing at all (no answers, no measurements) but
  // still records what it receives.
  void SetSilent(bool silent);
  // Both return once done; each is a no-op when already in that state.
  void Unplug();
  void Replug();
  // Writes bytes verbatim, now (malformed frames, stray bytes). Returns
  // whether they were written: false while unplugged, silent or without peer.
  bool Inject(const std::string& bytes);

  ConsoleState State() const;

  // Logs. Indices are absolute: entries dropped by max_log_entries keep theirs.
  std::vector<TimedBytes> Received() const;
  std::string ReceivedBytes() const;  // the received log, concatenated
  std::vector<TimedBytes> Sent() const;
  // The 6-byte frames (F0 .. .. .. .. F7) found in the received stream, each
  // stamped with the read that completed it; bytes between frames are skipped.
  std::vector<TimedBytes> ReceivedFrames6() const;
  // Index the next received 6-byte frame will have (pass it to WaitForFrame to
  // ignore everything received so far).
  std::size_t FrameMark() const;
  // The first received 6-byte frame with index >= from_index that satisfies
  // `match`, waiting up to timeout_ms for it to arrive. `match` runs under the
  // simulator's lock: it must not call the simulator.
  std::optional<TimedBytes> WaitForFrame(const std::function<bool(const std::string&)>& match,
                                         int timeout_ms, std::size_t from_index = 0) const;
  // Waits until `match` holds for everything received so far (concatenated).
  bool WaitForReceived(const std::function<bool(const std::string&)>& match, int timeout_ms) const;

 private:
  struct CommandResult {
    bool done = false;
    bool written = false;
    std::exception_ptr error;
  };
  struct Command {
    enum Kind { kUnplug, kReplug, kInject } kind;
    std::string bytes;
    CommandResult* result;  // the caller waits for it, so it outlives the command
  };

  void Run();
  void Execute(const Command& command);  // on the console's thread
  void StartStreamingLocked(Clock::time_point now);
  void Wake();
  bool RunCommand(Command::Kind kind, std::string bytes = {});
  void PlugLocked();
  void UnplugLocked();
  void ReadAvailable(Clock::time_point now);
  void React(const std::string& bytes, Clock::time_point now);
  bool WriteLocked(const std::string& bytes, Clock::time_point now);
  void SendMeasurementsDue(Clock::time_point now);
  void CheckPeer(Clock::time_point now);
  void Log(std::deque<TimedBytes>& log, std::size_t& base, TimedBytes entry);
  void Notify(Direction direction, const TimedBytes& entry);

  const ConsoleOptions options_;
  const Generation generation_;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  MeasurementGenerator generator_;
  PseudoTerminal pty_;
  StableLink link_;
  std::string link_path_;
  int wake_fd_ = -1;
  std::thread thread_;
  bool stop_requested_ = false;
  ConsoleState state_;
  Clock::time_point next_measurement_{};
  Clock::time_point last_received_{};
  Clock::time_point next_peer_check_{};
  std::string frame_pending_;  // received bytes not yet part of a 6-byte frame
  std::deque<TimedBytes> received_, sent_, frames_;
  std::size_t received_base_ = 0, sent_base_ = 0, frames_base_ = 0;
  std::deque<Command> commands_;
  // Traffic seen under the lock, reported to on_traffic after releasing it.
  std::vector<std::pair<Direction, TimedBytes>> traffic_;
};

}  // namespace console_sim
