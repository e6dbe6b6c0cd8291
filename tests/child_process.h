// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Parts of a test that must run in a process of their own: as an unprivileged
// user (root reads and opens every file, so a permission test run as root
// must give that up first), or with a device file on a filesystem mounted
// nodev (in a mount namespace of the child's own, so nothing outside sees it).
#include <poll.h>
#include <pwd.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

namespace testing_support {

// Runs fn in a forked child and returns the text it returned; nullopt when
// the child did not get to the end (it died, fn threw, or it ran past a
// generous deadline and was killed).
inline std::optional<std::string> InChildProcess(const std::function<std::string()>& fn) {
    int fds[2];
    if (::pipe(fds) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(fds[0]);
        std::string text;
        try {
            text = fn();
        } catch (...) {
            ::_exit(4);
        }
        const char* data = text.data();
        for (size_t left = text.size(); left > 0;) {
            const ssize_t n = ::write(fds[1], data, left);
            if (n <= 0) ::_exit(5);
            data += n;
            left -= static_cast<size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buffer[512];
    pollfd p{fds[0], POLLIN, 0};
    bool ended = false;
    while (::poll(&p, 1, 60000) > 0) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) {
            ended = true;
            break;
        }
        out.append(buffer, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    if (!ended) ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return out;
}

// The ids a test drops to when it runs as root: nobody's, from the password
// database where it has the entry.
struct UnprivilegedIds {
    uid_t uid = 65534;
    gid_t gid = 65534;
};

inline UnprivilegedIds Unprivileged() {
    UnprivilegedIds ids;
    if (const passwd* nobody = ::getpwnam("nobody")) {
        ids.uid = nobody->pw_uid;
        ids.gid = nobody->pw_gid;
    }
    return ids;
}

// Runs fn in a child that first becomes the unprivileged user when the tests
// run as root (and stays who it is otherwise). nullopt as InChildProcess,
// also when the ids cannot be changed.
inline std::optional<std::string> AsUnprivilegedUser(const std::function<std::string()>& fn) {
    const bool root = ::geteuid() == 0;
    const UnprivilegedIds ids = Unprivileged();  // looked up before the fork
    return InChildProcess([&]() -> std::string {
        if (root && (::setgroups(0, nullptr) != 0 || ::setgid(ids.gid) != 0 || ::setuid(ids.uid) != 0)) ::_exit(3);
        return fn();
    });
}

// What OnNodevMount answers when this machine does not let the test mount a
// filesystem (no root, or a container that forbids it): the test skips.
inline constexpr const char* kCannotMount = "cannot mount: ";

// Runs fn(node) in a child with its own mount namespace, where `node` is a
// character device file for `device` on a fresh filesystem mounted nodev.
// Answers kCannotMount and the reason when the mount is not permitted.
inline std::optional<std::string> OnNodevMount(dev_t device, const std::function<std::string(const std::string&)>& fn) {
    return InChildProcess([&]() -> std::string {
        auto refused = [](const char* what) { return std::string(kCannotMount) + what + ": " + std::strerror(errno); };
        if (::unshare(CLONE_NEWNS) != 0) return refused("unshare");
        // Nothing mounted here may reach the parent's namespace.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return refused("private mounts");
        char pattern[] = "/tmp/nodev-mount-XXXXXX";
        const char* dir = ::mkdtemp(pattern);
        if (!dir) return refused("mkdtemp");
        if (::mount("tmpfs", dir, "tmpfs", MS_NODEV | MS_NOSUID, "size=64k") != 0) {
            const std::string why = refused("tmpfs");
            ::rmdir(dir);
            return why;
        }
        const std::string node = std::string(dir) + "/ttyNODEV0";
        std::string text;
        if (::mknod(node.c_str(), S_IFCHR | 0666, device) != 0) {
            text = refused("mknod");
        } else {
            ::chmod(node.c_str(), 0666);  // whatever the umask took away
            text = fn(node);
        }
        ::umount2(dir, MNT_DETACH);
        ::rmdir(dir);
        return text;
    });
}

}  // namespace testing_support
