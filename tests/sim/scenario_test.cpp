// Scenarios: the parser rejects what it cannot run, with the line, a run
// drives the session step by step and ends unloaded, and the ini step edits
// the game folder's files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "host/natives.h"
#include "sim/scenario.h"

namespace {

std::vector<float> altitudesSeen;

void AltitudeProbe() {
    for (;;) {
        altitudesSeen.push_back(natives::EntityAltitude(natives::PlayerCharacter()));
        scriptWait(0);
    }
}

int AltitudeProbeEntry(ModuleHandle instance, uint32_t reason, void*) {
    if (reason == 1) scriptRegister(instance, AltitudeProbe);
    if (reason == 0) scriptUnregister(instance);
    return 1;
}

std::string ParseError(const char* text) {
    sim::Scenario scenario;
    std::string error;
    EXPECT_FALSE(sim::ParseScenario(text, scenario, error)) << text;
    return error;
}

TEST(ScenarioTest, ParserNamesTheLineAndTheProblem) {
    EXPECT_EQ(ParseError("load\n\nfly 3\n"), "line 3: unknown command fly");
    EXPECT_EQ(ParseError("frames\n"), "line 1: frames takes 1 operand(s), got 0");
    EXPECT_EQ(ParseError("frames -1"), "line 1: not an unsigned 32-bit number: -1");
    EXPECT_EQ(ParseError("frames 0x100000000"), "line 1: not an unsigned 32-bit number: 0x100000000");
    EXPECT_EQ(ParseError("climb 0 100 0"), "line 1: not a frame count: 0");
    EXPECT_EQ(ParseError("altitude 12,5"), "line 1: not a number: 12,5");
    EXPECT_EQ(ParseError("weather clouds 0xZZ 0.5"), "line 1: not a weather: 0xZZ");
    EXPECT_EQ(ParseError("tag-register fileindex float"), "line 1: tag type must be int or bool: float");
    EXPECT_EQ(ParseError("image maybe"), "line 1: image mode must be signature, none or readonly-target: maybe");
    EXPECT_EQ(ParseError("ini ../atmosphere.ini GLOBAL DefaultWind 1"),
              "line 1: not a file name of the game folder: ../atmosphere.ini");
    EXPECT_EQ(ParseError("ini C:atmosphere.ini GLOBAL DefaultWind 1"),
              "line 1: not a file name of the game folder: C:atmosphere.ini");
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// As a person editing the file: a key is replaced where it stands, whatever
// the case of its name or its section's; a new key joins the end of its
// section, a new section the end of the file; everything else stays.
TEST(ScenarioTest, IniStepEditsTheFileInTheGameFolder) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("atmosphere-ini-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "atmosphere.ini", std::ios::binary)
        << "; notes\n[CLOUDS]\nnormalzoneend = 800\n  CloudZoneStart = 900 \n\n[RAIN]\nNormalZoneEnd=1\n";
    sim::Scenario scenario;
    std::string error;
    ASSERT_TRUE(
        sim::ParseScenario("ini atmosphere.ini clouds NormalZoneEnd 500\n"
                           "ini atmosphere.ini CLOUDS CloudZoneEnd 1300\n"
                           "ini atmosphere.ini KEYS ReloadKey 0x52\n"
                           "ini atmosphere2.ini GLOBAL DefaultWind 1\n",
                           scenario, error))
        << error;
    sim::SessionOptions options;
    options.moduleEntry = AltitudeProbeEntry;
    options.gameDirectory = folder.string();
    {
        sim::Session session(options);
        sim::RunScenario(scenario, session);
        EXPECT_EQ(sim::FormatTraceLine(session.Trace().front()),
                  "0 game event ini(\"atmosphere.ini\", \"clouds\", \"NormalZoneEnd\", \"500\")");
    }
    EXPECT_EQ(ReadFile(folder / "atmosphere.ini"),
              "; notes\r\n[CLOUDS]\r\nNormalZoneEnd=500\r\n  CloudZoneStart = 900 \r\nCloudZoneEnd=1300\r\n\r\n"
              "[RAIN]\r\nNormalZoneEnd=1\r\n[KEYS]\r\nReloadKey=0x52\r\n");
    EXPECT_EQ(ReadFile(folder / "atmosphere2.ini"), "[GLOBAL]\r\nDefaultWind=1\r\n");
    std::filesystem::remove_all(folder);
}

TEST(ScenarioTest, CommentsBlanksAndLiteralWordsAreKept) {
    sim::Scenario scenario;
    std::string error;
    ASSERT_TRUE(
        sim::ParseScenario("  # nothing\r\n\ttag-register \"reload\" bool # quoted name\r\nkey 0x7A", scenario, error))
        << error;
    ASSERT_EQ(scenario.steps.size(), 2u);
    EXPECT_EQ(scenario.steps[0].line, 2u);
    EXPECT_EQ(scenario.steps[0].words, (std::vector<std::string>{"\"reload\"", "bool"}));
    EXPECT_EQ(scenario.steps[1].command, "key");
    EXPECT_EQ(std::get<sim::step::Key>(scenario.steps[1].action).key, 0x7Au);
}

TEST(ScenarioTest, RunDrivesTheSessionAndUnloadsAtTheEnd) {
    altitudesSeen.clear();
    sim::Scenario scenario;
    std::string error;
    ASSERT_TRUE(
        sim::ParseScenario("load\n"
                           "altitude 10\n"
                           "frames 1\n"
                           "climb 0 300 3\n"
                           "enter\n"
                           "vehicle-altitude 2000\n"
                           "frames 1\n"
                           "weather CLOUDS snow 0.5\n"
                           "wind 9.5\n"
                           "tag-register fileindex int\n"
                           "tag fileindex 7\n"
                           "clock 0xFFFFFFF0\n"
                           "frame-ms 32\n"
                           "frames 1\n",
                           scenario, error))
        << error;
    sim::SessionOptions options;
    options.moduleEntry = AltitudeProbeEntry;
    sim::Session session(options);
    sim::RunScenario(scenario, session);
    EXPECT_EQ(altitudesSeen, (std::vector<float>{10.0f, 100.0f, 200.0f, 300.0f, 2000.0f, 2000.0f}));
    const sim::World& world = session.world();
    EXPECT_EQ(world.transitionFrom, sim::GameHash("clouds"));
    EXPECT_EQ(world.transitionTo, sim::GameHash("snow"));
    EXPECT_EQ(world.gameWindSpeed, 9.5f);
    EXPECT_EQ(world.Tag(sim::PlayerCharacterHandle, "fileindex"), 7);
    EXPECT_EQ(session.Now(), 0x10u);
    EXPECT_FALSE(session.Loaded());
    EXPECT_EQ(session.Trace().back().name, "scriptUnregister");
    EXPECT_EQ(session.History().size(), 6u);
}

}  // namespace
