// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator as a peer sees it: through its pseudo-terminal only.
#include "tools/console_sim/console_simulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>

#include "console_sim/pty_client.h"

namespace console_sim {
namespace {

using console_sim_test::At;
using console_sim_test::Bytes;
using console_sim_test::kIdentificationRequest;
using console_sim_test::PtyClient;
using console_sim_test::SplitFrames;
using namespace std::chrono_literals;

ConsoleOptions Version(double version, double kmh = 0) {
  ConsoleOptions options;
  options.version = version;
  options.speed_kmh = kmh;
  return options;
}

long long MsBetween(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(b - a).count();
}

// Identified console with a raw client on its port; measurements flowing.
struct IdentifiedConsole {
  explicit IdentifiedConsole(ConsoleOptions options) : sim(std::move(options)) {
    sim.Start();
    client = std::make_unique<PtyClient>(sim.SlavePath());
    client->Write(kIdentificationRequest);
    answer = client->ReadAtLeast(6, 2000);
  }
  ConsoleSimulator sim;
  std::unique_ptr<PtyClient> client;
  std::string answer;
};

TEST(ConsoleSimulator, AnswersIdentificationWithItsVersionsCode) {
  struct Case {
    double version;
    std::string answer;
  };
  const Case cases[] = {
      {4, Bytes({0xF0, 0x08, 0x50, 0x00, 0x00, 0xF7})}, {4.5, Bytes({0xF0, 0x08, 0x55, 0x00, 0x00, 0xF7})},
      {5, Bytes({0xF0, 0x08, 0x54, 0x00, 0x00, 0xF7})}, {5.5, Bytes({0xF0, 0x08, 0x5A, 0x00, 0x00, 0xF7})},
      {6, Bytes({0xF0, 0x08, 0x58, 0x00, 0x00, 0xF7})}, {7, Bytes({0xF0, 0x08, 0x5C, 0x00, 0x00, 0xF7})},
      {8, Bytes({0xF0, 0x08, 0x5E, 0x00, 0x00, 0xF7})}, {2, Bytes({0x50})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    ConsoleSimulator sim(Version(c.version, 20));
    sim.Start();
    PtyClient client(sim.SlavePath());
    // Nothing is sent before the console has been asked who it is.
    EXPECT_EQ(client.ReadFor(250), "");
    client.Write(c.answer.size() == 1 ? Bytes({0x28}) : kIdentificationRequest);
    EXPECT_EQ(client.ReadAtLeast(c.answer.size(), 2000).substr(0, c.answer.size()), c.answer);
    EXPECT_TRUE(sim.State().identified);
  }
}

TEST(ConsoleSimulator, AnswersSerialNumberAndProductVersionRequests) {
  ConsoleOptions options = Version(5);
  options.serial_number = 0x0A0B0C;
  options.product_version = 0x21;
  options.rotation_x = 16;
  options.rotation_y = -16;
  ConsoleSimulator long_console(options);
  options.version = 4;
  ConsoleSimulator short_console(options);
  for (auto* sim : {&short_console, &long_console}) {
    sim->Start();
    PtyClient client(sim->SlavePath());
    client.Write(Bytes({0xF0, 0x03, 0x00, 0x00, 0x00, 0xF7, 0xF0, 0x09, 0x00, 0x00, 0x00, 0xF7}));
    if (sim == &short_console) {
      EXPECT_EQ(client.ReadAtLeast(12, 2000), Bytes({0xF0, 0x03, 0x0A, 0x0B, 0x0C, 0xF7,  //
                                                      0xF0, 0x09, 0x21, 0x00, 0x00, 0xF7}));
    } else {
      EXPECT_EQ(client.ReadAtLeast(20, 2000),
                Bytes({0xF0, 0x03, 0x0A, 0x0B, 0x0C, 0x10, 0xF0, 0x00, 0x00, 0xF7,  //
                       0xF0, 0x09, 0x21, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7}));
    }
    // Answering information requests does not start the measurements.
    EXPECT_EQ(client.ReadFor(250), "");
  }
}

TEST(ConsoleSimulator, ShortFramesEvery100msWithExactRollCounts) {
  IdentifiedConsole console(Version(4, 25));
  ASSERT_EQ(console.answer, Bytes({0xF0, 0x08, 0x50, 0x00, 0x00, 0xF7}));
  const auto start = Clock::now();
  const std::string stream = console.client->ReadAtLeast(30 * 6, 6000);
  const auto elapsed = MsBetween(start, Clock::now());
  auto frames = SplitFrames(stream, 6);
  ASSERT_GE(frames.size(), 30u);
  EXPECT_EQ(stream.size(), frames.size() * 6);  // nothing but measurement frames
  frames.resize(30);
  int total = 0;
  for (const auto& f : frames) {
    EXPECT_EQ(At(f, 1), 0x01);
    EXPECT_EQ(At(f, 2), 0x00);
    total += At(f, 3);
  }
  // The first frame follows the answer by one interval, the rest 100 ms apart.
  EXPECT_GE(elapsed, 2900);
  EXPECT_LT(elapsed, 6000);
  // 25 km/h with 0.062 m per roll event: 11.2 roll events per 100 ms.
  EXPECT_LE(std::fabs(total - 30 * 25 / (36 * 0.062)), 1.0);
  EXPECT_GE(console.sim.State().measurements_sent, 30u);
}

TEST(ConsoleSimulator, LongFramesCarryPeriodsThatDecodeToTheValuesSet) {
  ConsoleOptions options = Version(5, 30);
  options.heart_bpm = 120;
  options.cadence_rpm = 85;
  IdentifiedConsole console(options);
  ASSERT_EQ(console.answer, Bytes({0xF0, 0x08, 0x54, 0x00, 0x00, 0xF7}));
  const auto frames = SplitFrames(console.client->ReadAtLeast(20 * 10, 5000), 10);
  ASSERT_EQ(frames.size(), 20u);
  long double roll = 0;
  for (const auto& f : frames) {
    EXPECT_EQ(At(f, 1), 0x01);
    roll += (125000.0L / 33.0L) / (At(f, 3) * 256 + At(f, 4));
    EXPECT_EQ(At(f, 5) * 256 + At(f, 6), 706);  // 60000 / 85 = 705.9 ms
    EXPECT_EQ(At(f, 7) * 256 + At(f, 8), 500);  // 60000 / 120
  }
  const double mean_kmh = static_cast<double>(roll / 20 * 36 * 0.1414L);
  EXPECT_NEAR(mean_kmh, 30.0, 36 * 0.1414 / 20);
}

TEST(ConsoleSimulator, ByteProtocolStreamsAStatusByteEvery10ms) {
  IdentifiedConsole console(Version(2, 20));
  ASSERT_EQ(console.answer.substr(0, 1), Bytes({0x50}));
  const auto start = Clock::now();
  std::string stream = console.client->ReadAtLeast(200, 6000);
  const auto elapsed = MsBetween(start, Clock::now());
  ASSERT_GE(stream.size(), 200u);
  stream.resize(200);
  EXPECT_GE(elapsed, 1900);
  EXPECT_LT(elapsed, 6000);
  int pulses = 0;
  for (char c : stream) pulses += (static_cast<std::uint8_t>(c) >> 6) & 1;
  // 20 km/h, 0.1885 m per roll event: 2.947 pulses per 100 ms, 58.9 in 2 s.
  EXPECT_LE(std::fabs(pulses - 20 * 20 / (36 * 0.1885)), 1.0);
}

TEST(ConsoleSimulator, KeysReachTheWireInTheStatusByte) {
  IdentifiedConsole console(Version(4));
  console.sim.PressKey(1);
  console.sim.PressKey(2);
  const auto frames = SplitFrames(console.client->ReadAtLeast(5 * 6, 3000), 6);
  ASSERT_EQ(frames.size(), 5u);
  int with_key1 = 0, with_key2 = 0, others = 0;
  for (const auto& f : frames) {
    const std::uint8_t status = At(f, 2);
    with_key1 += status == 0x02;
    with_key2 += status == 0x04;
    others += status != 0x02 && status != 0x04 && status != 0x00;
  }
  EXPECT_EQ(with_key1, 1);
  EXPECT_EQ(with_key2, 1);
  EXPECT_EQ(others, 0);
}

TEST(ConsoleSimulator, RecordsReceivedBytesAndFindsFramesInThem) {
  IdentifiedConsole console(Version(4));
  const auto mark = console.sim.FrameMark();
  EXPECT_EQ(mark, 1u);  // the identification request
  const auto before = Clock::now();
  // A stray byte and a broken frame in front of a resistance command.
  console.client->Write(Bytes({0x55, 0xF0, 0x01, 0xF0, 0x01, 0x64, 0x0A, 0x00, 0xF7}));
  const auto frame = console.sim.WaitForFrame([](const std::string& f) { return At(f, 1) == 0x01; }, 2000, mark);
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(frame->bytes, Bytes({0xF0, 0x01, 0x64, 0x0A, 0x00, 0xF7}));
  EXPECT_GE(frame->when, before);
  const auto frames = console.sim.ReceivedFrames6();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].bytes, kIdentificationRequest);
  EXPECT_LE(frames[0].when, frames[1].when);
  EXPECT_TRUE(console.sim.WaitForReceived(
      [](const std::string& all) { return all.size() == 15 && all.substr(0, 6) == kIdentificationRequest; }, 1000));

  // Frames before the mark do not count; a frame that never comes times out.
  const auto asked = Clock::now();
  EXPECT_FALSE(console.sim.WaitForFrame([](const std::string& f) { return At(f, 1) == 0x08; }, 300,
                                        console.sim.FrameMark()));
  EXPECT_GE(MsBetween(asked, Clock::now()), 300);
}

TEST(ConsoleSimulator, SilentConsoleSendsNothingButStillListens) {
  IdentifiedConsole console(Version(4, 20));
  ASSERT_FALSE(console.client->ReadAtLeast(6, 2000).empty());
  console.sim.SetSilent(true);
  console.client->ReadFor(150);  // a frame may have been on its way
  console.client->Write(kIdentificationRequest);
  EXPECT_EQ(console.client->ReadFor(400), "");
  EXPECT_EQ(console.sim.ReceivedFrames6().size(), 2u);
  EXPECT_FALSE(console.sim.Inject(Bytes({0x01})));
  console.sim.SetSilent(false);
  EXPECT_EQ(SplitFrames(console.client->ReadAtLeast(12, 2000), 6).size(), 2u);
}

TEST(ConsoleSimulator, UnplugHangsUpAndReplugReturnsUnderTheSameName) {
  IdentifiedConsole console(Version(4, 20));
  const std::string path = console.sim.SlavePath();
  ASSERT_FALSE(console.client->ReadAtLeast(6, 2000).empty());

  console.sim.Unplug();
  EXPECT_TRUE(console.client->WaitHangUp(1000));
  EXPECT_EQ(::write(console.client->Fd(), "x", 1), -1);
  EXPECT_EQ(PtyClient::OpenError(path), ENOENT);  // the adapter's name is gone
  EXPECT_FALSE(console.sim.State().plugged);
  EXPECT_FALSE(console.sim.Inject(Bytes({0x01})));
  console.sim.Unplug();  // no-op
  console.client->Close();

  console.sim.Replug();
  EXPECT_EQ(console.sim.SlavePath(), path);
  EXPECT_NE(console.sim.PtyPath(), "");
  EXPECT_EQ(std::filesystem::read_symlink(path).string(), console.sim.PtyPath());
  PtyClient again(path);
  // The console kept running: it still streams, and answers a new request.
  EXPECT_EQ(SplitFrames(again.ReadAtLeast(12, 2000), 6).size(), 2u);
  again.Write(kIdentificationRequest);
  EXPECT_TRUE(again.ReadAtLeast(60, 2000).find(Bytes({0xF0, 0x08, 0x50, 0x00, 0x00, 0xF7})) != std::string::npos);
}

TEST(ConsoleSimulator, PortIsRawBeforeItsFirstUserAndForgetsWhatAClosedPeerLeftUnread) {
  ConsoleSimulator sim(Version(4, 20));
  sim.Start();
  {
    // No settings applied by this client: the line must not echo or cook.
    PtyClient client(sim.SlavePath(), PtyClient::Mode::kAsFound);
    termios t{};
    ASSERT_EQ(tcgetattr(client.Fd(), &t), 0);
    EXPECT_EQ(t.c_lflag & (ECHO | ICANON | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    client.Write(Bytes({0x0D, 0x03}) + kIdentificationRequest);
    EXPECT_EQ(client.ReadAtLeast(6, 2000), Bytes({0xF0, 0x08, 0x50, 0x00, 0x00, 0xF7}));
    // Only what the client sent came back to the console: no echo of our answer.
    EXPECT_TRUE(sim.WaitForReceived([](const std::string& all) { return all.size() == 8; }, 1000));
    std::this_thread::sleep_for(350ms);  // leaves measurements unread
  }
  // Frames sent while nobody reads are lost, as on a closed serial port.
  std::this_thread::sleep_for(500ms);
  PtyClient reopened(sim.SlavePath());
  const std::string first = reopened.ReadAtLeast(6, 2000);
  EXPECT_EQ(first.size(), 6u);
  EXPECT_EQ(reopened.ReadFor(50).size(), 0u) << "stale frames were delivered";
  EXPECT_EQ(sim.ReceivedBytes().size(), 8u);
}

TEST(ConsoleSimulator, StopsStreamingWithoutKeepAliveTrafficWhenAsked) {
  ConsoleOptions options = Version(4, 20);
  options.keepalive_timeout_ms = 400;
  IdentifiedConsole console(options);
  // Fed with a resistance command every 200 ms, it keeps streaming.
  for (int i = 0; i < 5; ++i) {
    console.client->Write(Bytes({0xF0, 0x01, 0x10, 0x00, 0x00, 0xF7}));
    std::this_thread::sleep_for(200ms);
  }
  EXPECT_TRUE(console.sim.State().identified);
  // Left alone, it stops.
  std::this_thread::sleep_for(800ms);
  EXPECT_FALSE(console.sim.State().identified);
  console.client->ReadFor(150);
  EXPECT_EQ(console.client->ReadFor(300), "");
}

TEST(ConsoleSimulator, StreamsWithoutIdentificationWhenToldTo) {
  ConsoleSimulator sim(Version(7, 20));
  sim.Start();
  PtyClient client(sim.SlavePath());
  EXPECT_EQ(client.ReadFor(200), "");
  sim.StartStreaming();
  const auto frames = SplitFrames(client.ReadAtLeast(30, 2000), 10);
  ASSERT_GE(frames.size(), 3u);
  EXPECT_EQ(At(frames[0], 1), 0x01);
}

TEST(ConsoleSimulator, InjectsBytesVerbatim) {
  ConsoleSimulator sim(Version(4));
  sim.Start();
  PtyClient client(sim.SlavePath());
  const std::string odd = Bytes({0xF0, 0x01, 0x00, 0xF7, 0x00, 0xF7, 0x0A});
  // The console notices a new peer within a few milliseconds.
  bool written = false;
  for (int i = 0; i < 50 && !written; ++i) {
    written = sim.Inject(odd);
    if (!written) std::this_thread::sleep_for(10ms);
  }
  ASSERT_TRUE(written);
  EXPECT_EQ(client.ReadAtLeast(odd.size(), 2000), odd);
  EXPECT_EQ(sim.Sent().back().bytes, odd);
}

TEST(ConsoleSimulator, LifecycleAndMisuse) {
  EXPECT_THROW({ ConsoleSimulator s(Version(3.5)); }, std::invalid_argument);
  EXPECT_THROW({ ConsoleSimulator s(Version(9)); }, std::invalid_argument);

  ConsoleSimulator sim(Version(4));
  EXPECT_THROW(sim.Unplug(), std::logic_error);
  sim.Start();
  EXPECT_THROW(sim.Start(), std::logic_error);
  const std::filesystem::path link = sim.SlavePath();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  sim.Stop();
  sim.Stop();
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
  EXPECT_FALSE(std::filesystem::exists(link.parent_path()));

  // A chosen link path is used as given; a regular file there is not replaced.
  const auto dir = std::filesystem::temp_directory_path() / ("console-sim-test-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  ConsoleOptions options = Version(4);
  options.link_path = (dir / "ttyChosen").string();
  {
    ConsoleSimulator chosen(options);
    chosen.Start();
    EXPECT_EQ(chosen.SlavePath(), options.link_path);
    EXPECT_EQ(PtyClient::OpenError(options.link_path), 0);
  }
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(options.link_path)));
  { std::ofstream(options.link_path) << "keep me"; }
  ConsoleSimulator blocked(options);
  EXPECT_THROW(blocked.Start(), std::system_error);
  EXPECT_TRUE(std::filesystem::is_regular_file(options.link_path));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace console_sim
