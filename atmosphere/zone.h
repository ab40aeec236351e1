// The zone ladder: once per enabled frame the player's altitude is placed on
// seven zones whose thresholds come from the current weather's settings row,
// and that zone's weather, cloud, timecycle, wind and effect-level calls are
// issued, with the arrival actions chosen by the zone of the previous frame.
// Depends on the settings record, the weather hashes, the lightning
// scheduler and the native-call layer.
#pragma once

#include <cstdint>

#include "config/settings.h"

// The seven zones of the ladder, bottom up. Each one starts where the one
// below it ends; the space zone has no end.
enum class ZoneId : int {
    Normal,            // below NormalZoneEnd
    CloudStart,        // the cloud-start band, NormalZoneEnd .. CloudZoneStart
    Cloud,             // the cloud zone, CloudZoneStart .. CloudZoneEnd
    AboveCloudsStart,  // the above-clouds-start band, CloudZoneEnd .. AboveCloudsZoneStart
    AboveClouds,       // the above-clouds zone, AboveCloudsZoneStart .. AboveCloudsZoneEnd
    SpaceStart,        // the space-start band, AboveCloudsZoneEnd .. SpaceZoneStart
    Space,             // the space zone, from SpaceZoneStart up
};

inline constexpr int ZoneCount = 7;

// A zone by every name a reader meets it under, and where it lies.
struct ZoneInfo {
    const char* label;              // the label EvaluateZone returns and the overlay prints, line break included
    const char* name;               // the zone as a person reads it, in the tools
    const char* lowerKey;           // key of the threshold it starts at; nullptr: the ground
    const char* upperKey;           // key of the threshold it ends at; nullptr: no end
    float WeatherSettings::*lower;  // that threshold in a settings row; nullptr with lowerKey
    float WeatherSettings::*upper;  // likewise the upper one
};

// The one table of zones, by ZoneId. Renaming a zone for display touches
// its line here and nothing else.
inline constexpr ZoneInfo Zones[ZoneCount] = {
    {"normalzone\n", "normal zone", nullptr, "NormalZoneEnd", nullptr, &WeatherSettings::NormalZoneEnd},
    {"cloudzonestart\n", "cloud-start band", "NormalZoneEnd", "CloudZoneStart", &WeatherSettings::NormalZoneEnd,
     &WeatherSettings::CloudZoneStart},
    {"cloudzoneend\n", "cloud zone", "CloudZoneStart", "CloudZoneEnd", &WeatherSettings::CloudZoneStart,
     &WeatherSettings::CloudZoneEnd},
    {"abovecloudzonestart\n", "above-clouds-start band", "CloudZoneEnd", "AboveCloudsZoneStart",
     &WeatherSettings::CloudZoneEnd, &WeatherSettings::AboveCloudsZoneStart},
    {"abovecloudzoneend\n", "above-clouds zone", "AboveCloudsZoneStart", "AboveCloudsZoneEnd",
     &WeatherSettings::AboveCloudsZoneStart, &WeatherSettings::AboveCloudsZoneEnd},
    {"spacezonestart\n", "space-start band", "AboveCloudsZoneEnd", "SpaceZoneStart",
     &WeatherSettings::AboveCloudsZoneEnd, &WeatherSettings::SpaceZoneStart},
    {"spacezone\n", "space zone", "SpaceZoneStart", nullptr, &WeatherSettings::SpaceZoneStart, nullptr},
};

constexpr const ZoneInfo& InfoOf(ZoneId zone) { return Zones[static_cast<int>(zone)]; }

// The zone whose band holds `alt` in `row`. Each threshold is tried only once
// every lower one has passed: the thresholds are not checked for order, and a
// NaN altitude passes no test at all.
constexpr ZoneId ZoneOfAltitude(const WeatherSettings& row, float alt) {
    int climbed = 0;
    while (climbed < ZoneCount - 1 && alt >= row.*Zones[climbed].upper) ++climbed;
    return static_cast<ZoneId>(climbed);
}

// One flag per zone, the module's record of the zone of the previous
// evaluation; exactly one is set after every evaluation.
struct ZoneFlags {
    bool inNormalZone;
    bool inCloudZoneStart;
    bool inCloudZone;
    bool inAboveCloudsZoneStart;
    bool inAboveCloudsZone;
    bool inSpaceZoneStart;
    bool inSpaceZone;
};

// The zone the flags name (the highest set; the normal zone when none is).
ZoneId ZoneOf(const ZoneFlags& flags);

// The flags of `zone` alone.
ZoneFlags FlagsOf(ZoneId zone);

// Everything the ladder remembers between frames. The load-time values are
// not all zero, so they are written here and the object is constant-
// initialised: no code runs to set it up.
struct ZoneModuleState {
    ZoneFlags ZoneState{true, false, false, false, false, false, false};  // zone of the previous evaluation
    bool windResetDone = true;                // the one-time SetWindSpeed(-1) hand-back has been made
    bool effectLevelResetDone = true;         // the effect level has been handed back with -1
    bool timecycleTransitionPending = false;  // timed change to the above-clouds modifier due next frame there
    float capturedWindSpeed = 1.0f;           // game's wind as last read; base of every multiplier
    uint32_t zoneWeatherHash = 0;             // weather hash the bands treat as dominant; 0 before any band
    WeatherIndex currentWeatherIndex = 0;     // settings row in use; changes only in the normal zone
    uint32_t transitionFromHash = 0;          // game's weather transition pair as last read
    uint32_t transitionToHash = 0;
    int32_t timecycleIndex = -1;  // game's modifier index read this frame; negative: none
};

extern constinit ZoneModuleState Zone;

// Evaluates one frame for `playerCharacter` (a character handle): counts the
// frame for the lightning scheduler, reads the altitude of the character or
// of its vehicle, applies the zone and remembers it. Returns the zone's label
// (its entry of Zones).
const char* EvaluateZone(int32_t playerCharacter);

// Passed as a wind speed or an effect level, hands the setting back to the game.
inline constexpr float HandBack = -1.0f;

// Sets the wind unless DefaultWind leaves it to the game: every wind speed
// call of the module goes through here.
void SetWind(float speed);

// Puts Zone back to its load-time values (for tests).
void ResetZoneState();
