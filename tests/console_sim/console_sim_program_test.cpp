// SPDX-License-Identifier: GPL-3.0-or-later
// The console-sim program as a user drives it: first line, stdin commands,
// clean exit.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "console_sim/pty_client.h"

namespace {

using console_sim_test::At;
using console_sim_test::Bytes;
using console_sim_test::kIdentificationRequest;
using console_sim_test::PtyClient;
using console_sim_test::SplitFrames;

// The program with pipes on stdin, stdout and stderr.
class Program {
 public:
  explicit Program(std::vector<std::string> args) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
      throw std::runtime_error("pipe");
    }
    args.insert(args.begin(), CONSOLE_SIM_PROGRAM);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      dup2(err[1], 2);
      execv(argv[0], argv.data());
      _exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    stderr_ = err[0];
  }
  ~Program() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int fd : {stdin_, stdout_, stderr_}) {
      if (fd >= 0) ::close(fd);
    }
  }

  void Send(const std::string& line) {
    const std::string text = line + "\n";
    ASSERT_EQ(::write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void CloseStdin() {
    ::close(stdin_);
    stdin_ = -1;
  }
  std::string ReadLine(int timeout_ms) { return ReadUntil(stdout_, out_buffer_, timeout_ms, true); }
  std::string ReadAll(int fd_index, int timeout_ms) {
    return ReadUntil(fd_index == 1 ? stdout_ : stderr_, fd_index == 1 ? out_buffer_ : err_buffer_, timeout_ms, false);
  }
  // Exit status, or -1 when it has not exited within timeout_ms.
  int Wait(int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      ::poll(nullptr, 0, 10);
    }
    return -1;
  }
  pid_t Pid() const { return pid_; }

 private:
  static std::string ReadUntil(int fd, std::string& buffer, int timeout_ms, bool one_line) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      if (one_line) {
        const auto eol = buffer.find('\n');
        if (eol != std::string::npos) {
          std::string line = buffer.substr(0, eol);
          buffer.erase(0, eol + 1);
          return line;
        }
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
      pollfd p{fd, POLLIN, 0};
      if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) break;
      char chunk[1024];
      const ssize_t n = ::read(fd, chunk, sizeof chunk);
      if (n <= 0) break;
      buffer.append(chunk, static_cast<std::size_t>(n));
    }
    std::string all = one_line ? std::string() : buffer;
    if (!one_line) buffer.clear();
    return all;
  }

  pid_t pid_ = -1;
  bool exited_ = false;
  int stdin_ = -1, stdout_ = -1, stderr_ = -1;
  std::string out_buffer_, err_buffer_;
};

TEST(ConsoleSimProgram, ServesThePrintedPortAndObeysItsCommands) {
  Program program({"--version", "4", "--speed", "25"});
  const std::string path = program.ReadLine(5000);
  ASSERT_FALSE(path.empty());
  const auto dir = std::filesystem::path(path).parent_path();

  PtyClient client(path);
  client.Write(kIdentificationRequest);
  const auto answered = client.ReadAtLeast(6 + 5 * 6, 3000);
  ASSERT_EQ(answered.substr(0, 6), Bytes({0xF0, 0x08, 0x50, 0x00, 0x00, 0xF7}));
  for (const auto& frame : SplitFrames(answered.substr(6), 6)) {
    EXPECT_TRUE(At(frame, 3) == 11 || At(frame, 3) == 12);  // 11.2 per 100 ms at 25 km/h
  }

  program.Send("speed 0");
  program.Send("key 1");
  bool stopped = false, key = false;
  for (const auto& frame : SplitFrames(client.ReadAtLeast(8 * 6, 3000), 6)) {
    stopped = stopped || At(frame, 3) == 0;
    key = key || At(frame, 2) == 0x02;
  }
  EXPECT_TRUE(stopped);
  EXPECT_TRUE(key);

  program.Send("unplug");
  EXPECT_TRUE(client.WaitHangUp(2000));
  EXPECT_EQ(PtyClient::OpenError(path), ENOENT);
  program.Send("replug");
  EXPECT_EQ(program.ReadLine(2000), "speed 0 km/h = 0 roll events per 100 ms");
  EXPECT_EQ(program.ReadLine(2000), "key 1");
  EXPECT_EQ(program.ReadLine(2000), "unplugged");
  EXPECT_EQ(program.ReadLine(2000).rfind("plugged in: " + path + " -> /dev/", 0), 0u);
  EXPECT_EQ(PtyClient::OpenError(path), 0);

  program.Send("frobnicate");
  EXPECT_NE(program.ReadAll(2, 500).find("unknown command 'frobnicate'"), std::string::npos);
  program.Send("quit");
  EXPECT_EQ(program.Wait(5000), 0);
  EXPECT_FALSE(std::filesystem::exists(dir)) << "the port's directory was left behind";
}

TEST(ConsoleSimProgram, EndsCleanlyOnEndOfInputAndOnSigterm) {
  {
    Program program({});
    const std::string path = program.ReadLine(5000);
    ASSERT_FALSE(path.empty());
    program.CloseStdin();
    EXPECT_EQ(program.Wait(5000), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path).parent_path()));
  }
  {
    Program program({"--stay"});
    const std::string path = program.ReadLine(5000);
    ASSERT_FALSE(path.empty());
    program.CloseStdin();
    EXPECT_EQ(program.Wait(300), -1) << "--stay must outlive its input";
    kill(program.Pid(), SIGTERM);
    EXPECT_EQ(program.Wait(5000), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path).parent_path()));
  }
}

TEST(ConsoleSimProgram, HelpAndBadArguments) {
  {
    Program program({"--help"});
    const std::string help = program.ReadAll(1, 3000);
    EXPECT_EQ(program.Wait(3000), 0);
    for (const char* word : {"--version", "--speed", "--serial", "--product-version", "speed KMH", "key N",
                             "heart BPM", "cadence RPM", "silent on|off", "unplug", "replug", "quit"}) {
      EXPECT_NE(help.find(word), std::string::npos) << word;
    }
  }
  const std::vector<std::vector<std::string>> bad = {
      {"--version", "3.5"}, {"--version", "four"}, {"--speed"}, {"--speed", "-1"},
      {"--serial", "0x1000000"}, {"--product-version", "256"}, {"--bogus"},
  };
  for (const auto& args : bad) {
    SCOPED_TRACE(args.front() + (args.size() > 1 ? " " + args[1] : ""));
    Program program(args);
    EXPECT_EQ(program.Wait(3000), 2);
    EXPECT_NE(program.ReadAll(2, 500).find("console-sim: "), std::string::npos);
    EXPECT_EQ(program.ReadAll(1, 100), "");
  }
}

}  // namespace
