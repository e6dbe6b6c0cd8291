// SPDX-License-Identifier: GPL-3.0-or-later
// console-sim: a trainer console on a pseudo-terminal, driven from stdin.
#include <cerrno>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

#include "tools/console_sim/console_simulator.h"

namespace {

constexpr const char* kHelp = R"(Usage: console-sim [OPTIONS]

Plays a trainer console on a pseudo-terminal. Prints the port's path on its
first line, then reads commands on stdin, one per line, until "quit" or the end
of stdin (Ctrl-D). Open the printed path with the calibration tool
(CALIBRATION_TOOL_PORTS=<path>), a terminal program or a script, at any speed
setting: a pseudo-terminal ignores the baud rate.

Options:
  --version V          protocol generation (default 4):
                         4                 6-byte frames, roll count per 100 ms
                         4.5 5 5.5 6 7 8   10-byte frames with roll, cadence and
                                           heart periods
                         1 2 3             byte protocol: one status byte every
                                           10 ms (the tool must be set to the same
                                           version; the answer does not carry it)
  --speed KMH          roller speed in km/h (default 0)
  --heart BPM          heart rate (default 0: no signal)
  --cadence RPM        pedal cadence (default 0: no signal)
  --serial N           serial number answered to F0 03 .. (24 bits, decimal or
                       0x hex; default 0x012345)
  --product-version N  product version answered to F0 09 .. (0-255; default 3)
  --link PATH          create the port as this symbolic link (default: a new
                       directory under $TMPDIR or /tmp, file ttyQuarix0)
  --keepalive-timeout MS
                       stop streaming after MS ms without hearing from the
                       computer (default 0: stream until quit)
  --stream             send measurements at once, without waiting for an
                       identification request (to watch them in a terminal
                       program)
  --stay               keep running when stdin ends (stop with Ctrl-C or SIGTERM)
  --verbose            print every byte received (rx) and sent (tx) on stderr,
                       with milliseconds since start
  --help               this text

The console answers the identification request F0 08 28 00 00 F7 (byte
protocol: the byte 28) with its version's code (4: 50, 4.5: 55, 5: 54, 5.5: 5A,
6: 58, 7: 5C, 8: 5E; byte protocol: the byte 50), then sends a measurement every
100 ms (every 10 ms in the byte protocol) whose roll count gives exactly the
speed set. It answers F0 03 00 00 00 F7 with its serial number and
F0 09 00 00 00 F7 with its product version.

Commands:
  speed KMH            set the roller speed
  heart BPM            set the heart rate (0: no signal)
  cadence RPM          set the cadence (0: no signal)
  key N                one measurement with status bit N set (keys are 0-3)
  hold N on|off        hold status bit N in every measurement
  silent on|off        stop / resume everything the console sends
  stream               start the measurements without an identification request
  unplug               close the line, as an adapter pulled out (the port's
                       path disappears; the other side sees a hang-up)
  replug               a new line under the same path
  send HEX...          send bytes verbatim, e.g. "send F0 01 00 0A 00 F7"
  status               print the console's state
  help                 list the commands
  quit                 stop and remove the port

Examples:
  $ console-sim --version 4 --speed 25
  /tmp/console-sim-Ab12Cd/ttyQuarix0
  and in another terminal, identify the console and print what it sends:
  $ python3 -c 'import os,time,tty; f=os.open("/tmp/console-sim-Ab12Cd/ttyQuarix0", os.O_RDWR|os.O_NOCTTY); tty.setraw(f); os.write(f, bytes.fromhex("F0 08 28 00 00 F7")); time.sleep(0.5); print(os.read(f, 100).hex(" "))'
  f0 08 50 00 00 f7 f0 01 00 0b 00 f7 f0 01 00 0b 00 f7 f0 01 00 0b 00 f7 ...

  $ console-sim --version 4 --speed 25 --stream
  and watch the frames in hexadecimal with a terminal program:
  $ picocom --imap 8bithex,spchex,nrmhex /tmp/console-sim-Ab12Cd/ttyQuarix0
)";

constexpr const char* kCommands =
    "commands: speed KMH | heart BPM | cadence RPM | key N | hold N on|off | silent on|off | "
    "stream | unplug | replug | send HEX... | status | help | quit\n";

std::optional<double> ParseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || *end != '\0') return std::nullopt;
  return value;
}

std::optional<long long> ParseInteger(const std::string& text, long long low, long long high) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || value < low || value > high) return std::nullopt;
  return value;
}

std::optional<bool> ParseSwitch(const std::string& text) {
  if (text == "on") return true;
  if (text == "off") return false;
  return std::nullopt;
}

std::string Hex(const std::string& bytes) {
  std::string text;
  char cell[4];
  for (unsigned char c : bytes) {
    std::snprintf(cell, sizeof cell, "%s%02X", text.empty() ? "" : " ", c);
    text += cell;
  }
  return text;
}

std::optional<std::string> ParseHexBytes(std::istringstream& words) {
  std::string digits, word;
  while (words >> word) digits += word;
  if (digits.empty() || digits.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const auto value = ParseInteger("0x" + digits.substr(i, 2), 0, 255);
    if (!value) return std::nullopt;
    bytes.push_back(static_cast<char>(*value));
  }
  return bytes;
}

[[noreturn]] void Usage(const std::string& problem) {
  std::cerr << "console-sim: " << problem << "\nTry 'console-sim --help'.\n";
  std::exit(2);
}

// Returns false on "quit".
bool RunCommand(console_sim::ConsoleSimulator& sim, const std::string& line) {
  std::istringstream words(line);
  std::string verb, arg1, arg2;
  if (!(words >> verb)) return true;
  if (verb == "quit" || verb == "exit") return false;
  if (verb == "help") {
    std::cout << kCommands << std::flush;
    return true;
  }
  if (verb == "send") {
    const auto bytes = ParseHexBytes(words);
    if (!bytes) {
      std::cerr << "send: give hexadecimal bytes, e.g. send F0 01 00 0A 00 F7\n";
    } else if (sim.Inject(*bytes)) {
      std::cout << "sent " << Hex(*bytes) << "\n" << std::flush;
    } else {
      std::cerr << "send: not sent (unplugged, silent, or the port is not open)\n";
    }
    return true;
  }
  if (verb == "status") {
    const auto s = sim.State();
    std::cout << "port " << sim.SlavePath() << " -> " << (s.plugged ? sim.PtyPath() : "(unplugged)")
              << (s.peer_attached ? ", open" : ", not open") << (s.identified ? ", streaming" : ", not identified")
              << (s.silent ? ", silent" : "") << "; " << s.measurements_sent << " measurements, "
              << static_cast<double>(s.roll_events_sent) << " roll events, " << s.bytes_received
              << " bytes received\n"
              << std::flush;
    return true;
  }
  if (verb == "stream") {
    sim.StartStreaming();
    std::cout << "streaming\n" << std::flush;
    return true;
  }
  if (verb == "unplug") {
    sim.Unplug();
    std::cout << "unplugged\n" << std::flush;
    return true;
  }
  if (verb == "replug") {
    sim.Replug();
    std::cout << "plugged in: " << sim.SlavePath() << " -> " << sim.PtyPath() << "\n" << std::flush;
    return true;
  }
  words >> arg1 >> arg2;
  if (verb == "speed") {
    const auto kmh = ParseNumber(arg1);
    if (!kmh || *kmh < 0 || *kmh > 1000) {
      std::cerr << "speed: give km/h, 0 to 1000\n";
      return true;
    }
    sim.SetSpeed(*kmh);
    std::cout << "speed " << *kmh << " km/h = "
              << static_cast<double>(console_sim::RollEventsPer100ms(sim.GetGeneration(), *kmh))
              << " roll events per 100 ms\n"
              << std::flush;
  } else if (verb == "heart" || verb == "cadence") {
    const auto value = ParseInteger(arg1, 0, 1000);
    if (!value) {
      std::cerr << verb << ": give a whole number, 0 to 1000\n";
      return true;
    }
    if (verb == "heart") sim.SetHeart(static_cast<int>(*value));
    else sim.SetCadence(static_cast<int>(*value));
    std::cout << verb << " " << *value << (verb == "heart" ? " bpm\n" : " rpm\n") << std::flush;
  } else if (verb == "key") {
    const auto bit = ParseInteger(arg1, 0, 7);
    if (!bit) {
      std::cerr << "key: give a status bit, 0 to 7 (keys are 0 to 3)\n";
      return true;
    }
    sim.PressKey(static_cast<int>(*bit));
    std::cout << "key " << *bit << "\n" << std::flush;
  } else if (verb == "hold") {
    const auto bit = ParseInteger(arg1, 0, 7);
    const auto on = ParseSwitch(arg2);
    if (!bit || !on) {
      std::cerr << "hold: give a status bit 0 to 7 and on or off\n";
      return true;
    }
    sim.HoldKey(static_cast<int>(*bit), *on);
    std::cout << "hold " << *bit << (*on ? " on\n" : " off\n") << std::flush;
  } else if (verb == "silent") {
    const auto on = ParseSwitch(arg1);
    if (!on) {
      std::cerr << "silent: give on or off\n";
      return true;
    }
    sim.SetSilent(*on);
    std::cout << (*on ? "silent\n" : "talking\n") << std::flush;
  } else {
    std::cerr << "unknown command '" << verb << "'; " << kCommands;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  console_sim::ConsoleOptions options;
  options.max_log_entries = 1000;  // the program reads no logs; keep memory flat
  bool verbose = false;
  bool stay = false;
  bool stream = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Usage(arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      std::cout << kHelp;
      return 0;
    } else if (arg == "--version") {
      const auto v = ParseNumber(value());
      if (!v || !console_sim::FindGeneration(*v)) Usage("--version: 4, 4.5, 5, 5.5, 6, 7, 8, or 1 to 3");
      options.version = *v;
    } else if (arg == "--speed") {
      const auto v = ParseNumber(value());
      if (!v || *v < 0 || *v > 1000) Usage("--speed: km/h, 0 to 1000");
      options.speed_kmh = *v;
    } else if (arg == "--heart") {
      const auto v = ParseInteger(value(), 0, 1000);
      if (!v) Usage("--heart: bpm, 0 to 1000");
      options.heart_bpm = static_cast<int>(*v);
    } else if (arg == "--cadence") {
      const auto v = ParseInteger(value(), 0, 1000);
      if (!v) Usage("--cadence: rpm, 0 to 1000");
      options.cadence_rpm = static_cast<int>(*v);
    } else if (arg == "--serial") {
      const auto v = ParseInteger(value(), 0, 0xFFFFFF);
      if (!v) Usage("--serial: 0 to 16777215 (0xFFFFFF)");
      options.serial_number = static_cast<std::uint32_t>(*v);
    } else if (arg == "--product-version") {
      const auto v = ParseInteger(value(), 0, 255);
      if (!v) Usage("--product-version: 0 to 255");
      options.product_version = static_cast<std::uint8_t>(*v);
    } else if (arg == "--link") {
      options.link_path = value();
    } else if (arg == "--keepalive-timeout") {
      const auto v = ParseInteger(value(), 0, 3600000);
      if (!v) Usage("--keepalive-timeout: milliseconds, 0 to 3600000");
      options.keepalive_timeout_ms = static_cast<int>(*v);
    } else if (arg == "--verbose" || arg == "-v") {
      verbose = true;
    } else if (arg == "--stream") {
      stream = true;
    } else if (arg == "--stay") {
      stay = true;
    } else {
      Usage("unknown option " + arg);
    }
  }

  const auto started = console_sim::Clock::now();
  if (verbose) {
    options.on_traffic = [started](console_sim::Direction direction, const console_sim::TimedBytes& entry) {
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(entry.when - started).count();
      std::fprintf(stderr, "%8lld %s %s\n", static_cast<long long>(ms),
                   direction == console_sim::Direction::kReceived ? "rx" : "tx", Hex(entry.bytes).c_str());
    };
  }

  // Signals end the program through the loop below, so the port is removed.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  const int signal_fd = signalfd(-1, &signals, SFD_CLOEXEC);
  if (signal_fd < 0) {
    std::perror("console-sim: signalfd");
    return 1;
  }

  try {
    console_sim::ConsoleSimulator sim(options);
    sim.Start();
    if (stream) sim.StartStreaming();
    std::cout << sim.SlavePath() << std::endl;

    std::string pending;
    bool stdin_open = true;
    for (;;) {
      pollfd fds[2] = {{signal_fd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
      if (::poll(fds, stdin_open ? 2 : 1, -1) < 0) {
        if (errno == EINTR) continue;
        std::perror("console-sim: poll");
        break;
      }
      if (fds[0].revents & POLLIN) break;
      if (!stdin_open || !(fds[1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[1024];
      const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (!pending.empty() && !RunCommand(sim, pending)) break;
        pending.clear();
        if (!stay) break;
        stdin_open = false;
        continue;
      }
      pending.append(buffer, static_cast<std::size_t>(n));
      bool quit = false;
      for (std::size_t eol; !quit && (eol = pending.find('\n')) != std::string::npos;) {
        const std::string line = pending.substr(0, eol);
        pending.erase(0, eol + 1);
        try {
          quit = !RunCommand(sim, line);
        } catch (const std::exception& e) {
          std::cerr << "console-sim: " << e.what() << "\n";
        }
      }
      if (quit) break;
    }
    sim.Stop();
  } catch (const std::exception& e) {
    std::cerr << "console-sim: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
