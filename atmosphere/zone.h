// The zone ladder: once per enabled frame the player's altitude is placed on
// seven rungs whose thresholds come from the current weather's settings row,
// and that zone's weather, cloud, timecycle, wind and effect-level calls are
// issued, with the arrival actions chosen by the zone of the previous frame.
// Depends on the settings record, the weather hash table of the script and
// the native-call layer.
#pragma once

#include <cstdint>

#include "config/settings.h"

// One flag per rung; exactly one is set after every evaluation.
struct ZoneFlags {
    bool inNormalZone;           // rung 1, below NormalZoneEnd
    bool inCloudZoneStart;       // rung 2, NormalZoneEnd .. CloudZoneStart
    bool inCloudZoneEnd;         // rung 3, the cloud zone
    bool inAboveCloudZoneStart;  // rung 4, CloudZoneEnd .. AboveCloudsZoneStart
    bool inAboveCloudZoneEnd;    // rung 5, the above-clouds zone
    bool inSpaceZoneStart;       // rung 6, AboveCloudsZoneEnd .. SpaceZoneStart
    bool inSpaceZone;            // rung 7, from SpaceZoneStart up
};

// Everything the ladder remembers between frames. The load-time values are
// not all zero, so they are written here and the object is constant-
// initialised: no code runs to set it up.
struct ZoneModuleState {
    ZoneFlags ZoneState{true, false, false, false, false, false, false};  // zone of the previous evaluation
    bool windResetDone = true;               // the one-time SetWindSpeed(-1) hand-back has been made
    bool effectLevelResetDone = true;        // the effect level has been handed back with -1
    bool timecycleTransitionPending = false; // timed change to the above-clouds modifier due next frame there
    float capturedWindSpeed = 1.0f;          // game's wind as last read; base of every multiplier
    uint32_t zoneWeatherHash = 0;            // weather hash the bands treat as dominant; 0 before any band
    WeatherIndex currentWeatherIndex = 0;    // settings row in use; changes only in the normal zone
    uint32_t transitionFromHash = 0;         // game's weather transition pair as last read
    uint32_t transitionToHash = 0;
    int32_t timecycleIndex = -1;             // game's modifier index read this frame; negative: none
};

extern constinit ZoneModuleState Zone;

// The row whose NormalZoneClouds are loaded when the zone weather is none of
// the 15 (NEUTRAL).
inline constexpr WeatherIndex NeutralWeatherRow = 4;

// The labels EvaluateZone returns, one per rung, each ending in a line break.
namespace zone_label {
inline constexpr const char* NormalZone = "normalzone\n";
inline constexpr const char* CloudZoneStart = "cloudzonestart\n";
inline constexpr const char* CloudZoneEnd = "cloudzoneend\n";
inline constexpr const char* AboveCloudZoneStart = "abovecloudzonestart\n";
inline constexpr const char* AboveCloudZoneEnd = "abovecloudzoneend\n";
inline constexpr const char* SpaceZoneStart = "spacezonestart\n";
inline constexpr const char* SpaceZone = "spacezone\n";
}  // namespace zone_label

// Evaluates one frame for `playerCharacter` (a character handle): counts the
// frame for the lightning scheduler, reads the altitude of the character or
// of its vehicle, applies the zone and remembers it. Returns the zone's label
// (static storage).
const char* EvaluateZone(int32_t playerCharacter);

// The position of the first WeatherHashTable entry equal to `hash`, or
// `fallback` when none is.
WeatherIndex WeatherIndexOfHash(uint32_t hash, WeatherIndex fallback);

// True when `hash` is the hash of one of the first six weathers (EXTRASUNNY
// to SNOWLIGHT), whose clouds and wind the game keeps in the lower bands.
bool InFirstSixWeathers(uint32_t hash);

// Passed as a wind speed or an effect level, hands the setting back to the game.
inline constexpr float HandBack = -1.0f;

// Sets the wind unless DefaultWind leaves it to the game: every wind speed
// call of the module goes through here.
void SetWind(float speed);

// Puts Zone back to its load-time values (for tests).
void ResetZoneState();
