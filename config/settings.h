// The settings record: global options and one row of per-weather settings for
// each of the host's 15 weather types, with the name tables through which
// configuration text becomes values. Written only by LoadConfiguration
// (config/configuration.h); read in place by the script, the zone evaluation,
// the lightning scheduler and the debug overlay.
#pragma once

#include <cstdint>

inline constexpr int WeatherCount = 15;
inline constexpr int CloudCount = 19;
inline constexpr int SettingTextSize = 64;        // 63 characters and the NUL
inline constexpr int WeatherNameSize = 11;        // longest weather name is 10
inline constexpr int CloudNameSize = 14;          // longest configuration cloud name is 13
inline constexpr int CloudSetNameSize = 15;       // longest host cloud-set name is 14
inline constexpr int CloudFallbackPosition = 14;  // "NO_CLOUDS", host set "Snowy 01"

// The configuration file's name when nothing else is chosen: the file the
// module reads beside the game, and the name that never redirects.
inline constexpr char DefaultConfigFileName[] = "atmosphere.ini";

// A weather type, 0..14 in the order of WeatherNames; stored in 32 bits.
using WeatherIndex = int32_t;

// Upper-case weather names, by WeatherIndex: section names, override values
// and the text handed to the host for a forced weather.
extern const char WeatherNames[WeatherCount][WeatherNameSize];
// Cloud names as the configuration file writes them, and by position the host
// cloud-set name stored for each.
extern const char CloudNames[CloudCount][CloudNameSize];
extern const char CloudSetNames[CloudCount][CloudSetNameSize];

struct WeatherSettings {
    float NormalZoneEnd;                                     // altitude where the normal zone ends
    float CloudZoneStart;                                    // altitude where the cloud zone begins
    float CloudZoneEnd;                                      // altitude where the cloud zone ends
    float AboveCloudsZoneStart;                              // altitude where the above-clouds zone begins
    float AboveCloudsZoneEnd;                                // altitude where the above-clouds zone ends
    float SpaceZoneStart;                                    // altitude where the space zone begins
    float CloudZoneWindMultiplier;                           // wind factor in the cloud zone
    float AboveCloudsZoneWindMultiplier;                     // wind factor above the clouds
    float SpaceZoneWindMultiplier;                           // wind factor shown for space (space wind is 0)
    char NormalZoneClouds[SettingTextSize];                  // host cloud-set name, one of CloudSetNames
    WeatherIndex AboveCloudsZoneWeatherOverride;             // weather imposed above the clouds
    WeatherIndex SpaceZoneWeatherOverride;                   // weather imposed in space
    char NormalZoneTimecycleModifier[SettingTextSize];       // modifier name, normal zone
    char CloudZoneTimecycleModifier[SettingTextSize];        // modifier name, cloud zone
    char AboveCloudsZoneTimecycleModifier[SettingTextSize];  // modifier name, above the clouds
    char SpaceZoneTimecycleModifier[SettingTextSize];        // modifier name, space
    float AboveCloudsZoneTimecycleTransitionTime;            // seconds, timed change to the above-clouds modifier
    float SpaceZoneTimecycleTransitionTime;                  // seconds, timed change to the space modifier
    bool EnableLightningAboveClouds;  // flashes from the cloud-start band to the above-clouds zone
    bool EnableLightningInSpace;      // flashes in the space-start band and in space
    int8_t LightningFrequency;        // scheduler frequency; low 8 bits of the file's number
};

struct AtmosphereSettings {
    bool DefaultWind;      // true: never set the wind, leave it to the game
    bool AutoReload;       // reload the settings file within half a second of a save
    int32_t ReloadKey;     // virtual-key code of the reload hotkey
    int32_t OnOffKey;      // virtual-key code of the on/off hotkey
    int32_t DebugKey;      // virtual-key code of the debug-overlay hotkey
    float PosX;            // debug text, horizontal screen position
    float PosY;            // debug text, vertical screen position
    float TextScale;       // debug text scale
    int32_t TextColorRed;  // debug text colour, passed to the host unchanged
    int32_t TextColorGreen;
    int32_t TextColorBlue;
    bool Log;              // write atmosphere.log beside the game
    WeatherSettings Weather[WeatherCount];  // one row per WeatherIndex
};

// The one process-wide record.
extern AtmosphereSettings Settings;

// Puts every field back to its start value, as at load (for tests and tools).
void ResetSettingsToStartValues();
// The same for a record of a tool's own.
void ResetSettingsToStartValues(AtmosphereSettings& record);

// Weather by name: the position of the first WeatherNames entry equal to
// `name` (case-sensitive, byte for byte), or -1 when none is.
WeatherIndex FindWeatherByName(const char* name);

// Cloud by name: the CloudSetNames entry at the position of the first
// CloudNames entry equal to `name` (case-sensitive), or "Snowy 01" when none is.
const char* FindCloudSetByName(const char* name);
