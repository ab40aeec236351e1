// LoadConfiguration end to end through the portable reader: the kinds and
// defaults of every key, the name rules, the alternate-file redirect, the
// mended path handling, and the shipped atmosphere.ini.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "config/configuration_reads.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "tests/config/test_files.h"
#include "tools/common/settings_dump.h"

namespace {

constexpr int Clouds = 2;
constexpr int Thunder = 9;

class Configuration : public ::testing::Test {
protected:
    void SetUp() override { ResetSettingsToStartValues(); }
    const AtmosphereSettings& Load(const std::string& content, const char* name = "atmosphere.ini") {
        directory.Write(name, content);
        return LoadFrom(directory.path(), name);
    }
    ScratchDirectory directory;
};

void ExpectFileDefaults(const AtmosphereSettings& s) {
    EXPECT_FALSE(s.DefaultWind);
    EXPECT_EQ(s.ReloadKey, 0x2E);
    EXPECT_EQ(s.OnOffKey, 0x2D);
    EXPECT_EQ(s.DebugKey, 0x23);
    EXPECT_EQ(s.PosX, 0.015f);
    EXPECT_EQ(s.PosY, 0.5f);
    EXPECT_EQ(s.TextScale, 0.33f);
    EXPECT_EQ(s.TextColorRed, 255);
    EXPECT_EQ(s.TextColorGreen, 255);
    EXPECT_EQ(s.TextColorBlue, 0);
    for (const WeatherSettings& row : s.Weather) {
        const float zones[] = {row.NormalZoneEnd,        row.CloudZoneStart,     row.CloudZoneEnd,
                               row.AboveCloudsZoneStart, row.AboveCloudsZoneEnd, row.SpaceZoneStart};
        const float expected[] = {800, 900, 1200, 1400, 2000, 3000};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(zones[i], expected[i]);
        EXPECT_EQ(row.CloudZoneWindMultiplier, 2.0f);
        EXPECT_EQ(row.AboveCloudsZoneWindMultiplier, 0.5f);
        EXPECT_EQ(row.SpaceZoneWindMultiplier, 0.0f);
        EXPECT_STREQ(row.NormalZoneClouds, "Snowy 01");
        EXPECT_EQ(row.AboveCloudsZoneWeatherOverride, 0);
        EXPECT_EQ(row.SpaceZoneWeatherOverride, 14);
        for (const char* modifier : {row.NormalZoneTimecycleModifier, row.CloudZoneTimecycleModifier,
                                     row.AboveCloudsZoneTimecycleModifier, row.SpaceZoneTimecycleModifier}) {
            EXPECT_STREQ(modifier, "nextgen");
        }
        EXPECT_EQ(row.AboveCloudsZoneTimecycleTransitionTime, 30.0f);
        EXPECT_EQ(row.SpaceZoneTimecycleTransitionTime, 30.0f);
        EXPECT_FALSE(row.EnableLightningAboveClouds);
        EXPECT_FALSE(row.EnableLightningInSpace);
        EXPECT_EQ(row.LightningFrequency, 5);
    }
}

TEST_F(Configuration, NoFileGivesTheFileDefaults) {
    ExpectFileDefaults(LoadFrom(directory.path()));
    EXPECT_TRUE(LoadConfiguration("missing.ini", true));
}

TEST_F(Configuration, KeyCodesAreBase16AndClampAt32Bits) {
    const auto& s = Load("[KEYS]\nReloadKey=46\nOnOffKey=2E\nDebugKey=10000002E\n");
    EXPECT_EQ(s.ReloadKey, 0x46);
    EXPECT_EQ(s.OnOffKey, 0x2E);
    EXPECT_EQ(s.DebugKey, INT32_MAX);  // not the Delete key
    EXPECT_EQ(Load("[keys]\nreloadkey= 0x2E \nonoffkey=-1\ndebugkey=zz\n").ReloadKey, 0x2E);
    EXPECT_EQ(Settings.OnOffKey, -1);
    EXPECT_EQ(Settings.DebugKey, 0);
}

TEST_F(Configuration, FlagsAreTrueOnlyForOne) {
    for (const char* value : {"2", "-1", "true", "11", "0"}) {
        const auto& s =
            Load(std::string("[GLOBAL]\nDefaultWind=") + value + "\n[THUNDER]\nEnableLightningAboveClouds=" + value +
                 "\nEnableLightningInSpace=" + value + "\n");
        EXPECT_FALSE(s.DefaultWind) << value;
        EXPECT_FALSE(s.Weather[Thunder].EnableLightningAboveClouds) << value;
        EXPECT_FALSE(s.Weather[Thunder].EnableLightningInSpace) << value;
    }
    const auto& s =
        Load("[GLOBAL]\nDefaultWind=1\n[THUNDER]\nEnableLightningAboveClouds=+1\nEnableLightningInSpace='01x'\n");
    EXPECT_TRUE(s.DefaultWind);
    EXPECT_TRUE(s.Weather[Thunder].EnableLightningAboveClouds);
    EXPECT_TRUE(s.Weather[Thunder].EnableLightningInSpace);
}

TEST_F(Configuration, LightningFrequencyKeepsTheLowByteSigned) {
    const auto& s = Load(
        "[CLEAR]\nLightningFrequency=300\n[CLOUDS]\nLightningFrequency=200\n[SMOG]\nLightningFrequency=-1\n"
        "[FOGGY]\nLightningFrequency=\n");
    EXPECT_EQ(s.Weather[1].LightningFrequency, 44);
    EXPECT_EQ(s.Weather[Clouds].LightningFrequency, -56);
    EXPECT_EQ(s.Weather[3].LightningFrequency, -1);
    EXPECT_EQ(s.Weather[6].LightningFrequency, 5);  // an empty integer takes its default
}

TEST_F(Configuration, EmptyValuesAreNotAbsent) {
    const auto& s = Load(
        "[KEYS]\nReloadKey=\n[DEBUG]\nPosX=\nTextColorRed=\n[CLOUDS]\nNormalZoneEnd=\nNormalZoneClouds=\n"
        "AboveCloudsZoneWeatherOverride=\nNormalZoneTimecycleModifier=\n");
    EXPECT_EQ(s.ReloadKey, 0);
    EXPECT_EQ(s.PosX, 0.0f);
    EXPECT_EQ(s.TextColorRed, 255);  // integers: empty reads as the default
    EXPECT_EQ(s.Weather[Clouds].NormalZoneEnd, 0.0f);
    EXPECT_STREQ(s.Weather[Clouds].NormalZoneClouds, "Snowy 01");
    EXPECT_EQ(s.Weather[Clouds].AboveCloudsZoneWeatherOverride, 0);
    EXPECT_STREQ(s.Weather[Clouds].NormalZoneTimecycleModifier, "");
}

TEST_F(Configuration, CloudNamesAreCaseSensitiveWithAFallback) {
    const auto& s = Load(
        "[clouds]\nNormalZoneClouds=PUFFS\n[clear]\nnormalzoneclouds=NIMBUS1\n[SMOG]\nNormalZoneClouds=puffs\n"
        "[FOGGY]\nNormalZoneClouds=Puffs\n");
    EXPECT_STREQ(s.Weather[Clouds].NormalZoneClouds, "Puffs");  // lower-case header still found
    EXPECT_STREQ(s.Weather[1].NormalZoneClouds, "Clear 01");
    EXPECT_STREQ(s.Weather[3].NormalZoneClouds, "Snowy 01");
    EXPECT_STREQ(s.Weather[6].NormalZoneClouds, "Snowy 01");
}

TEST_F(Configuration, UnmatchedOverrideKeepsThePreviousLoadsValue) {
    Load("[RAIN]\nAboveCloudsZoneWeatherOverride=THUNDER\nSpaceZoneWeatherOverride=SNOW\n");
    EXPECT_EQ(Settings.Weather[8].AboveCloudsZoneWeatherOverride, 9);
    const auto& s = Load("[RAIN]\nAboveCloudsZoneWeatherOverride=clear\nSpaceZoneWeatherOverride=Clear\n");
    EXPECT_EQ(s.Weather[8].AboveCloudsZoneWeatherOverride, 9);
    EXPECT_EQ(s.Weather[8].SpaceZoneWeatherOverride, 11);
    // A file without the keys stores their defaults again.
    Load("[RAIN]\n");
    EXPECT_EQ(Settings.Weather[8].AboveCloudsZoneWeatherOverride, 0);
    EXPECT_EQ(Settings.Weather[8].SpaceZoneWeatherOverride, 14);
}

TEST_F(Configuration, UnmatchedOverrideOnTheFirstLoadKeepsTheStartValue) {
    Settings.Weather[0].SpaceZoneWeatherOverride = 14;
    EXPECT_EQ(Load("[EXTRASUNNY]\nSpaceZoneWeatherOverride=none\n").Weather[0].SpaceZoneWeatherOverride, 14);
}

TEST_F(Configuration, TextsAreCutAt63Characters) {
    const std::string seventy(70, 'm');
    const auto& s = Load("[XMAS]\nCloudZoneTimecycleModifier=" + seventy + "\n");
    EXPECT_EQ(std::string(s.Weather[13].CloudZoneTimecycleModifier), seventy.substr(0, 63));
}

TEST_F(Configuration, AlternateFileReplacesTheWholeFile) {
    directory.Write("other.ini",
                    "[KEYS]\nReloadKey=41\n[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=third.ini\n");
    directory.Write("third.ini", "[KEYS]\nReloadKey=42\n");
    const auto& s = Load(
        "[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=other.ini\nDefaultWind=1\n"
        "[KEYS]\nOnOffKey=50\n");
    EXPECT_EQ(s.ReloadKey, 0x41);  // from other.ini, whose own redirect is not followed
    EXPECT_EQ(s.OnOffKey, 0x2D);   // the calling file contributes nothing
    EXPECT_FALSE(s.DefaultWind);
}

TEST_F(Configuration, AlternateNamedLikeTheMainFileIsIgnored) {
    // Even when the file being read is another one: the fixed name counts.
    directory.Write("atmosphere.ini", "[KEYS]\nReloadKey=41\n");
    const auto& s =
        Load("[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=atmosphere.ini\n[KEYS]\nReloadKey=50\n",
             "atmosphere3.ini");
    EXPECT_EQ(s.ReloadKey, 0x50);
    // The comparison is case-sensitive, so this one is followed.
    directory.Write("Atmosphere.ini", "[KEYS]\nReloadKey=43\n");
    EXPECT_EQ(Load("[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=Atmosphere.ini\n", "a.ini").ReloadKey,
              0x43);
    // The switch must read exactly 1.
    EXPECT_EQ(
        Load("[GLOBAL]\nEnableAlternateConfigFile=true\nAlternateConfigFile=Atmosphere.ini\n[KEYS]\nReloadKey=51\n",
             "b.ini")
            .ReloadKey,
        0x51);
}

TEST_F(Configuration, MissingAlternateGivesAllDefaults) {
    const auto& s = Load("[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=gone.ini\n[DEBUG]\nPosX=0.9\n");
    ExpectFileDefaults(s);
}

TEST_F(Configuration, NoAlternateWhenTheCallerForbidsIt) {
    directory.Write("other.ini", "[KEYS]\nReloadKey=41\n");
    directory.Write("main.ini",
                    "[GLOBAL]\nEnableAlternateConfigFile=1\nAlternateConfigFile=other.ini\n[KEYS]\nReloadKey=50\n");
    CopyText(ModuleDirectory, directory.path().c_str());
    LoadConfiguration("main.ini", false);
    EXPECT_EQ(Settings.ReloadKey, 0x50);
}

TEST_F(Configuration, TooLongAPathIsTreatedAsAbsentNeverCut) {
    // A directory whose joined path overflows 259 characters; the cut path
    // names a file that exists and must not be read.
    std::string deep = directory.path();
    while (deep.size() < 250) deep += "dddddddddd/";
    const std::string name = "atmosphere.ini";
    ASSERT_GT(deep.size() + name.size(), 259u);
    ASSERT_LT(deep.size(), 259u);
    const std::string cut = (deep + name).substr(deep.size(), 259 - deep.size());
    std::filesystem::create_directories(deep);
    std::ofstream(deep + cut) << "[KEYS]\nReloadKey=41\n";
    std::ofstream(deep + name) << "[KEYS]\nReloadKey=42\n";
    ExpectFileDefaults(LoadFrom(deep, name.c_str()));

    // A path of exactly 259 characters still fits.
    const std::string fitting = std::string(259 - deep.size(), 'f');
    std::ofstream(deep + fitting) << "[KEYS]\nReloadKey=44\n";
    EXPECT_EQ(LoadFrom(deep, fitting.c_str()).ReloadKey, 0x44);
}

TEST_F(Configuration, WindowsSeparatorsInTheModuleDirectory) {
    directory.Write("atmosphere.ini", "[KEYS]\nReloadKey=41\n");
    std::string windowsStyle = directory.path();
    for (char& c : windowsStyle) c = c == '/' ? '\\' : c;
    EXPECT_EQ(LoadFrom(windowsStyle).ReloadKey, 0x41);
}

TEST_F(Configuration, TheShippedFileReproducesTheStartValues) {
    const std::string expected = SettingsToJson(Settings);
    // Start from the file defaults, so that every value must come from the file.
    LoadFrom(directory.path());
    ASSERT_NE(SettingsToJson(Settings), expected);
    LoadFrom(ATMOSPHERE_SOURCE_DIR "/");
    EXPECT_EQ(SettingsToJson(Settings), expected);
}

// Every key in read order, and the comment just above each gives the
// default a missing line takes, as the key table has it: "(default 5)",
// "(default 0x2E, the Delete key)".
TEST_F(Configuration, TheShippedFileListsEveryKeyInReadOrderWithItsDefault) {
    const std::string file = ReadWholeFile(ATMOSPHERE_SOURCE_DIR "/atmosphere.ini");
    size_t at = 0;
    auto expectNext = [&](const std::string& line) {
        const size_t found = file.find("\n" + line, at);
        EXPECT_NE(found, std::string::npos) << line << " missing or out of order";
        if (found != std::string::npos) at = found + 1;
    };
    auto expectDefault = [&](const SettingKey& key) {
        size_t comment = at - 1;  // the comment lines above the key's line
        while (comment > 0 && file[file.rfind('\n', comment - 1) + 1] == ';') comment = file.rfind('\n', comment - 1);
        const std::string above = file.substr(comment, at - comment);
        const std::string expected =
            "(default " + (IsIntegerKind(key.kind) ? std::to_string(key.defaultNumber) : std::string(key.defaultText));
        const size_t found = above.find(expected);
        EXPECT_TRUE(found != std::string::npos &&
                    (above[found + expected.size()] == ')' || above[found + expected.size()] == ','))
            << key.key << ": the comment above gives no " << expected << ")\n"
            << above;
    };
    const char* section = "";
    for (const SettingKey& key : GlobalSettingKeys) {
        if (std::string(section) != key.section) expectNext(std::string("[") + (section = key.section) + "]");
        expectNext(std::string(key.key) + "=");
        expectDefault(key);
    }
    for (const char* weather : WeatherNames) {
        expectNext(std::string("[") + weather + "]");
        for (const SettingKey& key : WeatherSettingKeys) {
            expectNext(std::string(key.key) + "=");
            expectDefault(key);
        }
    }
    // Notepad on older Windows shows a file of bare LFs as one line.
    size_t crlf = 0;
    for (size_t found = 0; (found = file.find("\r\n", found)) != std::string::npos; found += 2) ++crlf;
    EXPECT_EQ(static_cast<size_t>(std::count(file.begin(), file.end(), '\n')), crlf)
        << "the shipped file has line ends other than CR LF";
}

// An editor saving while a load reads: the file truncated and half written
// under the read. The load must keep every setting in force rather than
// give the lost half its defaults.
std::string SavedMidRead;  // what the "editor" writes during the read
platform::ProfileFileResult ReadWhileSaving(const char* path, platform::ProfileRead* reads, size_t count) {
    const platform::ProfileFileResult result = platform::ReadProfileFile(path, reads, count);
    std::string native = path;
    for (char& c : native) c = c == '\\' ? '/' : c;
    std::ofstream(native, std::ios::binary | std::ios::trunc) << SavedMidRead;
    return result;
}

TEST_F(Configuration, AFileWrittenDuringTheReadIsNotTaken) {
    Load("[GLOBAL]\r\nAutoReload=1\r\n[CLOUDS]\r\nNormalZoneEnd=700\r\nCloudZoneStart=750\r\n");
    ASSERT_FALSE(LastLoad.changing);
    const std::string before = SettingsToJson(Settings);
    for (const std::string& saved : {std::string("[GLOBAL]\r\nAutoReload=1\r\n[CLO"), std::string()}) {
        SavedMidRead = saved;
        directory.Write("atmosphere.ini", "[GLOBAL]\r\nAutoReload=1\r\n[CLOUDS]\r\nNormalZoneEnd=600\r\n");
        LoadConfigurationWith(ReadWhileSaving, "atmosphere.ini", true);
        EXPECT_TRUE(LastLoad.changing) << saved;
        EXPECT_EQ(SettingsToJson(Settings), before) << saved;
    }
    // Whole again: taken.
    LoadConfiguration("atmosphere.ini", true);
    EXPECT_FALSE(LastLoad.changing);
    EXPECT_EQ(Settings.Weather[Clouds].NormalZoneEnd, 800.0f);

    // A watch that saw the file hold still takes it only as it saw it: a
    // save begun since, however still it holds during the read, is not.
    const ExpectedStamps seen{{LastLoad.file.path, nullptr}, {LastLoad.file.stamp, {}}};
    directory.Write("atmosphere.ini", "[CLOUDS]\r\nNormalZoneEnd=6");
    LoadConfigurationExpecting("atmosphere.ini", seen);
    EXPECT_TRUE(LastLoad.changing);
    EXPECT_EQ(Settings.Weather[Clouds].NormalZoneEnd, 800.0f);
    const ExpectedStamps now{{LastLoad.file.path, nullptr}, {LastLoad.file.stamp, {}}};
    LoadConfigurationExpecting("atmosphere.ini", now);
    EXPECT_FALSE(LastLoad.changing);
    EXPECT_EQ(Settings.Weather[Clouds].NormalZoneEnd, 6.0f);
}

}  // namespace
