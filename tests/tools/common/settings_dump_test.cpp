// The JSON dump: valid JSON, every field under its key name in read order,
// and the formats the tools and the differential test rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

#include "config/configuration_reads.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "platform/profile_reader.h"
#include "tools/common/settings_dump.h"

namespace {

using nlohmann::ordered_json;

TEST(SettingsJson, EveryFieldInReadOrder) {
    ResetSettingsToStartValues();
    const ordered_json json = ordered_json::parse(SettingsToJson(Settings));
    std::vector<std::string> names;
    for (const auto& item : json.items()) names.push_back(item.key());
    std::vector<std::string> expected;
    for (const SettingKey& key : GlobalSettingKeys) {
        if (key.offset != NotStored) expected.push_back(key.key);
    }
    expected.push_back("Weather");
    EXPECT_EQ(names, expected);

    ASSERT_EQ(json["Weather"].size(), static_cast<size_t>(WeatherCount));
    int weather = 0;
    for (const auto& row : json["Weather"].items()) {
        EXPECT_EQ(row.key(), WeatherNames[weather++]);
        size_t i = 0;
        for (const auto& field : row.value().items()) EXPECT_EQ(field.key(), WeatherSettingKeys[i++].key);
        EXPECT_EQ(i, WeatherSettingKeyCount);
    }
}

TEST(SettingsJson, ValueFormats) {
    ResetSettingsToStartValues();
    Settings.DefaultWind = true;
    Settings.PosX = 0.015f;
    Settings.PosY = std::numeric_limits<float>::quiet_NaN();
    Settings.TextScale = -std::numeric_limits<float>::infinity();
    Settings.Weather[0].NormalZoneEnd = std::numeric_limits<float>::infinity();
    Settings.Weather[0].CloudZoneStart = 1e-45f;
    Settings.Weather[0].LightningFrequency = -56;
    Settings.Weather[0].AboveCloudsZoneWeatherOverride = 9;
    CopyText(Settings.Weather[0].NormalZoneTimecycleModifier, "caf\xE9 \"q\" \\ \x01");

    const std::string text = SettingsToJson(Settings);
    EXPECT_NE(text.find("\"PosX\": 0.0149999997,"), std::string::npos) << text.substr(0, 200);
    EXPECT_NE(text.find("\"NormalZoneTimecycleModifier\": \"caf\\u00E9 \\\"q\\\" \\\\ \\u0001\""), std::string::npos);

    const ordered_json json = ordered_json::parse(text);
    EXPECT_EQ(json["DefaultWind"], true);
    EXPECT_EQ(json["ReloadKey"], 46);
    EXPECT_EQ(json["PosY"], "nan");
    EXPECT_EQ(json["TextScale"], "-inf");
    const auto& row = json["Weather"]["EXTRASUNNY"];
    EXPECT_EQ(row["NormalZoneEnd"], "inf");
    EXPECT_EQ(static_cast<float>(row["CloudZoneStart"].get<double>()), 1e-45f);  // round-trips
    EXPECT_EQ(row["LightningFrequency"], -56);
    EXPECT_EQ(row["AboveCloudsZoneWeatherOverride"], "THUNDER");
    EXPECT_EQ(row["SpaceZoneWeatherOverride"], "HALLOWEEN");
    EXPECT_EQ(row["NormalZoneClouds"], "Snowy 01");
}

TEST(SettingsTable, ListsEverySectionAndKey) {
    ResetSettingsToStartValues();
    const std::string table = SettingsToTable(Settings);
    for (const char* section : {"[GLOBAL]", "[KEYS]", "[DEBUG]"}) EXPECT_NE(table.find(section), std::string::npos);
    for (const char* weather : WeatherNames) EXPECT_NE(table.find(std::string("[") + weather + "]"), std::string::npos);
    EXPECT_NE(table.find("ReloadKey                                0x2E (46)"), std::string::npos) << table;
    EXPECT_NE(table.find("SpaceZoneWeatherOverride                 HALLOWEEN"), std::string::npos);
    // Reals as the shortest text that reads back to them, unlike the JSON.
    EXPECT_NE(table.find("PosX                                     0.03\n"), std::string::npos) << table;
    EXPECT_NE(table.find("NormalZoneClouds                         STORMY (the game's \"Stormy 01\")"),
              std::string::npos);
}

TEST(SettingsTable, ShowsWhatTheFileWroteAndWhatCameFromDefaults) {
    const std::string file =
        "[DEBUG]\nPosX=0.1\n[CLOUDS]\nNormalZoneClouds=Nimbus\nSpaceZoneWeatherOverride=rain\n"
        "[RAIN]\nNormalZoneClouds=NO_CLOUDS\n";
    ConfigurationReads batch;
    PrepareConfigurationReads(batch);
    platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(file.data()), file.size(), batch.reads,
                                    ConfigurationReadCount);
    AtmosphereSettings record;
    ResetSettingsToStartValues(record);
    StoreConfigurationReads(batch, record);
    const std::string table = SettingsToTable(record, &batch);
    for (const char* line : {
             "  PosX                                     0.1\n",
             "  PosY                                     0.5  (default)\n",
             "  NormalZoneClouds                         \"Nimbus\" names no cloud: the game's \"Snowy 01\"\n",
             "  SpaceZoneWeatherOverride                 HALLOWEEN  (kept: \"rain\" names no weather)\n",
             "  NormalZoneClouds                         NO_CLOUDS (the game's \"Snowy 01\")\n",
             "  NormalZoneClouds                         NO_CLOUDS (the game's \"Snowy 01\")  (default)\n",
         }) {
        EXPECT_NE(table.find(line), std::string::npos) << line << table;
    }
}

}  // namespace
