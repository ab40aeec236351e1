// The settings record's storage, its start values and the name tables with
// their two look-ups. The start values are what the module runs on before
// the first load; they differ from the values a load stores for absent keys,
// which live in the key table (config/setting_keys.h).
#include "config/settings.h"

#include <cstring>

const char WeatherNames[WeatherCount][WeatherNameSize] = {
    "EXTRASUNNY", "CLEAR",   "CLOUDS",   "SMOG", "NEUTRAL",  "SNOWLIGHT", "FOGGY",     "OVERCAST",
    "RAIN",       "THUNDER", "CLEARING", "SNOW", "BLIZZARD", "XMAS",      "HALLOWEEN",
};

// Paired by position only: several pairs share no word, and the host names
// must keep their exact case.
const char CloudNames[CloudCount][CloudNameSize] = {
    "ALTOSTRATUS", "CIRROCUMULUS", "CIRRUS",        "NIMBUS1", "NIMBUS2", "CONTRAILS", "HORIZON1",
    "HORIZON2",    "NIMBUS3",      "HORIZON3",      "NIMBUS4", "PUFFS",   "RAINY",     "SHOWER",
    "NO_CLOUDS",   "STORMY",       "STRATOCUMULUS", "STRIPEY", "WISPY",
};
const char CloudSetNames[CloudCount][CloudSetNameSize] = {
    "altostratus",  "cirrocumulus", "Cirrus",         "Clear 01", "Cloudy 01", "Contrails", "Horizon",
    "horizonband1", "horizonband2", "horizonband3",   "Nimbus",   "Puffs",     "RAIN",      "shower",
    "Snowy 01",     "Stormy 01",    "stratoscumulus", "Stripey",  "Wispy",
};

namespace {

// Per-weather start values that differ between weathers.
struct WeatherStart {
    const char* normalZoneClouds;
    const char* cloudZoneModifier;
    bool lightningAboveClouds;
    int8_t lightningFrequency;
};

constexpr WeatherStart WeatherStarts[WeatherCount] = {
    {"Snowy 01", "nextgen", false, 0},       // EXTRASUNNY
    {"Puffs", "nextgen", false, 0},          // CLEAR
    {"Cloudy 01", "nextgen", false, 0},      // CLOUDS
    {"Nimbus", "nextgen", false, 0},         // SMOG
    {"Snowy 01", "nextgen", false, 0},       // NEUTRAL
    {"Contrails", "nextgen", false, 0},      // SNOWLIGHT
    {"altostratus", "cloudzone", false, 0},  // FOGGY
    {"Stripey", "cloudzone", false, 0},      // OVERCAST
    {"RAIN", "cloudzone", false, 0},         // RAIN
    {"Stormy 01", "cloudzone", true, 5},     // THUNDER
    {"shower", "cloudzone", false, 0},       // CLEARING
    {"altostratus", "cloudzone", false, 0},  // SNOW
    {"Stormy 01", "cloudzone", false, 0},    // BLIZZARD
    {"altostratus", "cloudzone", false, 0},  // XMAS
    {"Snowy 01", "cloudzone", false, 0},     // HALLOWEEN
};

constexpr void SetText(char (&field)[SettingTextSize], const char* text) {
    int i = 0;
    for (; i < SettingTextSize - 1 && text[i] != '\0'; ++i) field[i] = text[i];
    for (; i < SettingTextSize; ++i) field[i] = '\0';
}

// Built at compile time so that the record holds its start values before any
// code of the module runs (the unload path may read it without a load).
constexpr AtmosphereSettings StartSettings() {
    AtmosphereSettings s{};
    s.DefaultWind = false;
    s.AutoReload = true;  // as the shipped file sets it (absent from a file, it is 0)
    s.ReloadKey = 0x2E;
    s.OnOffKey = 0x2D;
    s.DebugKey = 0x23;
    s.PosX = 0.03f;
    s.PosY = 0.65f;
    s.TextScale = 0.3f;
    s.TextColorRed = 255;
    s.TextColorGreen = 245;
    s.TextColorBlue = 195;
    s.Log = true;
    for (int w = 0; w < WeatherCount; ++w) {
        WeatherSettings& row = s.Weather[w];
        row.NormalZoneEnd = 800.0f;
        row.CloudZoneStart = 900.0f;
        row.CloudZoneEnd = 1200.0f;
        row.AboveCloudsZoneStart = 1400.0f;
        row.AboveCloudsZoneEnd = 2000.0f;
        row.SpaceZoneStart = 3000.0f;
        row.CloudZoneWindMultiplier = 2.0f;
        row.AboveCloudsZoneWindMultiplier = 0.5f;
        row.SpaceZoneWindMultiplier = 0.0f;
        SetText(row.NormalZoneClouds, WeatherStarts[w].normalZoneClouds);
        row.AboveCloudsZoneWeatherOverride = 0;  // EXTRASUNNY
        row.SpaceZoneWeatherOverride = 14;       // HALLOWEEN
        SetText(row.NormalZoneTimecycleModifier, "nextgen");
        SetText(row.CloudZoneTimecycleModifier, WeatherStarts[w].cloudZoneModifier);
        SetText(row.AboveCloudsZoneTimecycleModifier, "nextgen");
        SetText(row.SpaceZoneTimecycleModifier, "nextgen");
        row.AboveCloudsZoneTimecycleTransitionTime = 30.0f;
        row.SpaceZoneTimecycleTransitionTime = 30.0f;
        row.EnableLightningAboveClouds = WeatherStarts[w].lightningAboveClouds;
        row.EnableLightningInSpace = false;
        row.LightningFrequency = WeatherStarts[w].lightningFrequency;
    }
    return s;
}

constexpr AtmosphereSettings StartValues = StartSettings();

}  // namespace

constinit AtmosphereSettings Settings = StartValues;

void ResetSettingsToStartValues() { Settings = StartValues; }

void ResetSettingsToStartValues(AtmosphereSettings& record) { record = StartValues; }

// A load looks up 45 names; the first character settles most comparisons.
WeatherIndex FindWeatherByName(const char* name) {
    for (WeatherIndex i = 0; i < WeatherCount; ++i) {
        if (WeatherNames[i][0] == name[0] && std::strcmp(WeatherNames[i], name) == 0) return i;
    }
    return -1;
}

const char* FindCloudSetByName(const char* name) {
    for (int i = 0; i < CloudCount; ++i) {
        if (CloudNames[i][0] == name[0] && std::strcmp(CloudNames[i], name) == 0) return CloudSetNames[i];
    }
    return CloudSetNames[CloudFallbackPosition];
}
