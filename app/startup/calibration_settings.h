// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The calibration points that the companion training programs keep in the
// per-user settings store, one key per trainer generation, and the check that
// a suitable companion program is installed.
//
// Each reader opens its key, reads one value and closes the key again: nothing
// is cached. Conversion errors (platform::EConvertError) and values of the
// wrong type (platform::ERegistryException) propagate to the caller.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace app {

enum class CalibrationProfile { Quarix5, Quarix6, Quarix7 };

struct CalibrationProfileInfo {
    CalibrationProfile profile;
    const char* key;           // below the per-user root
    bool whole_number_speeds;  // and an empty value counts as not set
};

const CalibrationProfileInfo& ProfileInfo(CalibrationProfile profile);

// The profile of a trainer generation, by exact equality of Version: 5 ->
// Quarix5; 6, 4.5 and 4 -> Quarix6; 7 -> Quarix7. Any other: nullptr.
const CalibrationProfileInfo* ProfileForVersion(double version);

// "Not set" as the readers answer it.
constexpr double kSpeedNotSet = -1;
constexpr int32_t kResistanceNotSet = -1;
constexpr std::array<double, 3> kDefaultTargetSpeeds{20, 30, 40};
constexpr std::array<int32_t, 3> kDefaultResistanceLevels{100, 60, 0};

// Target speed of point n (1..3) in km/h; -1 when the key cannot be opened
// (and, in Quarix5, when the value is empty or absent).
double ReadCalibrationSpeed(CalibrationProfile profile, int n);
// Resistance level of point n (1..3); -1 as above.
int32_t ReadCalibrationResistance(CalibrationProfile profile, int n);

// Reads the three speeds, then the three levels, storing each as soon as it is
// read (a -1 becomes its slot's default). An error leaves the slots not yet
// read as they were.
void ReadCalibrationPoints(CalibrationProfile profile, std::array<double, 3>& target_speeds,
                           std::array<int32_t, 3>& resistance_levels);

enum class CompanionProduct { Branzo, Trakova };

struct CompanionVersion {
    int32_t Major = 0;
    int32_t Minor = 0;
    int32_t Release = 0;
    int32_t Build = 0;
};

// Its presence key opens and holds a non-empty "AppPath".
bool IsProductInstalled(CompanionProduct product);
// The four numbers of "Soft. version"; all 0 when the product is not
// installed or its version key cannot be opened.
CompanionVersion ReadProductVersion(CompanionProduct product);

// Cuts the text before the first separator off `text` (the separator goes
// too) and returns it; without a separator the whole text, leaving `text`
// empty.
std::string TakeToken(std::string& text, const std::string& separator);

// One line saying where the settings came from (the file read, or that none
// was found and where it was looked for), shown under the messages whose
// outcome depends on the settings.
std::string SettingsOriginNote();

// Makes the file --settings named the only place the settings are read from.
// A file that is not there, or cannot be read, is the text of the error the
// command line is refused with (a rider who names a file means that file);
// nothing when it can be read.
std::optional<std::string> UseSettingsFileOption(const std::string& path);

}  // namespace app
