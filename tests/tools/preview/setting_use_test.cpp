// The table of where each weather setting acts, held against the module
// itself: in a climb in any weather, a setting the table calls idle leaves
// every call the module makes as it was when its value changes, and each
// setting it calls used does change a call somewhere. On the shipped file
// and on files where DefaultWind and the lightning settings idle others.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "config/setting_keys.h"
#include "config/settings.h"
#include "tests/config/test_files.h"
#include "tools/common/real_text.h"
#include "tools/preview/checker.h"
#include "tools/preview/flight.h"
#include "tools/preview/runner.h"
#include "tools/preview/setting_use.h"

namespace {

// Where the value of `key` in [section] starts in `text`, and its length;
// every key of the shipped file is there.
std::pair<size_t, size_t> ValueAt(const std::string& text, const std::string& section, const std::string& key) {
    const size_t start = text.find("\n[" + section + "]");
    const size_t line = text.find("\n" + key + "=", start);
    EXPECT_NE(start, std::string::npos) << section;
    EXPECT_NE(line, std::string::npos) << key;
    const size_t value = line + key.size() + 2;
    return {value, text.find_first_of("\r\n", value) - value};
}

std::string WithValue(std::string text, const std::string& section, const std::string& key, const std::string& value) {
    const auto [at, length] = ValueAt(text, section, key);
    return text.replace(at, length, value);
}

// Another value of the same kind, as the file writes it.
std::string ChangedValue(const SettingKey& key, const std::string& value) {
    switch (key.kind) {
    case SettingKind::Real: return ShortestRealText(std::stof(value) + 37.0f);  // thresholds stay in order
    case SettingKind::Flag: return value == "1" ? "0" : "1";
    case SettingKind::SmallInteger: return value == "0" ? "127" : "0";
    case SettingKind::Text: return "changed_" + value;
    case SettingKind::CloudName: return value == "STRIPEY" ? "WISPY" : "STRIPEY";
    case SettingKind::WeatherName: return WeatherNames[(FindWeatherByName(value.c_str()) + 1) % WeatherCount];
    default: return value;
    }
}

// Every call of a climb in `weather` to a tenth above space and back.
std::vector<sim::TraceEvent> Climb(const std::string& path, WeatherIndex weather) {
    const auto flight = preview::BuildClimb(weather, 55.0f, 3300.0f, false, 3.0f);
    return preview::RunFlight(path, *flight).trace;
}

TEST(SettingUse, IdleSettingsChangeNoCallAndUsedOnesDo) {
    const std::string shipped = ReadWholeFile(ATMOSPHERE_SOURCE_DIR "/atmosphere.ini");
    // Lightning everywhere, often, with the wind left to the game; and
    // lightning switched on everywhere at frequency 0.
    std::string windDefault = WithValue(shipped, "GLOBAL", "DefaultWind", "1");
    std::string noFrequency = shipped;
    for (const char* weather : WeatherNames) {
        for (std::string* text : {&windDefault, &noFrequency}) {
            *text = WithValue(*text, weather, "EnableLightningAboveClouds", "1");
            *text = WithValue(*text, weather, "EnableLightningInSpace", "1");
            *text = WithValue(*text, weather, "LightningFrequency", text == &windDefault ? "127" : "0");
        }
    }
    const ScratchDirectory folder;
    const std::string path = folder.path() + "atmosphere.ini";

    std::map<std::string, int> changedSomewhere;
    int idleChecked = 0;
    for (const std::string* base : std::initializer_list<const std::string*>{&shipped, &windDefault, &noFrequency}) {
        folder.Write("atmosphere.ini", *base);
        const AtmosphereSettings settings = preview::CheckConfigurationFile(path).settings;
        for (WeatherIndex weather = 0; weather < WeatherCount; ++weather) {
            const std::vector<sim::TraceEvent> before = Climb(path, weather);
            for (size_t row = 0; row < WeatherSettingKeyCount; ++row) {
                const SettingKey& key = WeatherSettingKeys[row];
                const auto [at, length] = ValueAt(*base, WeatherNames[weather], key.key);
                const std::string value = ChangedValue(key, base->substr(at, length));
                folder.Write("atmosphere.ini", WithValue(*base, WeatherNames[weather], key.key, value));
                const bool changed = Climb(path, weather) != before;
                if (preview::WhyUnused(row, weather, settings)) {
                    EXPECT_FALSE(changed) << WeatherNames[weather] << " " << key.key << "=" << value
                                          << " changes the climb, though the table calls it idle";
                    ++idleChecked;
                } else if (changed) {
                    ++changedSomewhere[key.key];
                }
            }
            folder.Write("atmosphere.ini", *base);
        }
    }
    // The bases idle the wind factors and every lightning setting somewhere.
    EXPECT_GT(idleChecked, 3 * WeatherCount);
    for (const SettingKey& key : WeatherSettingKeys) {
        if (std::string(key.key) == "SpaceZoneWindMultiplier") continue;  // used nowhere
        EXPECT_GT(changedSomewhere[key.key], 0) << key.key << " changed no climb where the table calls it used";
    }
}

}  // namespace
