// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/console_sim/pseudo_terminal.h"

#include "tools/console_sim/pty_io.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace console_sim {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PseudoTerminal::~PseudoTerminal() { Close(); }

void PseudoTerminal::Open(Slave slave_mode) {
  Close();
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) ThrowErrno("posix_openpt");
  char name[128];
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    const int saved = errno;
    ::close(master);
    throw std::system_error(saved, std::generic_category(), "preparing the pseudo-terminal slave");
  }
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) {
    const int saved = errno;
    ::close(master);
    throw std::system_error(saved, std::generic_category(), std::string("opening ") + name);
  }
  if (slave_mode == Slave::kRaw) {
    try {
      MakeRaw(slave);
    } catch (const std::system_error& e) {
      ::close(slave);
      ::close(master);
      throw std::system_error(e.code(), std::string("setting raw mode on ") + name);
    }
  }
  ::close(slave);
  const int flags = fcntl(master, F_GETFL);
  if (flags < 0 || fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0) {
    const int err = errno;
    ::close(master);
    throw std::system_error(err, std::generic_category(), "making the master non-blocking");
  }
  master_ = master;
  slave_name_ = name;
}

void PseudoTerminal::Close() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
  slave_name_.clear();
}

void PseudoTerminal::DiscardUnreadSlaveInput() const {
  if (master_ < 0) return;
  const int slave = ::open(slave_name_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave < 0) return;
  tcflush(slave, TCIFLUSH);
  ::close(slave);
}

void PseudoTerminal::Write(const std::string& bytes) const { WriteAll(master_, bytes); }

std::string PseudoTerminal::ReadAtLeast(std::size_t count, int timeout_ms) const {
  return console_sim::ReadAtLeast(master_, count, timeout_ms);
}

std::string PseudoTerminal::ReadFor(int ms) const { return console_sim::ReadFor(master_, ms); }

termios PseudoTerminal::LineSettings() const { return console_sim::LineSettings(master_); }

PtyClient::PtyClient(const std::string& path, Mode mode) {
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) ThrowErrno("opening " + path);
  if (mode == Mode::kRaw) {
    try {
      MakeRaw(fd_);
    } catch (...) {
      Close();
      throw;
    }
  }
}

PtyClient::~PtyClient() { Close(); }

int PtyClient::OpenError(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  ::close(fd);
  return 0;
}

void PtyClient::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void PtyClient::Write(const std::string& bytes) const { WriteAll(fd_, bytes); }

std::string PtyClient::ReadAtLeast(std::size_t count, int timeout_ms) const {
  return console_sim::ReadAtLeast(fd_, count, timeout_ms);
}

std::string PtyClient::ReadFor(int ms) const { return console_sim::ReadFor(fd_, ms); }

bool PtyClient::WaitHangUp(int timeout_ms) const { return console_sim::WaitHangUp(fd_, timeout_ms); }

StableLink::~StableLink() { Release(); }

void StableLink::Create(const std::string& path) {
  Release();
  if (!path.empty()) {
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
      throw std::system_error(EEXIST, std::generic_category(), path + " exists and is not a symbolic link");
    }
    path_ = path;
    return;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/console-sim-XXXXXX";
  if (mkdtemp(dir.data()) == nullptr) ThrowErrno("creating a directory for the port link");
  private_dir_ = dir;
  path_ = dir + "/ttyQuarix0";
}

void StableLink::PointTo(const std::string& target) {
  const std::string staging = path_ + ".new";
  ::unlink(staging.c_str());
  if (::symlink(target.c_str(), staging.c_str()) != 0) ThrowErrno("creating the link " + staging);
  if (::rename(staging.c_str(), path_.c_str()) != 0) {
    const int saved = errno;
    ::unlink(staging.c_str());
    throw std::system_error(saved, std::generic_category(), "renaming the link to " + path_);
  }
}

void StableLink::Remove() {
  if (path_.empty()) return;
  struct stat st{};
  if (lstat(path_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) ::unlink(path_.c_str());
}

void StableLink::Release() {
  Remove();
  if (!private_dir_.empty()) ::rmdir(private_dir_.c_str());
  private_dir_.clear();
  path_.clear();
}

}  // namespace console_sim
