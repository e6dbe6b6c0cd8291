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

std::string WineFile() {
    const auto prefix = AbsoluteFolder("WINEPREFIX");
    return (prefix ? *prefix : HomeFolder() + "/.wine") + "/user.reg";
}

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
    location.wine_file = WineFile();
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
    for (const auto& [place, path] : {std::pair{SettingsPlace::UserConfig, location.user_config_file},
                                      std::pair{SettingsPlace::WinePrefix, location.wine_file}}) {
        if (look_at(place, path).state != SettingsFileState::Missing) return location;
    }
    SettingsLocation nowhere;
    nowhere.user_config_file = std::move(location.user_config_file);
    nowhere.wine_file = std::move(location.wine_file);
    return nowhere;
}

SettingsFileState ReadSettingsFile(const std::string& path, std::string* bytes, std::string* why, size_t max_bytes) {
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
    } else if (bytes) {
        bytes->clear();
        char buffer[65536];
        while (bytes->size() <= max_bytes) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                state = Unreadable(why, std::strerror(errno));
                break;
            }
            if (n == 0) break;
            bytes->append(buffer, static_cast<size_t>(n));
        }
    }
    ::close(fd);
    return state;
}

}  // namespace platform
