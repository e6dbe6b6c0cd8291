// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup/calibration_settings.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>

#include "platform/format.h"
#include "platform/settings_store.h"

namespace app {
namespace {

const CalibrationProfileInfo kProfiles[] = {
    {CalibrationProfile::Quarix5, "Software\\Corvane\\Solvane\\Calibration\\Quarix5", true},
    {CalibrationProfile::Quarix6, "Software\\Corvane\\Trakova\\Calibration\\Quarix6", false},
    {CalibrationProfile::Quarix7, "Software\\Corvane\\Marnico\\Calibration\\Quarix7", false},
};

struct ProductKeys {
    const char* presence_key;
    const char* version_key;
};

ProductKeys KeysOf(CompanionProduct product) {
    switch (product) {
    case CompanionProduct::Branzo:
        return {"Software\\Corvane\\Branzo\\AppPath", "\\Software\\Corvane\\Branzo\\Versions"};
    case CompanionProduct::Trakova:
        break;
    }
    return {"Software\\Corvane\\Trakova\\AppPath", "\\Software\\Corvane\\Trakova\\Versions"};
}

// Opens a key for one read and closes it again, whatever the read does.
class OpenedKey {
public:
    explicit OpenedKey(const std::string& path) : open_(store_.OpenKey(path)) {}
    ~OpenedKey() { store_.CloseKey(); }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    bool IsOpen() const { return open_; }
    std::string Read(const std::string& name) const { return store_.ReadText(name); }
    // A decimal number as the program that wrote the key writes them.
    long double ReadDecimal(const std::string& name) const {
        return platform::StrToFloat(store_.ReadText(name), store_.NumberSeparator());
    }

private:
    platform::SettingsStore store_;
    bool open_;
};

std::string PointValueName(const char* prefix, int n) { return prefix + std::to_string(n); }

}  // namespace

const CalibrationProfileInfo& ProfileInfo(CalibrationProfile profile) {
    return kProfiles[static_cast<int>(profile)];
}

const CalibrationProfileInfo* ProfileForVersion(double version) {
    if (version == 5) return &kProfiles[0];
    if (version == 6 || version == 4.5 || version == 4) return &kProfiles[1];
    if (version == 7) return &kProfiles[2];
    return nullptr;
}

double ReadCalibrationSpeed(CalibrationProfile profile, int n) {
    const CalibrationProfileInfo& info = ProfileInfo(profile);
    OpenedKey key(info.key);
    if (!key.IsOpen()) return kSpeedNotSet;
    if (info.whole_number_speeds) {
        const std::string text = key.Read(PointValueName("Speed", n));
        if (text.empty()) return kSpeedNotSet;
        return static_cast<double>(platform::StrToInt(text));
    }
    return static_cast<double>(key.ReadDecimal(PointValueName("Speed", n)));
}

int32_t ReadCalibrationResistance(CalibrationProfile profile, int n) {
    const CalibrationProfileInfo& info = ProfileInfo(profile);
    OpenedKey key(info.key);
    if (!key.IsOpen()) return kResistanceNotSet;
    const std::string text = key.Read(PointValueName("Resist", n));
    if (info.whole_number_speeds && text.empty()) return kResistanceNotSet;
    return platform::StrToInt(text);
}

void ReadCalibrationPoints(CalibrationProfile profile, std::array<double, 3>& target_speeds,
                           std::array<int32_t, 3>& resistance_levels) {
    for (int n = 1; n <= 3; ++n) {
        const double speed = ReadCalibrationSpeed(profile, n);
        target_speeds[n - 1] = speed == kSpeedNotSet ? kDefaultTargetSpeeds[n - 1] : speed;
    }
    for (int n = 1; n <= 3; ++n) {
        const int32_t level = ReadCalibrationResistance(profile, n);
        resistance_levels[n - 1] = level == kResistanceNotSet ? kDefaultResistanceLevels[n - 1] : level;
    }
}

bool IsProductInstalled(CompanionProduct product) {
    OpenedKey key(KeysOf(product).presence_key);
    return key.IsOpen() && !key.Read("AppPath").empty();
}

CompanionVersion ReadProductVersion(CompanionProduct product) {
    CompanionVersion version;
    if (!IsProductInstalled(product)) return version;
    OpenedKey key(KeysOf(product).version_key);
    if (!key.IsOpen()) return version;
    std::string text = key.Read("Soft. version");
    version.Major = platform::StrToInt(TakeToken(text, "."));
    version.Minor = platform::StrToInt(TakeToken(text, "."));
    version.Release = platform::StrToInt(TakeToken(text, "."));
    version.Build = platform::StrToInt(TakeToken(text, "."));
    return version;
}

std::string TakeToken(std::string& text, const std::string& separator) {
    const size_t at = separator.empty() ? std::string::npos : text.find(separator);
    if (at == std::string::npos) {
        std::string head = std::move(text);
        text.clear();
        return head;
    }
    std::string head = text.substr(0, at);
    text.erase(0, at + separator.size());
    return head;
}

std::string SettingsOriginNote() {
    using platform::SettingsFileState;
    using platform::SettingsPlace;
    auto q = [](const std::string& text) { return QString::fromStdString(text); };
    const platform::SettingsLocation source = platform::CurrentSettingsSource();
    if (source.place == SettingsPlace::BuiltIn)
        return QCoreApplication::translate("CalibrationSettings", "Settings: %1.").arg(q(source.path)).toStdString();
    if (source.place == SettingsPlace::BadWinePrefix)
        return QCoreApplication::translate("CalibrationSettings",
                                           "No settings file: WINEPREFIX is set to \"%1\", which is not an absolute "
                                           "path: Wine does not use it, and no Wine prefix is read.")
            .arg(q(source.wine_prefix))
            .toStdString();
    if (source.place == SettingsPlace::Nowhere)
        return QCoreApplication::translate(
                   "CalibrationSettings",
                   "No settings file was found (looked for: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, the "
                   "Wine prefix's %2). Put the companion programs' keys in %1, or name the file with --settings or "
                   "in CALIBRATION_TOOL_SETTINGS.")
            .arg(q(source.user_config_file), q(source.wine_file))
            .toStdString();
    switch (source.state) {
    case SettingsFileState::Readable:
        if (source.place == SettingsPlace::WinePrefix)
            return QCoreApplication::translate("CalibrationSettings",
                                               "Settings read from the Wine prefix's registry %1.")
                .arg(q(source.path))
                .toStdString();
        return QCoreApplication::translate("CalibrationSettings", "Settings read from %1.")
            .arg(q(source.path))
            .toStdString();
    case SettingsFileState::Unreadable:
        return QCoreApplication::translate(
                   "CalibrationSettings",
                   "The settings file %1 exists but cannot be read (%2): every key counts as absent.")
            .arg(q(source.path), q(source.why))
            .toStdString();
    case SettingsFileState::Missing:
        break;
    }
    if (source.place == SettingsPlace::Option)
        return QCoreApplication::translate("CalibrationSettings",
                                           "No settings file: %1, named by --settings, does not exist.")
            .arg(q(source.path))
            .toStdString();
    if (source.path.empty())
        return QCoreApplication::translate("CalibrationSettings",
                                           "No settings file: CALIBRATION_TOOL_SETTINGS is set but empty.")
            .toStdString();
    return QCoreApplication::translate("CalibrationSettings",
                                       "No settings file: %1, named in CALIBRATION_TOOL_SETTINGS, does not exist.")
        .arg(q(source.path))
        .toStdString();
}

std::optional<std::string> UseSettingsFileOption(const std::string& path) {
    platform::SetSettingsFileOption(path);
    std::string why = std::strerror(ENOENT);
    switch (platform::ReadSettingsFile(path, nullptr, &why)) {
    case platform::SettingsFileState::Readable:
        return std::nullopt;
    case platform::SettingsFileState::Missing:
    case platform::SettingsFileState::Unreadable:
        break;
    }
    return QCoreApplication::translate("CalibrationSettings", "cannot read the settings file '%1' (--settings): %2")
        .arg(QString::fromStdString(path), QString::fromLocal8Bit(why.c_str()))
        .toStdString();
}

}  // namespace app
