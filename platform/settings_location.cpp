// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settings_location.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::mutex option_mutex;
std::optional<std::string> option_file;

// An environment folder counts only when absolute: an empty or relative
// value is invalid and ignored, as the base directory rules ask.
std::optional<std::string> AbsoluteFolder(const char* name) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/') return std::nullopt;
    std::string folder = value;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0]) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return {};
}

std::string UserConfigFile() {
    const auto xdg = AbsoluteFolder("XDG_CONFIG_HOME");
    return (xdg ? *xdg : HomeFolder() + "/.config") + "/calibration-tool/user.reg";
}

// Wine takes WINEPREFIX when it is set at all, and refuses to start when it
// is not an absolute path ("invalid directory ... in WINEPREFIX: not an
// absolute path"), an empty one too: such a value names no prefix (empty
// result), never the default one.
std::string WineFile(std::string& wine_prefix) {
    const char* value = std::getenv("WINEPREFIX");
    if (!value) return HomeFolder() + "/.wine/user.reg";
    wine_prefix = value;
    if (value[0] != '/') return {};
    std::string folder = value;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return (folder == "/" ? "" : folder) + "/user.reg";
}

constexpr const char* kTooLarge = "larger than 16 MiB, too large to be a settings file";

SettingsFileState Unreadable(std::string* why, const char* reason) {
    if (why) *why = reason;
    return SettingsFileState::Unreadable;
}

}  // namespace

void SetSettingsFileOption(std::optional<std::string> path) {
    std::lock_guard lock(option_mutex);
    option_file = std::move(path);
}

SettingsLocation LocateSettingsFile() {
    SettingsLocation location;
    location.user_config_file = UserConfigFile();
    location.wine_file = WineFile(location.wine_prefix);
    // A file the user named is the one, whether it is there or not; the two
    // usual places count only when something is there.
    auto look_at = [&](SettingsPlace place, std::string path) {
        location.place = place;
        location.path = std::move(path);
        location.state = ReadSettingsFile(location.path, nullptr, &location.why);
        return location;
    };
    {
        std::lock_guard lock(option_mutex);
        if (option_file) return look_at(SettingsPlace::Option, *option_file);
    }
    if (const char* named = std::getenv("CALIBRATION_TOOL_SETTINGS")) return look_at(SettingsPlace::Environment, named);
    if (look_at(SettingsPlace::UserConfig, location.user_config_file).state != SettingsFileState::Missing)
        return location;
    if (location.wine_file.empty()) {
        location.place = SettingsPlace::BadWinePrefix;
        location.path.clear();
        location.state = SettingsFileState::Missing;
        return location;
    }
    if (look_at(SettingsPlace::WinePrefix, location.wine_file).state != SettingsFileState::Missing) return location;
    location.place = SettingsPlace::Nowhere;
    location.path.clear();
    return location;
}

std::string BadWinePrefixText(const std::string& wine_prefix) {
    return "WINEPREFIX is set to \"" + wine_prefix +
           "\", which is not an absolute path: Wine does not use it, and no Wine prefix is read";
}

SettingsFileState ReadSettingsFile(const std::string& path, std::string* bytes, std::string* why) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) return SettingsFileState::Missing;
        return Unreadable(why, std::strerror(err));  // something may be there, out of reach
    }
    if (S_ISDIR(st.st_mode)) return Unreadable(why, std::strerror(EISDIR));
    if (!S_ISREG(st.st_mode)) return Unreadable(why, "not a regular file");
    // Non-blocking: should a pipe have taken the file's place since, the
    // open must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) return SettingsFileState::Missing;
        return Unreadable(why, std::strerror(err));
    }
    SettingsFileState state = SettingsFileState::Readable;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        state = Unreadable(why, "not a regular file");
    } else if (static_cast<unsigned long long>(st.st_size) > kMaxSettingsFileSize) {
        state = Unreadable(why, kTooLarge);
    } else if (bytes) {
        bytes->clear();
        char buffer[65536];
        // A file that grows past the limit while it is read is refused too.
        while (state == SettingsFileState::Readable) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                state = Unreadable(why, std::strerror(errno));
                break;
            }
            if (n == 0) break;
            bytes->append(buffer, static_cast<size_t>(n));
            if (bytes->size() > kMaxSettingsFileSize) state = Unreadable(why, kTooLarge);
        }
        if (state != SettingsFileState::Readable) bytes->clear();
    }
    ::close(fd);
    return state;
}

}  // namespace platform
