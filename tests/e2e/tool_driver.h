// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drives the built calibration-tool from outside, as a user's desktop would:
// a private X server (Xvfb) on a free display, the window titles the window
// manager would see, a polite close request (WM_DELETE_WINDOW), and the
// process's own figures from /proc (CPU time, resident memory, threads).
// Used by the end-to-end fault tests and by the benchmarks that measure the
// running tool.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
// Xlib's macros would clash with names in gtest, Qt and here.
#undef Status
#undef Bool
#undef None
#undef True
#undef False
#undef Success
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace tool_driver {

using Clock = std::chrono::steady_clock;

// Polls `done` every `step` until it holds or `timeout` has passed.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
                      std::chrono::milliseconds step = std::chrono::milliseconds(10)) {
    const auto end = Clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(step);
    }
}

// A child process started with fork/exec; stdout and stderr go to a file
// (or to `stdout_path` and the file, when that is given).
class Process {
public:
    Process(const std::string& program, const std::vector<std::string>& args,
            const std::map<std::string, std::string>& env, const std::string& output_path,
            const std::string& stdout_path = {}) {
        std::vector<std::string> env_strings;
        for (char** e = environ; *e; ++e) {
            const std::string entry = *e;
            const std::string name = entry.substr(0, entry.find('='));
            if (!env.count(name)) env_strings.push_back(entry);
        }
        for (const auto& [name, value] : env) env_strings.push_back(name + "=" + value);
        std::vector<char*> envp, argv;
        for (auto& s : env_strings) envp.push_back(s.data());
        envp.push_back(nullptr);
        std::string program_copy = program;
        std::vector<std::string> args_copy = args;
        argv.push_back(program_copy.data());
        for (auto& a : args_copy) argv.push_back(a.data());
        argv.push_back(nullptr);

        started_ = Clock::now();
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            const int out = open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out >= 0) {
                dup2(out, 1);
                dup2(out, 2);
            }
            if (!stdout_path.empty()) {
                const int only_out = open(stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (only_out >= 0) dup2(only_out, 1);
            }
            const int null_in = open("/dev/null", O_RDONLY);
            if (null_in >= 0) dup2(null_in, 0);
            setpgid(0, 0);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        output_path_ = output_path;
    }
    ~Process() { Kill(); }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    Clock::time_point Started() const { return started_; }
    bool Running() {
        Reap(false);
        return !status_.has_value();
    }
    // The wait status once ended (see WIFEXITED and friends).
    std::optional<int> ExitStatus() {
        Reap(false);
        return status_;
    }
    // Waits for the end; the status, or nothing on timeout.
    std::optional<int> Wait(std::chrono::milliseconds timeout) {
        WaitUntil([this] { return !Running(); }, timeout);
        return status_;
    }
    void Kill() {
        if (pid_ > 0 && Running()) {
            ::kill(pid_, SIGKILL);
            Reap(true);
        }
    }
    std::string Output() const {
        std::ifstream in(output_path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // CPU time (user + system) of the whole process so far, in seconds.
    double CpuSeconds() const {
        std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
        std::string line;
        std::getline(in, line);
        const size_t close = line.rfind(')');
        if (close == std::string::npos) return -1;
        std::istringstream fields(line.substr(close + 2));
        std::string field;
        unsigned long long utime = 0, stime = 0;
        // Fields after the name start at number 3 (state); utime is 14, stime 15.
        for (int number = 3; number <= 15 && fields >> field; ++number) {
            if (number == 14) utime = std::stoull(field);
            if (number == 15) stime = std::stoull(field);
        }
        return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    // A line of /proc/<pid>/status in kB (VmRSS, VmHWM) or a count (Threads).
    long StatusField(const std::string& name) const {
        std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
        std::string line;
        while (std::getline(in, line)) {
            if (line.compare(0, name.size() + 1, name + ":") == 0) return std::stol(line.substr(name.size() + 1));
        }
        return -1;
    }

private:
    void Reap(bool block) {
        if (pid_ <= 0 || status_) return;
        int status = 0;
        if (waitpid(pid_, &status, block ? 0 : WNOHANG) == pid_) status_ = status;
    }

    pid_t pid_ = -1;
    Clock::time_point started_;
    std::optional<int> status_;
    std::string output_path_;
};

// A private X server on a free display, with a client connection of its own.
class XServer {
public:
    XServer() {
        int fds[2];
        if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            close(fds[0]);
            const int null_fd = open("/dev/null", O_RDWR);
            dup2(null_fd, 0);
            dup2(null_fd, 1);
            dup2(null_fd, 2);
            const std::string displayfd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", displayfd.c_str(), "-nolisten", "tcp", "-screen", "0",
                   "1024x768x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c;
        pollfd p{fds[0], POLLIN, 0};
        while (poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (number.empty()) {
            Stop();
            throw std::runtime_error("Xvfb did not start");
        }
        name_ = ":" + number;
        // Windows come and go while they are listed: a request about one that
        // has just gone fails, and Xlib's default handler would end the process.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        display_ = XOpenDisplay(name_.c_str());
        if (!display_) {
            Stop();
            throw std::runtime_error("cannot connect to Xvfb on " + name_);
        }
    }
    ~XServer() { Stop(); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& Name() const { return name_; }

    // Titles of the viewable top-level windows.
    std::vector<std::pair<Window, std::string>> Windows() {
        std::vector<std::pair<Window, std::string>> out;
        Window root = DefaultRootWindow(display_), parent = 0, *children = nullptr;
        unsigned count = 0;
        XSync(display_, 0);
        if (!XQueryTree(display_, root, &root, &parent, &children, &count)) return out;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(display_, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            out.emplace_back(children[i], Title(children[i]));
        }
        if (children) XFree(children);
        return out;
    }
    // The first viewable window with this title, of the given process when
    // `pid` is set (as the window says in _NET_WM_PID).
    std::optional<Window> FindWindow(const std::string& title, pid_t pid = 0) {
        for (const auto& [w, t] : Windows())
            if (t == title && (pid == 0 || Pid(w) == pid)) return w;
        return std::nullopt;
    }
    pid_t Pid(Window w) {
        Atom type;
        int format;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        pid_t pid = 0;
        const Atom net_wm_pid = XInternAtom(display_, "_NET_WM_PID", 0);
        if (XGetWindowProperty(display_, w, net_wm_pid, 0, 1, 0, XA_CARDINAL, &type, &format, &items, &after,
                               &data) == 0 &&
            data) {
            if (items == 1) pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
            XFree(data);
        }
        return pid;
    }
    bool WaitForWindow(const std::string& title, std::chrono::milliseconds timeout, pid_t pid = 0) {
        return WaitUntil([&] { return FindWindow(title, pid).has_value(); }, timeout);
    }
    std::string Titles() {
        std::string s;
        for (const auto& [w, t] : Windows()) s += (s.empty() ? "\"" : ", \"") + t + "\"";
        return s;
    }
    // What the window manager sends when the user clicks the close box.
    void RequestClose(Window w) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = w;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", 0);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", 0));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, w, 0, NoEventMask, &event);
        XFlush(display_);
    }

private:
    std::string Title(Window w) {
        Atom type;
        int format;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        std::string title;
        const Atom net_wm_name = XInternAtom(display_, "_NET_WM_NAME", 0);
        const Atom utf8 = XInternAtom(display_, "UTF8_STRING", 0);
        if (XGetWindowProperty(display_, w, net_wm_name, 0, 1024, 0, utf8, &type, &format, &items, &after,
                               &data) == 0 &&
            data) {
            title.assign(reinterpret_cast<char*>(data), items);
            XFree(data);
            return title;
        }
        char* name = nullptr;
        if (XFetchName(display_, w, &name) && name) {
            title = name;
            XFree(name);
        }
        return title;
    }
    void Stop() {
        if (display_) XCloseDisplay(display_);
        display_ = nullptr;
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status;
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
    }

    pid_t pid_ = -1;
    std::string name_;
    Display* display_ = nullptr;
};

// A settings file in which a companion program of version 6 is installed and
// the calibration points of the short- and long-frame trainers are set.
inline std::string WriteSettingsFixture(const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\AppPath]\r\n"
           "\"AppPath\"=\"C:\\\\Program Files\\\\Trakova\"\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Versions]\r\n"
           "\"Soft. version\"=\"6.2.0.0\"\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Corvane\\Trakova\\Calibration\\Quarix6]\r\n"
           "\"Speed1\"=\"20\"\r\n\"Speed2\"=\"30\"\r\n\"Speed3\"=\"40\"\r\n"
           "\"Resist1\"=\"100\"\r\n\"Resist2\"=\"60\"\r\n\"Resist3\"=\"10\"\r\n";
    return path;
}

inline std::string TempDir(const std::string& prefix) {
    std::string pattern = (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : std::string("/tmp")) + "/" +
                          prefix + "-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

// A folder of the test's own, removed with all it holds when the test ends.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix = "calibration_e2e") : path_(TempDir(prefix)) {}
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace tool_driver
