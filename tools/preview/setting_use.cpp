// The table of where each weather setting acts, by the rules of the ladder.
#include "tools/preview/setting_use.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

#include "config/setting_keys.h"

namespace preview {
namespace {

constexpr ZoneSet Normal = ZoneBit(ZoneId::Normal);
constexpr ZoneSet CloudStart = ZoneBit(ZoneId::CloudStart);
constexpr ZoneSet Cloud = ZoneBit(ZoneId::Cloud);
constexpr ZoneSet AboveCloudsStart = ZoneBit(ZoneId::AboveCloudsStart);
constexpr ZoneSet AboveClouds = ZoneBit(ZoneId::AboveClouds);
constexpr ZoneSet SpaceStart = ZoneBit(ZoneId::SpaceStart);
constexpr ZoneSet Space = ZoneBit(ZoneId::Space);
// Where each lightning flag hands the scheduler its zone's flag.
constexpr ZoneSet LightningAboveZones = CloudStart | Cloud | AboveCloudsStart | AboveClouds;
constexpr ZoneSet LightningSpaceZones = SpaceStart | Space;

// Which weathers a use applies to.
enum Groups : uint8_t { FirstSix = 1, Others = 2, AllWeathers = FirstSix | Others };

struct Use {
    ZoneSet zones;
    uint8_t groups;
    UseCondition condition;
};

struct Row {
    const char* key;
    const char* role;
    Use uses[2];
    int useCount;
    const char* whenNone;  // why the weather's own rules never use it; nullptr when every weather does
};

constexpr Use Everywhere(ZoneSet zones) { return {zones, AllWeathers, UseCondition::Always}; }

// By row of WeatherSettingKeys. Each line follows what the zone functions of
// atmosphere/zone.cpp do with the field.
constexpr Row Table[] = {
    {"NormalZoneEnd", "end of the normal zone", {Everywhere(Normal | CloudStart)}, 1, nullptr},
    {"CloudZoneStart", "start of the cloud zone", {Everywhere(CloudStart | Cloud)}, 1, nullptr},
    {"CloudZoneEnd", "end of the cloud zone", {Everywhere(Cloud | AboveCloudsStart)}, 1, nullptr},
    {"AboveCloudsZoneStart",
     "start of the above-clouds zone",
     {Everywhere(AboveCloudsStart | AboveClouds)},
     1,
     nullptr},
    {"AboveCloudsZoneEnd", "end of the above-clouds zone", {Everywhere(AboveClouds | SpaceStart)}, 1, nullptr},
    {"SpaceZoneStart", "start of space", {Everywhere(SpaceStart | Space)}, 1, nullptr},
    // The first six capture the game's wind in the cloud bands and hand it
    // back; only the other weathers blend it with this factor.
    {"CloudZoneWindMultiplier",
     "wind factor, cloud zone",
     {{CloudStart | Cloud | AboveCloudsStart, Others, UseCondition::WindNotDefault}},
     1,
     "in the first six weathers (EXTRASUNNY to SNOWLIGHT) the module leaves the wind of the cloud bands to the "
     "game; the factor counts from FOGGY on, and in this weather only while the game changes weather between it "
     "and one of those"},
    {"AboveCloudsZoneWindMultiplier",
     "wind factor, above the clouds",
     {{AboveCloudsStart | AboveClouds | SpaceStart, AllWeathers, UseCondition::WindNotDefault}},
     1,
     nullptr},
    // The space-start band blends the wind down to 0, and space sets 0.
    {"SpaceZoneWindMultiplier",
     "wind factor, space",
     {},
     0,
     "the wind in space is always 0, whatever this factor; only the debug text shows it"},
    // Loaded on the way down out of the clouds (and when the module is
    // switched off, which hands the game this weather's clouds back).
    {"NormalZoneClouds", "cloud set when coming down", {Everywhere(CloudStart)}, 1, nullptr},
    {"AboveCloudsZoneWeatherOverride",
     "weather above the clouds",
     {Everywhere(AboveCloudsStart | AboveClouds | SpaceStart)},
     1,
     nullptr},
    {"SpaceZoneWeatherOverride", "weather in space", {Everywhere(SpaceStart | Space)}, 1, nullptr},
    {"NormalZoneTimecycleModifier", "modifier, normal zone", {Everywhere(Normal)}, 1, nullptr},
    {"CloudZoneTimecycleModifier",
     "modifier, cloud bands and zone",
     {Everywhere(CloudStart | Cloud | AboveCloudsStart)},
     1,
     nullptr},
    {"AboveCloudsZoneTimecycleModifier", "modifier, above the clouds", {Everywhere(AboveClouds)}, 1, nullptr},
    {"SpaceZoneTimecycleModifier", "modifier, space", {Everywhere(SpaceStart | Space)}, 1, nullptr},
    {"AboveCloudsZoneTimecycleTransitionTime",
     "seconds to the above-clouds modifier",
     {Everywhere(AboveClouds)},
     1,
     nullptr},
    {"SpaceZoneTimecycleTransitionTime", "seconds to the space modifier", {Everywhere(SpaceStart)}, 1, nullptr},
    // The scheduler asks for no flash, whatever the flag, at frequency 0;
    // and the frequency only times flashes that a flag lets through.
    {"EnableLightningAboveClouds",
     "lightning above the clouds",
     {{LightningAboveZones, AllWeathers, UseCondition::LightningFrequency}},
     1,
     nullptr},
    {"EnableLightningInSpace",
     "lightning in space",
     {{LightningSpaceZones, AllWeathers, UseCondition::LightningFrequency}},
     1,
     nullptr},
    {"LightningFrequency",
     "lightning frequency",
     {{LightningAboveZones, AllWeathers, UseCondition::LightningAboveClouds},
      {LightningSpaceZones, AllWeathers, UseCondition::LightningInSpace}},
     2,
     nullptr},
};

constexpr bool SameName(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}

constexpr bool FollowsTheKeyTable() {
    if (std::size(Table) != WeatherSettingKeyCount) return false;
    for (size_t i = 0; i < WeatherSettingKeyCount; ++i) {
        if (!SameName(Table[i].key, WeatherSettingKeys[i].key)) return false;
    }
    return true;
}
static_assert(FollowsTheKeyTable(), "one row per weather key, in the key table's order");

size_t KeyRow(const char* key) {
    for (size_t i = 0; i < WeatherSettingKeyCount; ++i) {
        if (SameName(WeatherSettingKeys[i].key, key)) return i;
    }
    return WeatherSettingKeyCount;
}

bool Holds(UseCondition condition, const AtmosphereSettings& settings, const WeatherSettings& row) {
    switch (condition) {
    case UseCondition::Always: return true;
    case UseCondition::WindNotDefault: return !settings.DefaultWind;
    case UseCondition::LightningAboveClouds: return row.EnableLightningAboveClouds;
    case UseCondition::LightningInSpace: return row.EnableLightningInSpace;
    case UseCondition::LightningFrequency: return row.LightningFrequency != 0;
    }
    return true;
}

const char* ReasonOf(UseCondition condition) {
    switch (condition) {
    case UseCondition::Always: break;
    case UseCondition::WindNotDefault: return "DefaultWind=1 leaves the wind to the game";
    case UseCondition::LightningAboveClouds: return "EnableLightningAboveClouds is off";
    case UseCondition::LightningInSpace: return "EnableLightningInSpace is off";
    case UseCondition::LightningFrequency: return "LightningFrequency is 0, so no flash is ever asked for";
    }
    return "";
}

std::vector<SettingEdit> RemedyOf(UseCondition condition, WeatherIndex weather) {
    const std::string section = WeatherNames[weather];
    switch (condition) {
    case UseCondition::Always: break;
    case UseCondition::WindNotDefault: return {{"GLOBAL", "DefaultWind", "0"}};
    case UseCondition::LightningAboveClouds: return {{section, "EnableLightningAboveClouds", "1"}};
    case UseCondition::LightningInSpace: return {{section, "EnableLightningInSpace", "1"}};
    case UseCondition::LightningFrequency: {
        const SettingKey& frequency = WeatherSettingKeys[KeyRow("LightningFrequency")];
        return {{section, frequency.key, std::to_string(frequency.defaultNumber)}};
    }
    }
    return {};
}

bool Applies(const Use& use, WeatherIndex weather) {
    return (use.groups & (FollowsFirstSixRules(weather) ? FirstSix : Others)) != 0 && use.zones != 0;
}

}  // namespace

std::string EditText(const std::vector<SettingEdit>& edits, const std::string& here) {
    std::string text;
    for (size_t i = 0; i < edits.size(); ++i) {
        const SettingEdit& edit = edits[i];
        if (i > 0) text += i + 1 == edits.size() ? " and " : ", ";
        text += edit.key + "=" + edit.value;
        if (edit.section != here) text += " in [" + edit.section + "]";
    }
    return text;
}

ZoneSet ZonesUsing(size_t keyRow, WeatherIndex weather, const AtmosphereSettings& settings) {
    const Row& row = Table[keyRow];
    ZoneSet zones = 0;
    for (int i = 0; i < row.useCount; ++i) {
        const Use& use = row.uses[i];
        if (Applies(use, weather) && Holds(use.condition, settings, settings.Weather[weather])) zones |= use.zones;
    }
    return zones;
}

std::optional<UnusedSetting> WhyUnused(size_t keyRow, WeatherIndex weather, const AtmosphereSettings& settings) {
    if (ZonesUsing(keyRow, weather, settings) != 0) return std::nullopt;
    const Row& row = Table[keyRow];
    UnusedSetting unused;
    bool anyApplies = false;
    for (int i = 0; i < row.useCount; ++i) {
        const Use& use = row.uses[i];
        if (!Applies(use, weather)) continue;
        if (!anyApplies) unused.cause = use.condition;
        anyApplies = true;
        const std::string reason = ReasonOf(use.condition);
        if (unused.reason.find(reason) != std::string::npos) continue;
        unused.reason += (unused.reason.empty() ? "" : " and ") + reason;
        unused.remedies.push_back(RemedyOf(use.condition, weather));
    }
    if (!anyApplies)
        unused.reason = row.whenNone != nullptr ? row.whenNone : "the module never uses it in this weather";
    return unused;
}

const char* SettingRole(size_t keyRow) { return Table[keyRow].role; }

const char* GlobalSettingRole(size_t globalRow) {
    // In the order of GlobalSettingKeys, held to it by the assertion below.
    static constexpr std::pair<const char*, const char*> Roles[] = {
        {"EnableAlternateConfigFile", "read the alternate file instead"},
        {"AlternateConfigFile", "the alternate file, beside this one"},
        {"DefaultWind", "leave the wind to the game everywhere"},
        {"AutoReload", "reload by itself on each save"},
        {"ReloadKey", "key: reload the file"},
        {"OnOffKey", "key: switch the module on and off"},
        {"DebugKey", "key: show or hide the debug text"},
        {"PosX", "debug text, left (0) to right (1)"},
        {"PosY", "debug text, top (0) to bottom (1)"},
        {"TextScale", "debug text size"},
        {"TextColorRed", "debug text red, 0 to 255"},
        {"TextColorGreen", "debug text green, 0 to 255"},
        {"TextColorBlue", "debug text blue, 0 to 255"},
        {"Log", "write atmosphere.log beside the game"},
    };
    static_assert(std::size(Roles) == GlobalSettingKeyCount);
    static_assert([] {
        for (size_t row = 0; row < GlobalSettingKeyCount; ++row) {
            if (std::string_view(Roles[row].first) != GlobalSettingKeys[row].key) return false;
        }
        return true;
    }());
    return Roles[globalRow].second;
}

bool IsZoneThreshold(size_t keyRow) {
    const char* key = Table[keyRow].key;
    return std::any_of(std::begin(Zones), std::end(Zones), [key](const ZoneInfo& zone) {
        return zone.upperKey != nullptr && SameName(zone.upperKey, key);
    });
}

std::string ZoneSetText(ZoneSet zones) {
    std::string text;
    for (int first = 0; first < ZoneCount; ++first) {
        if ((zones & ZoneBit(static_cast<ZoneId>(first))) == 0) continue;
        int last = first;
        while (last + 1 < ZoneCount && (zones & ZoneBit(static_cast<ZoneId>(last + 1))) != 0) ++last;
        if (!text.empty()) text += ", ";
        text += std::string("the ") + Zones[first].name;
        if (last > first) text += std::string(" to the ") + Zones[last].name;
        first = last;
    }
    return text.empty() ? "nowhere" : text;
}

}  // namespace preview
