#include "platform/settings_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <pwd.h>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/format.h"

namespace platform {
namespace {

// A settings export is a few kilobytes; anything this large is not one, and
// reading it whole would only cost memory.
constexpr std::streamoff kMaxFileSize = 16 * 1024 * 1024;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

std::string_view Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 code units to UTF-8. A lone surrogate becomes U+FFFD; an odd last
// byte is dropped. With stop_at_nul the text ends at the first NUL unit, as a
// registry string does.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian, bool stop_at_nul) {
    std::string out;
    out.reserve(bytes.size() / 2);
    const size_t units = bytes.size() / 2;
    auto unit = [&](size_t i) -> uint32_t {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        return big_endian ? (a << 8 | b) : (b << 8 | a);
    };
    for (size_t i = 0; i < units; ++i) {
        uint32_t u = unit(i);
        if (u == 0 && stop_at_nul) break;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const uint32_t low = unit(i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        AppendUtf8(out, u);
    }
    return out;
}

// 8-bit code page text (REGEDIT4 files and their hex(2) data) taken as
// Latin-1, which agrees with the Western code page on every letter a key
// path or a number can hold.
std::string Latin1ToUtf8(std::string_view bytes, bool stop_at_nul) {
    std::string out;
    for (char c : bytes) {
        if (c == 0 && stop_at_nul) break;
        AppendUtf8(out, static_cast<unsigned char>(c));
    }
    return out;
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t extra;
        if (c < 0x80) extra = 0;
        else if (c >= 0xC2 && c <= 0xDF) extra = 1;
        else if (c >= 0xE0 && c <= 0xEF) extra = 2;
        else if (c >= 0xF0 && c <= 0xF4) extra = 3;
        else return false;
        if (i + extra >= s.size() && extra > 0) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

std::string DecodeFileText(std::string_view bytes) {
    auto starts = [&](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    if (starts("\xFF\xFE")) return Utf16ToUtf8(bytes.substr(2), false, false);
    if (starts("\xFE\xFF")) return Utf16ToUtf8(bytes.substr(2), true, false);
    if (starts("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    // An export saved without its mark still shows itself by the zero high
    // byte of its first character.
    else if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) return Utf16ToUtf8(bytes, false, false);
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Latin1ToUtf8(bytes, false);
}

// A quoted text with the export's two escapes, \\ and \". Any other backslash
// is kept as written, so a hand-written "C:\Program Files" still reads right.
bool ParseQuoted(std::string_view s, size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    ++pos;
    while (pos < s.size()) {
        const char c = s[pos];
        if (c == '\\' && pos + 1 < s.size() && (s[pos + 1] == '\\' || s[pos + 1] == '"')) {
            out += s[pos + 1];
            pos += 2;
        } else if (c == '"') {
            ++pos;
            return true;
        } else {
            out += c;
            ++pos;
        }
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "41,00,42,00" (blanks allowed around the commas, a trailing comma tolerated).
bool ParseHexBytes(std::string_view s, std::string& out) {
    s = Trim(s);
    size_t pos = 0;
    while (pos < s.size()) {
        size_t comma = s.find(',', pos);
        std::string_view item = Trim(s.substr(pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos));
        if (item.empty()) {
            // Only a trailing comma may leave an empty item.
            if (comma != std::string_view::npos || pos != s.size()) {
                if (!Trim(s.substr(pos)).empty()) return false;
            }
            break;
        }
        if (item.size() > 2) return false;
        int value = 0;
        for (char c : item) {
            const int d = HexDigit(c);
            if (d < 0) return false;
            value = value * 16 + d;
        }
        out += static_cast<char>(value);
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
    return true;
}

enum class Hive { CurrentUser, Other, Unknown };

Hive HiveOf(std::string_view root) {
    const std::string r = LowerAscii(root);
    if (r == "hkey_current_user" || r == "hkcu") return Hive::CurrentUser;
    static const char* const others[] = {"hkey_local_machine", "hklm", "hkey_classes_root", "hkcr", "hkey_users", "hku",
                                         "hkey_current_config", "hkcc", "hkey_performance_data", "hkey_dyn_data"};
    for (const char* o : others)
        if (r == o) return Hive::Other;
    return Hive::Unknown;
}

class Parser {
public:
    Parser(std::string_view bytes, std::vector<RegistryProblem>* problems) : problems_(problems) {
        const std::string text = DecodeFileText(bytes);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines_.push_back(std::move(line));
            start = end + 1;
        }
    }

    RegistryContent Run() {
        bool first = true;
        for (index_ = 0; index_ < lines_.size(); ++index_) {
            const std::string_view line = Trim(lines_[index_]);
            if (line.empty()) continue;
            if (first) {
                first = false;
                if (line == "Windows Registry Editor Version 5.00") continue;
                if (line == "REGEDIT4") {
                    regedit4_ = true;
                    continue;
                }
                Problem("the file does not start with \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
            }
            if (line[0] == ';') continue;
            if (line[0] == '[') {
                Section(line);
            } else {
                Value(line);
            }
        }
        return std::move(content_);
    }

private:
    enum class State { NoKey, Skipped, Active };

    void Problem(const std::string& reason) { ProblemAt(index_, reason); }

    void Section(std::string_view line) {
        if (line.back() != ']') {
            Problem("a key line must end with ']'");
            state_ = State::Skipped;
            return;
        }
        std::string_view inner = line.substr(1, line.size() - 2);
        const bool remove = !inner.empty() && inner[0] == '-';
        if (remove) inner.remove_prefix(1);
        const size_t slash = inner.find('\\');
        const std::string_view root = inner.substr(0, slash);
        const std::string_view rest = slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1);
        switch (HiveOf(root)) {
        case Hive::Other:
            state_ = State::Skipped;
            return;
        case Hive::Unknown:
            Problem("the key does not start with HKEY_CURRENT_USER");
            state_ = State::Skipped;
            return;
        case Hive::CurrentUser:
            break;
        }
        const std::string path = NormalizeKeyPath(rest);
        if (remove) {
            for (auto it = content_.keys.begin(); it != content_.keys.end();) {
                const bool below = path.empty() || it->first == path ||
                                   (it->first.size() > path.size() && it->first.compare(0, path.size(), path) == 0 &&
                                    it->first[path.size()] == '\\');
                it = below ? content_.keys.erase(it) : std::next(it);
            }
            state_ = State::Skipped;
            return;
        }
        current_ = path;
        content_.keys[current_];
        state_ = State::Active;
    }

    void Value(std::string_view line) {
        const size_t first_line = index_;
        std::string name;
        size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] != '"') {
            Problem("expected a key in [brackets], a \"name\"=value line or a ';' comment");
            return;
        } else if (!ParseQuoted(line, pos, name)) {
            Problem("the value name is not closed by '\"'");
            return;
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
        if (pos >= line.size() || line[pos] != '=') {
            Problem("expected '=' after the value name");
            return;
        }
        ++pos;
        std::string data(Trim(line.substr(pos)));

        // Hex data continues on the next lines while a line ends with '\'.
        if (LowerAscii(std::string_view(data).substr(0, 3)) == "hex") {
            while (!data.empty() && data.back() == '\\') {
                data.pop_back();
                if (index_ + 1 >= lines_.size()) {
                    Problem("the value's data is continued past the end of the file");
                    return;
                }
                ++index_;
                data += Trim(lines_[index_]);
            }
        }

        RegistryValue value;
        bool remove = false;
        const std::string lower = LowerAscii(data);
        if (!data.empty() && data[0] == '"') {
            size_t p = 0;
            if (!ParseQuoted(data, p, value.text) || !Trim(std::string_view(data).substr(p)).empty()) {
                ProblemAt(first_line, "the text is not closed by '\"' at the end of the line");
                return;
            }
            value.is_text = true;
        } else if (data == "-") {
            remove = true;
        } else if (lower.compare(0, 6, "dword:") == 0) {
            const std::string_view digits = Trim(std::string_view(data).substr(6));
            bool ok = !digits.empty() && digits.size() <= 8;
            for (char c : digits) ok = ok && HexDigit(c) >= 0;
            if (!ok) {
                ProblemAt(first_line, "a dword value needs 1 to 8 hexadecimal digits");
                return;
            }
        } else if (lower.compare(0, 4, "hex:") == 0 || lower.compare(0, 4, "hex(") == 0) {
            size_t colon = data.find(':');
            uint32_t type = 3;  // binary; a registry type is a 32-bit unsigned number
            if (lower[3] == '(') {
                const size_t close = data.find(')');
                if (close == std::string::npos || close + 1 != colon || close == 4) {
                    ProblemAt(first_line, "expected hex(type): before the bytes");
                    return;
                }
                type = 0;
                for (size_t i = 4; i < close; ++i) {
                    const int d = HexDigit(data[i]);
                    if (d < 0 || type > 0xFFFFFFF) {
                        ProblemAt(first_line, "expected hex(type): before the bytes");
                        return;
                    }
                    type = type * 16 + static_cast<uint32_t>(d);
                }
            }
            std::string bytes;
            if (!ParseHexBytes(std::string_view(data).substr(colon + 1), bytes)) {
                ProblemAt(first_line, "expected bytes as two hexadecimal digits separated by commas");
                return;
            }
            // 1 = text and 2 = expandable text, both read as texts.
            if (type == 1 || type == 2) {
                value.is_text = true;
                value.text = regedit4_ ? Latin1ToUtf8(bytes, true) : Utf16ToUtf8(bytes, false, true);
            }
        } else {
            ProblemAt(first_line, "unknown value data (expected \"text\", dword:, hex: or hex(n):)");
            return;
        }

        if (state_ == State::NoKey) {
            ProblemAt(first_line, "a value before any [key] line");
            return;
        }
        if (state_ == State::Skipped) return;
        auto& values = content_.keys[current_];
        if (remove) values.erase(LowerAscii(name));
        else values[LowerAscii(name)] = std::move(value);
    }

    void ProblemAt(size_t line_index, const std::string& reason) {
        if (!problems_) return;
        // The line as written, cut short: enough to find it, never a flood.
        std::string text(Trim(lines_[line_index]));
        if (text.size() > 60) {
            size_t cut = 57;
            while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
            text = text.substr(0, cut) + "...";
        }
        problems_->push_back({static_cast<int>(line_index) + 1, reason, std::move(text)});
    }

    std::vector<RegistryProblem>* problems_;
    std::vector<std::string> lines_;
    size_t index_ = 0;
    bool regedit4_ = false;
    State state_ = State::NoKey;
    std::string current_;
    RegistryContent content_;
};

std::mutex source_mutex;
std::optional<std::string> built_in_text;
std::string built_in_name;

// Each malformed line is told once per process, however often it is read.
void ReportOnce(const std::string& message) {
    static std::mutex mutex;
    static std::set<std::string> told;
    std::lock_guard lock(mutex);
    if (!told.insert(message).second) return;
    std::fprintf(stderr, "%s\n", message.c_str());
}

void ReportFileProblem(const std::string& path, const std::string& reason) {
    ReportOnce(Format("calibration-tool: settings file %s %s; every key counts as absent", path.c_str(), reason.c_str()));
}

void ReportLineProblem(const std::string& path, const RegistryProblem& problem) {
    ReportOnce(Format("calibration-tool: settings file %s, line %d: %s; line skipped: %s", path.c_str(), problem.line,
                      problem.reason.c_str(), problem.text.c_str()));
}

// Reads and parses the file; a missing file is an empty store.
std::shared_ptr<const RegistryContent> LoadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    struct stat st {};
    if (!in || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = errno;
        if (::stat(path.c_str(), &st) == 0)
            ReportFileProblem(path, Format("cannot be read (%s)", S_ISDIR(st.st_mode) ? "it is a folder" : std::strerror(err)));
        return std::make_shared<RegistryContent>();
    }
    if (st.st_size > kMaxFileSize) {
        ReportFileProblem(path, "is too large to be a settings export");
        return std::make_shared<RegistryContent>();
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    const std::string bytes = buffer.str();
    std::vector<RegistryProblem> problems;
    auto content = std::make_shared<RegistryContent>(ParseRegistryExport(bytes, &problems));
    for (const auto& p : problems) ReportLineProblem(path, p);
    return content;
}

}  // namespace

bool RegistryContent::HasKey(const std::string& normalized_path) const {
    if (normalized_path.empty()) return true;
    if (keys.count(normalized_path) != 0) return true;
    // The first key at or after "path\" is a subkey if there is any: siblings
    // such as "path-old" sort before the separator and must not hide them.
    const std::string prefix = normalized_path + '\\';
    const auto it = keys.lower_bound(prefix);
    return it != keys.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

std::string NormalizeKeyPath(std::string_view path) {
    std::string out;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t slash = path.find('\\', pos);
        if (slash == std::string_view::npos) slash = path.size();
        const std::string_view segment = path.substr(pos, slash - pos);
        if (!segment.empty()) {
            if (!out.empty()) out += '\\';
            out += LowerAscii(segment);
        }
        pos = slash + 1;
    }
    return out;
}

RegistryContent ParseRegistryExport(std::string_view bytes, std::vector<RegistryProblem>* problems) {
    return Parser(bytes, problems).Run();
}

std::string SettingsFilePath() {
    if (const char* explicit_path = std::getenv("CALIBRATION_TOOL_SETTINGS")) return explicit_path;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // An empty or relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/calibration-tool/user.reg";
    std::string home;
    if (const char* env_home = std::getenv("HOME"); env_home && env_home[0]) home = env_home;
    else if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) home = entry->pw_dir;
    return home + "/.config/calibration-tool/user.reg";
}

SettingsSource CurrentSettingsSource() {
    {
        std::lock_guard lock(source_mutex);
        if (built_in_text) return {built_in_name, true, true};
    }
    SettingsSource source;
    source.path = SettingsFilePath();
    struct stat st {};
    source.found = ::stat(source.path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(source.path.c_str(), R_OK) == 0;
    return source;
}

void UseBuiltInSettings(std::optional<std::string> text, std::string name) {
    std::lock_guard lock(source_mutex);
    built_in_text = std::move(text);
    built_in_name = std::move(name);
}

SettingsStore::SettingsStore(std::string file_path) : file_path_(std::move(file_path)) {}

bool SettingsStore::OpenKey(const std::string& path) {
    std::shared_ptr<const RegistryContent> content;
    if (file_path_) {
        content = LoadFile(*file_path_);
    } else {
        std::optional<std::string> text;
        {
            std::lock_guard lock(source_mutex);
            text = built_in_text;
        }
        content = text ? std::make_shared<RegistryContent>(ParseRegistryExport(*text)) : LoadFile(SettingsFilePath());
    }
    const bool from_root = !path.empty() && path[0] == '\\';
    std::string target = NormalizeKeyPath(path);
    if (!from_root && !current_path_.empty()) target = target.empty() ? current_path_ : current_path_ + '\\' + target;
    if (!content->HasKey(target)) return false;
    content_ = std::move(content);
    current_path_ = std::move(target);
    return true;
}

std::string SettingsStore::ReadText(const std::string& name) const {
    if (!content_) return {};
    const auto key = content_->keys.find(current_path_);
    if (key == content_->keys.end()) return {};
    const auto value = key->second.find(LowerAscii(name));
    if (value == key->second.end()) return {};
    if (!value->second.is_text) throw ERegistryException(Format("Type de données incorrect pour '%s'", name.c_str()));
    return value->second.text;
}

void SettingsStore::CloseKey() {
    content_.reset();
    current_path_.clear();
}

}  // namespace platform
