// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/console_sim/console_simulator.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace console_sim {

namespace {

// How often a console without a peer looks whether someone opened the slave:
// a master gives no event for that, only the end of its hang-up.
constexpr auto kPeerCheckInterval = std::chrono::milliseconds(20);
// Measurements this late are dropped instead of sent in a burst.
constexpr auto kMaxCatchUp = std::chrono::seconds(1);

Generation GenerationOrThrow(double version) {
  const auto generation = FindGeneration(version);
  if (!generation) {
    std::ostringstream text;
    text << "no console plays version " << version << " (4, 4.5, 5, 5.5, 6, 7, 8, or above 0 up to 3)";
    throw std::invalid_argument(text.str());
  }
  return *generation;
}

}  // namespace

ConsoleSimulator::ConsoleSimulator(ConsoleOptions options)
    : options_(std::move(options)), generation_(GenerationOrThrow(options_.version)), generator_(generation_) {
  generator_.SetSpeed(options_.speed_kmh);
  generator_.SetHeart(options_.heart_bpm);
  generator_.SetCadence(options_.cadence_rpm);
}

ConsoleSimulator::~ConsoleSimulator() { Stop(); }

void ConsoleSimulator::Start() {
  std::lock_guard lock(mutex_);
  if (state_.running) throw std::logic_error("the console simulator is already running");
  wake_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake_fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
  try {
    link_.Create(options_.link_path);
    link_path_ = link_.Path();
    PlugLocked();
  } catch (...) {
    link_.Release();
    pty_.Close();
    ::close(wake_fd_);
    wake_fd_ = -1;
    throw;
  }
  stop_requested_ = false;
  state_.running = true;
  thread_ = std::thread([this] { Run(); });
}

void ConsoleSimulator::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (!state_.running) return;
    stop_requested_ = true;
    Wake();
  }
  thread_.join();
  std::lock_guard lock(mutex_);
  UnplugLocked();
  link_.Release();
  ::close(wake_fd_);
  wake_fd_ = -1;
  state_.running = false;
  state_.identified = false;
  // Callers blocked in a command would otherwise wait for a thread that is gone.
  for (auto& command : commands_) {
    command.result->error = std::make_exception_ptr(std::logic_error("the console simulator stopped"));
    command.result->done = true;
  }
  commands_.clear();
  changed_.notify_all();
}

std::string ConsoleSimulator::SlavePath() const {
  std::lock_guard lock(mutex_);
  return link_path_;
}

std::string ConsoleSimulator::PtyPath() const {
  std::lock_guard lock(mutex_);
  return pty_.SlaveName();
}

void ConsoleSimulator::SetSpeed(double kmh) {
  std::lock_guard lock(mutex_);
  generator_.SetSpeed(kmh);
}

void ConsoleSimulator::SetHeart(int bpm) {
  std::lock_guard lock(mutex_);
  generator_.SetHeart(bpm);
}

void ConsoleSimulator::SetCadence(int rpm) {
  std::lock_guard lock(mutex_);
  generator_.SetCadence(rpm);
}

void ConsoleSimulator::PressKey(int bit) {
  std::lock_guard lock(mutex_);
  generator_.PressKey(bit);
}

void ConsoleSimulator::HoldKey(int bit, bool held) {
  std::lock_guard lock(mutex_);
  generator_.HoldKey(bit, held);
}

void ConsoleSimulator::StartStreaming() {
  std::lock_guard lock(mutex_);
  StartStreamingLocked(Clock::now());
  Wake();
}

void ConsoleSimulator::StartStreamingLocked(Clock::time_point now) {
  if (state_.identified) return;
  state_.identified = true;
  // The receiving side may still be switching to the long-frame format the
  // answer announced: the first measurement waits one interval.
  next_measurement_ = now + generator_.Interval();
  last_received_ = now;
}

void ConsoleSimulator::Wake() {
  if (wake_fd_ < 0) return;
  const std::uint64_t one = 1;
  [[maybe_unused]] auto n = ::write(wake_fd_, &one, sizeof one);
}

void ConsoleSimulator::SetSilent(bool silent) {
  std::lock_guard lock(mutex_);
  state_.silent = silent;
}

void ConsoleSimulator::Unplug() { RunCommand(Command::kUnplug); }

void ConsoleSimulator::Replug() { RunCommand(Command::kReplug); }

bool ConsoleSimulator::Inject(const std::string& bytes) { return RunCommand(Command::kInject, bytes); }

bool ConsoleSimulator::RunCommand(Command::Kind kind, std::string bytes) {
  CommandResult result;
  std::unique_lock lock(mutex_);
  if (!state_.running) throw std::logic_error("the console simulator is not running");
  commands_.push_back(Command{kind, std::move(bytes), &result});
  Wake();
  changed_.wait(lock, [&] { return result.done; });
  if (result.error) std::rethrow_exception(result.error);
  return result.written;
}

void ConsoleSimulator::Execute(const Command& command) {
  try {
    switch (command.kind) {
      case Command::kUnplug:
        UnplugLocked();
        break;
      case Command::kReplug:
        if (!state_.plugged) PlugLocked();
        break;
      case Command::kInject:
        command.result->written = WriteLocked(command.bytes, Clock::now());
        break;
    }
  } catch (...) {
    command.result->error = std::current_exception();
  }
  command.result->done = true;
}

void ConsoleSimulator::PlugLocked() {
  pty_.Open();
  try {
    link_.PointTo(pty_.SlaveName());
  } catch (...) {
    pty_.Close();
    throw;
  }
  state_.plugged = true;
  state_.peer_attached = false;
  next_peer_check_ = Clock::now();
  frame_pending_.clear();
}

void ConsoleSimulator::UnplugLocked() {
  if (!state_.plugged) return;
  link_.Remove();
  pty_.Close();
  state_.plugged = false;
  state_.peer_attached = false;
  frame_pending_.clear();
}

ConsoleState ConsoleSimulator::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void ConsoleSimulator::Run() {
  std::unique_lock lock(mutex_);
  while (!stop_requested_) {
    while (!commands_.empty()) {
      Execute(commands_.front());
      commands_.pop_front();
      changed_.notify_all();
    }
    auto now = Clock::now();
    CheckPeer(now);
    if (state_.identified && options_.keepalive_timeout_ms > 0 &&
        now - last_received_ >= std::chrono::milliseconds(options_.keepalive_timeout_ms)) {
      state_.identified = false;
    }
    SendMeasurementsDue(now);

    auto deadline = Clock::time_point::max();
    if (state_.identified) deadline = std::min(deadline, next_measurement_);
    if (state_.identified && options_.keepalive_timeout_ms > 0) {
      deadline = std::min(deadline, last_received_ + std::chrono::milliseconds(options_.keepalive_timeout_ms));
    }
    if (state_.plugged && !state_.peer_attached) deadline = std::min(deadline, next_peer_check_);

    pollfd fds[2] = {{wake_fd_, POLLIN, 0}, {pty_.Master(), POLLIN, 0}};
    const nfds_t count = state_.plugged && state_.peer_attached ? 2 : 1;
    int timeout_ms = -1;
    if (deadline != Clock::time_point::max()) {
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
      timeout_ms = static_cast<int>(std::clamp<long long>(wait, 0, 60000));
    }

    auto traffic = std::move(traffic_);
    traffic_.clear();
    lock.unlock();
    for (const auto& [direction, entry] : traffic) options_.on_traffic(direction, entry);
    const int ready = ::poll(fds, count, timeout_ms);
    lock.lock();
    if (ready <= 0) continue;
    if (fds[0].revents & POLLIN) {
      std::uint64_t value;
      [[maybe_unused]] auto n = ::read(wake_fd_, &value, sizeof value);
    }
    // Only this thread opens and closes the master, so fds[1] is still it.
    if (count == 2 && fds[1].revents != 0) {
      ReadAvailable(Clock::now());
      if ((fds[1].revents & (POLLHUP | POLLERR)) && state_.peer_attached) {
        // The peer closed the slave: a closed port loses what it did not read.
        state_.peer_attached = false;
        pty_.DiscardUnreadSlaveInput();
        next_peer_check_ = Clock::now() + kPeerCheckInterval;
      }
    }
  }
  auto traffic = std::move(traffic_);
  traffic_.clear();
  lock.unlock();
  for (const auto& [direction, entry] : traffic) options_.on_traffic(direction, entry);
  lock.lock();
}

void ConsoleSimulator::CheckPeer(Clock::time_point now) {
  if (!state_.plugged || state_.peer_attached || now < next_peer_check_) return;
  pollfd fd{pty_.Master(), POLLIN, 0};
  if (::poll(&fd, 1, 0) >= 0 && !(fd.revents & (POLLHUP | POLLERR))) {
    state_.peer_attached = true;
    frame_pending_.clear();
    return;
  }
  next_peer_check_ = now + kPeerCheckInterval;
}

void ConsoleSimulator::ReadAvailable(Clock::time_point now) {
  char buffer[4096];
  // A peer that never stops writing must not starve the measurements: the
  // rest waits for the next turn of the loop.
  for (int reads = 0; reads < 16; ++reads) {
    const ssize_t n = ::read(pty_.Master(), buffer, sizeof buffer);
    if (n > 0) {
      const std::string bytes(buffer, static_cast<std::size_t>(n));
      state_.bytes_received += bytes.size();
      last_received_ = now;
      Log(received_, received_base_, TimedBytes{now, bytes});
      Notify(Direction::kReceived, received_.back());
      React(bytes, now);
      changed_.notify_all();
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // EAGAIN: all read. EIO: the peer has closed; poll reports the hang-up.
    return;
  }
}

void ConsoleSimulator::React(const std::string& bytes, Clock::time_point now) {
  if (generation_.format == WireFormat::kStatusBytes) {
    for (char c : bytes) {
      if (static_cast<std::uint8_t>(c) == kIdentificationRequestCode && !state_.silent) {
        WriteLocked(IdentificationAnswer(generation_), now);
        StartStreamingLocked(now);
      }
    }
  }

  frame_pending_ += bytes;
  std::size_t i = 0;
  for (;;) {
    const std::size_t start = frame_pending_.find(static_cast<char>(kFrameStart), i);
    if (start == std::string::npos) {
      frame_pending_.clear();
      break;
    }
    if (start + 6 > frame_pending_.size()) {
      frame_pending_.erase(0, start);
      break;
    }
    if (static_cast<std::uint8_t>(frame_pending_[start + 5]) != kFrameStop) {
      i = start + 1;
      continue;
    }
    const std::string frame = frame_pending_.substr(start, 6);
    i = start + 6;
    Log(frames_, frames_base_, TimedBytes{now, frame});
    if (generation_.format == WireFormat::kStatusBytes || state_.silent) continue;
    const auto command = static_cast<std::uint8_t>(frame[1]);
    if (command == kCommandIdentification && static_cast<std::uint8_t>(frame[2]) == kIdentificationRequestCode) {
      WriteLocked(IdentificationAnswer(generation_), now);
      StartStreamingLocked(now);
    } else if (command == kCommandSerialNumber) {
      WriteLocked(SerialNumberAnswer(generation_, options_.serial_number, options_.rotation_x, options_.rotation_y),
                  now);
    } else if (command == kCommandProductVersion) {
      WriteLocked(ProductVersionAnswer(generation_, options_.product_version), now);
    }
  }
}

bool ConsoleSimulator::WriteLocked(const std::string& bytes, Clock::time_point now) {
  if (state_.silent) return false;
  if (!state_.plugged || !state_.peer_attached) {
    ++state_.writes_dropped;
    return false;
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(pty_.Master(), bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // EAGAIN: the peer is not reading; EIO: it has gone
    }
  }
  if (done > 0) {
    Log(sent_, sent_base_, TimedBytes{now, bytes.substr(0, done)});
    Notify(Direction::kSent, sent_.back());
  }
  if (done < bytes.size()) {
    ++state_.writes_dropped;
    return false;
  }
  return true;
}

void ConsoleSimulator::SendMeasurementsDue(Clock::time_point now) {
  if (!state_.identified) return;
  const auto interval = generator_.Interval();
  if (now - next_measurement_ > kMaxCatchUp) next_measurement_ = now;
  while (next_measurement_ <= now) {
    next_measurement_ += interval;
    if (state_.silent || !state_.plugged || !state_.peer_attached) continue;
    const auto measurement = generator_.Next();
    if (WriteLocked(measurement.bytes, now)) {
      ++state_.measurements_sent;
      state_.roll_events_sent += measurement.roll_events;
    }
  }
}

void ConsoleSimulator::Log(std::deque<TimedBytes>& log, std::size_t& base, TimedBytes entry) {
  log.push_back(std::move(entry));
  if (options_.max_log_entries > 0 && log.size() > options_.max_log_entries) {
    log.pop_front();
    ++base;
  }
}

void ConsoleSimulator::Notify(Direction direction, const TimedBytes& entry) {
  if (options_.on_traffic) traffic_.emplace_back(direction, entry);
}

std::vector<TimedBytes> ConsoleSimulator::Received() const {
  std::lock_guard lock(mutex_);
  return {received_.begin(), received_.end()};
}

std::string ConsoleSimulator::ReceivedBytes() const {
  std::lock_guard lock(mutex_);
  std::string all;
  for (const auto& entry : received_) all += entry.bytes;
  return all;
}

std::vector<TimedBytes> ConsoleSimulator::Sent() const {
  std::lock_guard lock(mutex_);
  return {sent_.begin(), sent_.end()};
}

std::vector<TimedBytes> ConsoleSimulator::ReceivedFrames6() const {
  std::lock_guard lock(mutex_);
  return {frames_.begin(), frames_.end()};
}

std::size_t ConsoleSimulator::FrameMark() const {
  std::lock_guard lock(mutex_);
  return frames_base_ + frames_.size();
}

std::optional<TimedBytes> ConsoleSimulator::WaitForFrame(const std::function<bool(const std::string&)>& match,
                                                         int timeout_ms, std::size_t from_index) const {
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
  std::unique_lock lock(mutex_);
  std::size_t next = std::max(from_index, frames_base_);
  for (;;) {
    next = std::max(next, frames_base_);
    for (; next < frames_base_ + frames_.size(); ++next) {
      const auto& frame = frames_[next - frames_base_];
      if (match(frame.bytes)) return frame;
    }
    if (Clock::now() >= deadline) return std::nullopt;
    changed_.wait_until(lock, deadline);
  }
}

bool ConsoleSimulator::WaitForReceived(const std::function<bool(const std::string&)>& match, int timeout_ms) const {
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
  std::unique_lock lock(mutex_);
  for (;;) {
    std::string all;
    for (const auto& entry : received_) all += entry.bytes;
    if (match(all)) return true;
    if (Clock::now() >= deadline) return false;
    changed_.wait_until(lock, deadline);
  }
}

}  // namespace console_sim
