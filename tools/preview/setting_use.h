// Which weather setting the module uses in which zone, and what else that
// use needs: one table that follows the ladder's rules (atmosphere/zone.cpp),
// read by the checker (a note for a setting that does nothing), the summary
// (the settings that change nothing in the flight's weather) and the report
// (every weather's settings, the idle ones marked).
//
// The table describes a weather the game holds steady. While the game
// changes from one weather to another, the bands above the normal zone
// follow the rules of whichever of the two leads at that altitude, and the
// row in use may then be the other one's: a first-six row can meet the rules
// of the other weathers, and the other way round.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "atmosphere/zone.h"
#include "config/settings.h"

namespace preview {

// A set of zones, one bit per ZoneId.
using ZoneSet = uint8_t;
constexpr ZoneSet ZoneBit(ZoneId zone) { return static_cast<ZoneSet>(1u << static_cast<int>(zone)); }

// The weathers whose own rules keep the game's clouds and wind in the lower
// bands: EXTRASUNNY to SNOWLIGHT, the first six (InFirstSixWeathers).
constexpr bool FollowsFirstSixRules(WeatherIndex weather) { return weather >= 0 && weather < 6; }

// What a use of a setting needs besides the weather and the zone.
enum class UseCondition : uint8_t {
    Always,
    WindNotDefault,        // DefaultWind is off: the module sets the wind
    LightningAboveClouds,  // EnableLightningAboveClouds is on
    LightningInSpace,      // EnableLightningInSpace is on
    LightningFrequency,    // LightningFrequency is not 0: a flash can be asked for
};

// One line to write into a configuration file: Key=Value in [Section].
struct SettingEdit {
    std::string section;
    std::string key;
    std::string value;
};

// "Key=Value" for each edit, with " in [Section]" when its section is not
// `here`: "A=1", "A=1 and B=2", "A=1, B=2 and C=3".
std::string EditText(const std::vector<SettingEdit>& edits, const std::string& here);

// Why a weather setting does nothing in a weather, as the file stands.
struct UnusedSetting {
    // The first condition that failed; Always when the weather's own rules
    // never use the setting (nothing in the file can make it count there).
    UseCondition cause = UseCondition::Always;
    std::string reason;  // "EnableLightningAboveClouds is off and EnableLightningInSpace is off"
    // Each set of edits on its own makes the setting count; empty when none can.
    std::vector<std::vector<SettingEdit>> remedies;

    // The reason up to its first clause, for a list or a table cell.
    std::string Brief() const { return reason.substr(0, reason.find("; ")); }
};

// The zones in which the setting of row `keyRow` of WeatherSettingKeys acts
// in `weather`, with `settings` as they stand; 0 when it acts nowhere.
ZoneSet ZonesUsing(size_t keyRow, WeatherIndex weather, const AtmosphereSettings& settings);

// Why that setting does nothing in `weather`; nothing when it acts somewhere.
std::optional<UnusedSetting> WhyUnused(size_t keyRow, WeatherIndex weather, const AtmosphereSettings& settings);

// What the setting of row `keyRow` does, as the report names it
// ("modifier, normal zone").
const char* SettingRole(size_t keyRow);

// What the global setting of row `globalRow` of GlobalSettingKeys does, in
// the same few words ("reload key").
const char* GlobalSettingRole(size_t globalRow);

// Whether the setting of row `keyRow` is one of the six zone thresholds,
// which the ladder tests in every zone.
bool IsZoneThreshold(size_t keyRow);

// The zones of `zones` for a person: "the cloud-start band to the
// above-clouds-start band", "the normal zone", "nowhere".
std::string ZoneSetText(ZoneSet zones);

}  // namespace preview
