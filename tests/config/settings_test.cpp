// The settings record before any load, the name tables and their look-ups,
// and the key table that drives the reader and the dump.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "config/setting_keys.h"
#include "config/settings.h"

namespace {

TEST(StartValues, PerWeatherRows) {
    ResetSettingsToStartValues();
    const char* clouds[WeatherCount] = {"Snowy 01",  "Puffs",       "Cloudy 01", "Nimbus",      "Snowy 01",
                                        "Contrails", "altostratus", "Stripey",   "RAIN",        "Stormy 01",
                                        "shower",    "altostratus", "Stormy 01", "altostratus", "Snowy 01"};
    for (int w = 0; w < WeatherCount; ++w) {
        SCOPED_TRACE(WeatherNames[w]);
        const WeatherSettings& row = Settings.Weather[w];
        EXPECT_STREQ(row.NormalZoneClouds, clouds[w]);
        // The cloud-zone modifier switches to "cloudzone" from FOGGY on.
        EXPECT_STREQ(row.CloudZoneTimecycleModifier, w >= 6 ? "cloudzone" : "nextgen");
        // Only THUNDER starts with lightning above the clouds.
        EXPECT_EQ(row.EnableLightningAboveClouds, w == 9);
        EXPECT_EQ(row.LightningFrequency, w == 9 ? 5 : 0);
    }
}

TEST(StartValues, ResetUndoesChanges) {
    Settings.ReloadKey = 7;
    Settings.Weather[3].NormalZoneClouds[0] = 'X';
    Settings.Weather[14].LightningFrequency = -3;
    ResetSettingsToStartValues();
    EXPECT_EQ(Settings.ReloadKey, 0x2E);
    EXPECT_STREQ(Settings.Weather[3].NormalZoneClouds, "Nimbus");
    EXPECT_EQ(Settings.Weather[14].LightningFrequency, 0);
}

TEST(NameLookups, WeatherByNameIsExactAndCaseSensitive) {
    for (int w = 0; w < WeatherCount; ++w) EXPECT_EQ(FindWeatherByName(WeatherNames[w]), w);
    EXPECT_EQ(FindWeatherByName("clear"), -1);
    EXPECT_EQ(FindWeatherByName("Clear"), -1);
    EXPECT_EQ(FindWeatherByName("CLEAR "), -1);
    EXPECT_EQ(FindWeatherByName("CLEA"), -1);
    EXPECT_EQ(FindWeatherByName(""), -1);
}

TEST(NameLookups, CloudByNamePairsByPositionWithFallback) {
    EXPECT_STREQ(FindCloudSetByName("PUFFS"), "Puffs");
    EXPECT_STREQ(FindCloudSetByName("NIMBUS1"), "Clear 01");
    EXPECT_STREQ(FindCloudSetByName("NO_CLOUDS"), "Snowy 01");
    EXPECT_STREQ(FindCloudSetByName("RAINY"), "RAIN");
    EXPECT_STREQ(FindCloudSetByName("STRATOCUMULUS"), "stratoscumulus");
    EXPECT_STREQ(FindCloudSetByName("WISPY"), "Wispy");
    for (const char* miss : {"puffs", "Puffs", "PUFFS ", "", "Snowy 01"}) {
        EXPECT_STREQ(FindCloudSetByName(miss), "Snowy 01") << miss;
    }
}

TEST(KeyTable, CoversEveryFieldOnceInReadOrder) {
    std::set<size_t> globalOffsets;
    for (const SettingKey& key : GlobalSettingKeys) {
        if (key.offset != NotStored) {
            EXPECT_TRUE(globalOffsets.insert(key.offset).second) << key.key;
        }
    }
    EXPECT_EQ(globalOffsets.size(), 12u);
    EXPECT_STREQ(GlobalSettingKeys[AlternateSwitchRow].key, "EnableAlternateConfigFile");
    EXPECT_STREQ(GlobalSettingKeys[AlternateNameRow].key, "AlternateConfigFile");

    std::set<size_t> weatherOffsets;
    size_t previous = 0;
    for (const SettingKey& key : WeatherSettingKeys) {
        EXPECT_TRUE(weatherOffsets.insert(key.offset).second) << key.key;
        // The read order is the row's field order.
        EXPECT_GE(key.offset, previous) << key.key;
        previous = key.offset;
        EXPECT_EQ(key.section, nullptr);
        EXPECT_EQ(IsIntegerKind(key.kind), key.defaultText == nullptr) << key.key;
    }
    EXPECT_EQ(ConfigurationReadCount, 14u + 15u * 21u);
}

}  // namespace
