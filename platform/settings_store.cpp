// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/settings_store.h"

#include <cstdio>
#include <mutex>
#include <set>

#include "platform/format.h"
#include "platform/registry_text.h"

namespace platform {
namespace {

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
    const char* outcome = problem.value_kept ? "the value counts as one of another type" : "line skipped";
    ReportOnce(Format("calibration-tool: settings file %s, line %d: %s; %s: %s", path.c_str(), problem.line,
                      problem.reason.c_str(), outcome, problem.text.c_str()));
}

// Reads and parses the file, once and whole (the Wine server may rewrite its
// file at any time); a missing file is an empty store.
std::shared_ptr<const RegistryContent> LoadFile(const std::string& path) {
    std::string bytes, why;
    switch (ReadSettingsFile(path, &bytes, &why)) {
    case SettingsFileState::Missing:
        return std::make_shared<RegistryContent>();
    case SettingsFileState::Unreadable:
        ReportFileProblem(path, Format("exists but cannot be read (%s)", why.c_str()));
        return std::make_shared<RegistryContent>();
    case SettingsFileState::Readable:
        break;
    }
    std::vector<RegistryProblem> problems;
    auto content = std::make_shared<RegistryContent>(ParseSettingsFile(bytes, &problems));
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
            out += registry_text::LowerAscii(segment);
        }
        pos = slash + 1;
    }
    return out;
}

RegistryContent ParseSettingsFile(std::string_view bytes, std::vector<RegistryProblem>* problems) {
    return IsWineRegistry(bytes) ? ParseWineRegistry(bytes, problems) : ParseRegistryExport(bytes, problems);
}

SettingsLocation CurrentSettingsSource() {
    {
        std::lock_guard lock(source_mutex);
        if (built_in_text) {
            SettingsLocation source;
            source.place = SettingsPlace::BuiltIn;
            source.path = built_in_name;
            source.state = SettingsFileState::Readable;
            return source;
        }
    }
    return LocateSettingsFile();
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
        if (text) {
            content = std::make_shared<RegistryContent>(ParseSettingsFile(*text));
        } else if (const SettingsLocation location = LocateSettingsFile();
                   location.place == SettingsPlace::BadWinePrefix) {
            ReportOnce("calibration-tool: " + BadWinePrefixText(location.wine_prefix) + "; every key counts as absent");
            content = std::make_shared<RegistryContent>();
        } else {
            content = LoadFile(location.path);
        }
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
    const auto value = key->second.find(registry_text::LowerAscii(name));
    if (value == key->second.end()) return {};
    if (!value->second.is_text) throw ERegistryException(Format("Type de données incorrect pour '%s'", name.c_str()));
    return value->second.text;
}

std::string SettingsStore::NumberSeparator() const { return content_ ? content_->decimal_separator : std::string(); }

void SettingsStore::CloseKey() {
    content_.reset();
    current_path_.clear();
}

}  // namespace platform
