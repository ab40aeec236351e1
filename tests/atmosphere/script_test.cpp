// The script main on the simulated host: start-up and its choices, the
// hotkeys through the registered keyboard handler, the entity tag commands
// through the tag natives, switching on and off, reloads, a restart of the
// script, and the restore at switch-off and unload.
#include <gmock/gmock.h>
#include <unistd.h>

#include <fstream>
#include <limits>

#include "atmosphere/script.h"
#include "config/configuration.h"
#include "debug/overlay.h"
#include "host/natives.h"
#include "tests/atmosphere/flight.h"

namespace {

using Lines = std::vector<std::string>;
using ::testing::Contains;
using ::testing::Not;

constexpr uint32_t ReloadKey = 0x2E, OnOffKey = 0x2D, DebugKey = 0x23;

// What a pass does before the enabled part: the player, then the four tags.
const Lines PassPrologue{"PlayerCharacter() = 257", "IsEntityTagRegistered(\"fileindex\", 3) = 0",
                         "IsEntityTagRegistered(\"\\\"reload\\\"\", 2) = 0",
                         "IsEntityTagRegistered(\"\\\"enabled\\\"\", 2) = 0",
                         "IsEntityTagRegistered(\"\\\"debugmode\\\"\", 2) = 0"};

class ScriptFlight : public Flight {
protected:
    // Loads with the game's weather transition at from -> to, fraction.
    void StartWithTransition(const char* from, const char* to, float fraction, float altitude) {
        CreateSession();
        world().transitionFrom = sim::GameHash(from);
        world().transitionTo = sim::GameHash(to);
        world().transitionFraction = fraction;
        world().SetPlayerAltitude(altitude);
        session->Load();
        RunFrames(1);
    }
    // The RestoreDefaults sequence for a given pair, fraction, modifier and cloud set.
    static Lines Restore(const std::string& from, const std::string& to, const std::string& fraction,
                         const std::string& modifier, const std::string& clouds) {
        return {"ClearOverrideWeather()",
                "SetWeatherTransition(" + from + ", " + to + ", " + fraction + ") = 1",
                "SetTimecycleModifier(\"" + modifier + "\")",
                "SetTimecycleModifierStrength(0)",
                "ClearTimecycleModifier()",
                "UnloadCloudSets()",
                "LoadCloudSet(\"" + clouds + "\", 0)",
                "SetWindSpeed(-1)",
                "SetWeatherEffectLevel(-1)"};
    }
    bool Evaluated() const { return CountCalls(session->Frame(), "EntityPosition") > 0; }
    int Draws() const { return CountCalls(session->Frame(), "DrawTextAt"); }
};

// --- Start-up --------------------------------------------------------------------

TEST_F(ScriptFlight, StartUpHashesTheWeathersReadsTheTransitionThenLoops) {
    Start("clouds", 40.0f);
    const Lines calls = Calls(1);
    const char* names[] = {"extrasunny", "clear",   "clouds",   "smog", "neutral",  "snowlight", "foggy",    "overcast",
                           "rain",       "thunder", "clearing", "snow", "blizzard", "xmas",      "halloween"};
    ASSERT_GT(calls.size(), 21u);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(calls[i], std::string("WeatherNameHash(\"") + names[i] + "\") = " + Hash(names[i]));
    }
    EXPECT_EQ(calls[15], "GetWeatherTransition(&, &, &) = " + Hash("clouds") + ", " + Hash("clouds") + ", 0");
    EXPECT_EQ(Lines(calls.begin() + 16, calls.begin() + 21), PassPrologue);
    // One pass per frame, each ending in scriptWait(0).
    RunFrames(3);
    int waits = 0;
    for (const sim::TraceEvent& event : session->Trace()) {
        if (event.kind == sim::TraceKind::Host && event.name == "scriptWait") {
            EXPECT_EQ(sim::FormatValue(event.arguments.at(0)), "0");
            ++waits;
        }
    }
    EXPECT_EQ(waits, 4);
    EXPECT_EQ(CountCalls(4, "WeatherNameHash"), 0);
}

// The row chosen at start-up places the player on the first frame: RAIN's
// normal zone ends at 500, CLOUDS' at 800, EXTRASUNNY's at 300.
class StartWeather : public ScriptFlight {
protected:
    void SetUp() override {
        ScriptFlight::SetUp();
        WriteFile("atmosphere.ini", "[RAIN]\nNormalZoneEnd=500\n[EXTRASUNNY]\nNormalZoneEnd=300\n");
    }
};

TEST_F(StartWeather, FractionOfExactlyOneHalfTakesTheToWeather) {
    StartWithTransition("clouds", "rain", 0.5f, 600.0f);
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");
}

TEST_F(StartWeather, FractionBelowOneHalfTakesTheFromWeather) {
    StartWithTransition("clouds", "rain", 0.49999997f, 600.0f);
    EXPECT_EQ(LastLabel(), "normalzone\n");
}

TEST_F(StartWeather, NanFractionTakesTheFromWeather) {
    StartWithTransition("clouds", "rain", std::numeric_limits<float>::quiet_NaN(), 600.0f);
    EXPECT_EQ(LastLabel(), "normalzone\n");
}

TEST_F(StartWeather, UnknownWeatherHashUsesTheFirstRowAsTheNormalZoneDoes) {
    StartWithTransition("sandstorm", "sandstorm", 0.0f, 400.0f);
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");
    FlyTo(40);  // re-read in the normal zone: the same fallback
    FlyTo(400);
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");
}

// --- Hotkeys through the keyboard handler ----------------------------------------

TEST_F(ScriptFlight, ReloadKeyClearsTheModifierAndLoadsBeforeThisPassEvaluates) {
    Start("clouds", 600.0f);
    EXPECT_EQ(LastLabel(), "normalzone\n");
    WriteFile("atmosphere.ini", "[CLOUDS]\nNormalZoneEnd=500\n");
    session->PressKey(ReloadKey);
    RunFrames(1);
    EXPECT_EQ(LastCalls().front(), "ClearTimecycleModifier()");
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");
    RunFrames(1);
    EXPECT_EQ(CountCalls(session->Frame(), "ClearTimecycleModifier"), 0);
}

TEST_F(ScriptFlight, HeldKeyActsOnlyOnceReleased) {
    Start();
    session->KeyDown(ReloadKey);
    RunFrames(1);
    session->KeyDown(ReloadKey);  // auto-repeat while held
    RunFrames(2);
    EXPECT_EQ(session->TraceText().find("ClearTimecycleModifier"), std::string::npos);
    session->KeyUp(ReloadKey);
    RunFrames(1);
    EXPECT_EQ(CountCalls(session->Frame(), "ClearTimecycleModifier"), 1);
}

TEST_F(ScriptFlight, ReloadChangesTheKeysTestedLaterInTheSamePass) {
    Start();
    WriteFile("atmosphere.ini", "[KEYS]\nOnOffKey=41\n");
    session->PressKey(0x41);
    session->PressKey(ReloadKey);
    RunFrames(1);
    EXPECT_EQ(LastCalls().front(), "ClearTimecycleModifier()");
    EXPECT_FALSE(Evaluated());  // switched off by the new key in the same pass
}

TEST_F(ScriptFlight, SwitchingOffInTheNormalZoneRestoresNothing) {
    Start("clouds", 40.0f);
    session->PressKey(OnOffKey);
    RunFrames(1);
    EXPECT_EQ(LastCalls(), PassPrologue);
    RunFrames(2);
    EXPECT_EQ(LastCalls(), PassPrologue);
    // On again: the evaluation resumes in the pass that switches it on.
    session->PressKey(OnOffKey);
    RunFrames(1);
    EXPECT_TRUE(Evaluated());
}

TEST_F(ScriptFlight, SwitchingOffAboveTheNormalZoneRestoresAndResetsTheZone) {
    WriteFile("atmosphere.ini",
              "[CLOUDS]\nNormalZoneClouds=NIMBUS2\nNormalZoneTimecycleModifier=normalmod\n"
              "CloudZoneTimecycleModifier=cloudmod\n");
    StartWithTransition("clouds", "clouds", 0.125f, 850.0f);
    FlyTo(1050);
    session->PressKey(OnOffKey);
    RunFrames(1);
    Lines expected = Restore(Hash("clouds"), Hash("clouds"), "0.125", "normalmod", "Cloudy 01");
    expected.insert(expected.end(), PassPrologue.begin(), PassPrologue.end());
    EXPECT_EQ(LastCalls(), expected);

    // Back on with a modifier of the game's own active: the player arrives
    // in the band from the normal zone, not from the cloud zone.
    world().SetTimecycleModifier("gamemod");
    world().SetPlayerAltitude(850.0f);
    session->PressKey(OnOffKey);
    RunFrames(1);
    EXPECT_THAT(LastZoneCalls(), Contains("SetTimecycleModifier(\"cloudmod\")"));
    EXPECT_THAT(LastZoneCalls(), Not(Contains("UnloadCloudSets()")));
}

// Switched off in any rung above the normal zone, the module hands the wind
// and the effect level back with the rest, through the DefaultWind guard.
TEST_F(ScriptFlight, SwitchingOffInEveryRungHandsTheWindAndEffectLevelBack) {
    for (const bool defaultWind : {false, true}) {
        for (const float altitude : {850.0f, 1050.0f, 1300.0f, 1700.0f, 2500.0f, 3500.0f}) {
            WriteFile("atmosphere.ini", defaultWind ? "[GLOBAL]\nDefaultWind=1\n" : "");
            Start("thunder", 40.0f);
            world().gameWindSpeed = 3.0f;
            for (float step = 100.0f; step < altitude; step += 100.0f) FlyTo(step);
            FlyTo(altitude);
            session->PressKey(OnOffKey);
            RunFrames(1);
            const std::string at = std::to_string(altitude) + (defaultWind ? " with DefaultWind" : "");
            EXPECT_EQ(CountCalls(session->Frame(), "SetWindSpeed"), defaultWind ? 0 : 1) << at;
            EXPECT_EQ(CountCalls(session->Frame(), "SetWeatherEffectLevel"), 1) << at;
            EXPECT_EQ(world().EffectiveWindSpeed(), 3.0f) << at;
            EXPECT_EQ(world().effectLevel, -1.0f) << at;
            TearDown();
            SetUp();
        }
    }
}

TEST_F(ScriptFlight, WhileDisabledReloadStillWorksAndNothingIsEvaluated) {
    Start("clouds", 600.0f);
    session->PressKey(OnOffKey);
    RunFrames(1);
    WriteFile("atmosphere.ini", "[CLOUDS]\nNormalZoneEnd=500\n");
    session->PressKey(ReloadKey);
    RunFrames(1);
    Lines expected{"ClearTimecycleModifier()"};
    expected.insert(expected.end(), PassPrologue.begin(), PassPrologue.end());
    EXPECT_EQ(LastCalls(), expected);
    session->PressKey(OnOffKey);
    RunFrames(1);
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");  // the reloaded thresholds
}

TEST_F(ScriptFlight, DebugKeyTogglesTheDrawing) {
    Start();
    EXPECT_EQ(Draws(), 0);
    session->PressKey(DebugKey);
    RunFrames(1);
    EXPECT_EQ(Draws(), 6);
    RunFrames(1);
    EXPECT_EQ(Draws(), 6);
    session->PressKey(DebugKey);
    RunFrames(1);
    EXPECT_EQ(Draws(), 0);
}

TEST_F(ScriptFlight, DebugModeSwitchedOnWhileDisabledShowsTheLastEnabledTextOnceEnabled) {
    Start("clouds", 40.0f);
    RunFrames(1);
    session->PressKey(OnOffKey);
    RunFrames(1);
    world().SetPlayerAltitude(1050.0f);
    session->PressKey(DebugKey);
    RunFrames(3);
    EXPECT_EQ(Draws(), 0);
    session->PressKey(OnOffKey);
    RunFrames(1);
    ASSERT_EQ(world().textsThisFrame.size(), 6u);
    EXPECT_EQ(world().textsThisFrame[0].text.rfind("normalzone\n", 0), 0u);
    RunFrames(1);
    EXPECT_EQ(world().textsThisFrame[0].text.rfind("cloudzoneend\n", 0), 0u);
}

// --- Entity tag commands -----------------------------------------------------------

TEST_F(ScriptFlight, ReloadTagIsResetAtOnceAndActedOnInTheNextPass) {
    Start();
    world().RegisterTag("\"reload\"", 2);
    world().SetTag(sim::PlayerCharacterHandle, "\"reload\"", 1);
    RunFrames(1);
    EXPECT_THAT(LastCalls(), Contains("ReadBooleanEntityTag(257, \"\\\"reload\\\"\") = 1"));
    EXPECT_THAT(LastCalls(), Contains("SetBooleanEntityTag(257, \"\\\"reload\\\"\", 0)"));
    EXPECT_THAT(LastCalls(), Not(Contains("ClearTimecycleModifier()")));
    EXPECT_EQ(world().Tag(sim::PlayerCharacterHandle, "\"reload\""), 0);
    RunFrames(1);
    EXPECT_EQ(LastCalls().front(), "ClearTimecycleModifier()");
    RunFrames(1);
    EXPECT_THAT(LastCalls(), Not(Contains("ClearTimecycleModifier()")));
}

TEST_F(ScriptFlight, BooleanTagOtherThanOneIsNeitherActedOnNorReset) {
    Start();
    world().RegisterTag("\"enabled\"", 2);
    world().SetTag(sim::PlayerCharacterHandle, "\"enabled\"", 2);
    RunFrames(2);
    EXPECT_THAT(LastCalls(), Not(Contains(::testing::HasSubstr("SetBooleanEntityTag"))));
    EXPECT_TRUE(Evaluated());
    EXPECT_EQ(world().Tag(sim::PlayerCharacterHandle, "\"enabled\""), 2);
}

TEST_F(ScriptFlight, TagRegisteredWithAnotherTypeIsNotRead) {
    Start();
    world().RegisterTag("\"debugmode\"", 3);
    world().RegisterTag("fileindex", 2);
    world().SetTag(sim::PlayerCharacterHandle, "\"debugmode\"", 1);
    world().SetTag(sim::PlayerCharacterHandle, "fileindex", 4);
    RunFrames(2);
    EXPECT_THAT(LastCalls(), Not(Contains(::testing::HasSubstr("EntityTag(257"))));
    EXPECT_EQ(Draws(), 0);
}

TEST_F(ScriptFlight, FileIndexChoosesTheFileOfTheNextReload) {
    WriteFile("atmosphere12.ini", "[CLOUDS]\nNormalZoneEnd=500\n");
    Start("clouds", 600.0f);
    world().RegisterTag("fileindex", 3);
    world().SetTag(sim::PlayerCharacterHandle, "fileindex", 12);
    RunFrames(2);
    EXPECT_STREQ(ConfigFileName, "atmosphere12.ini");
    EXPECT_EQ(LastLabel(), "normalzone\n");                               // no reload by itself
    EXPECT_EQ(world().Tag(sim::PlayerCharacterHandle, "fileindex"), 12);  // never reset

    // 0 and -3 leave the name as it is; it never goes back by itself.
    for (const int32_t ignored : {0, -3}) {
        world().SetTag(sim::PlayerCharacterHandle, "fileindex", ignored);
        RunFrames(1);
        EXPECT_STREQ(ConfigFileName, "atmosphere12.ini");
    }
    session->PressKey(ReloadKey);
    RunFrames(1);
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");
    const std::string lastBlock = Overlay.DebugTextBlocks[5];
    EXPECT_EQ(lastBlock.substr(lastBlock.rfind('\n') + 1), "atmosphere12.ini");

    world().SetTag(sim::PlayerCharacterHandle, "fileindex", 2147483647);
    RunFrames(1);
    EXPECT_STREQ(ConfigFileName, "atmosphere2147483647.ini");
}

TEST_F(ScriptFlight, OnOffKeyAndEnabledTagInOnePassSwitchOffThenOnOverTwoPasses) {
    Start("clouds", 40.0f);
    world().RegisterTag("\"enabled\"", 2);
    world().SetTag(sim::PlayerCharacterHandle, "\"enabled\"", 1);
    session->PressKey(OnOffKey);
    RunFrames(1);
    EXPECT_FALSE(Evaluated());
    RunFrames(1);
    EXPECT_TRUE(Evaluated());
}

TEST_F(ScriptFlight, HotkeyAndPendingRequestInOnePassGiveOneAction) {
    Start();
    world().RegisterTag("\"debugmode\"", 2);
    world().SetTag(sim::PlayerCharacterHandle, "\"debugmode\"", 1);
    RunFrames(1);  // the request is raised at the end of this pass
    EXPECT_EQ(Draws(), 0);
    session->PressKey(DebugKey);
    RunFrames(1);  // key and request: one toggle, the request consumed
    EXPECT_EQ(Draws(), 6);
    RunFrames(1);
    EXPECT_EQ(Draws(), 6);
}

// --- Restart, restore and unload ------------------------------------------------------

TEST_F(ScriptFlight, RestartRunsTheStartUpAgainAndKeepsRequestsZoneAndFileName) {
    WriteFile("atmosphere7.ini", "[CLOUDS]\nNormalZoneEnd=500\n");
    Start("clouds", 1050.0f);
    world().RegisterTag("fileindex", 3);
    world().RegisterTag("\"debugmode\"", 2);
    world().SetTag(sim::PlayerCharacterHandle, "fileindex", 7);
    RunFrames(1);
    world().SetTag(sim::PlayerCharacterHandle, "\"debugmode\"", 1);
    RunFrames(1);  // raises the debug request, carried out next pass

    session->Unload();
    session->Load();
    world().SetPlayerAltitude(850.0f);
    RunFrames(1);
    EXPECT_EQ(LastCalls().front(), "WeatherNameHash(\"extrasunny\") = " + Hash("extrasunny"));
    EXPECT_EQ(Draws(), 6);  // the kept request
    // The kept zone: arriving in the band from the cloud zone.
    EXPECT_THAT(LastZoneCalls(), Contains("UnloadCloudSets()"));
    // The kept file name, loaded by the new start-up.
    EXPECT_STREQ(Overlay.DebugTextBlocks[0],
                 "cloudzonestart\nnormalZoneEnd: 500.00\ncloudZoneStart: 900.00\ncloudZoneEnd: 1200.00");
}

TEST_F(ScriptFlight, RestartStartsEnabledWithDebugModeOff) {
    Start("clouds", 40.0f);
    session->PressKey(DebugKey);
    RunFrames(1);
    session->PressKey(OnOffKey);
    RunFrames(1);
    ASSERT_FALSE(Evaluated());
    session->Unload();
    session->Load();
    RunFrames(1);
    EXPECT_TRUE(Evaluated());
    EXPECT_EQ(Draws(), 0);
}

TEST_F(ScriptFlight, UnloadRestoresThePairLastReadWithTheStartFraction) {
    WriteFile("atmosphere.ini", "[RAIN]\nNormalZoneClouds=PUFFS\nNormalZoneTimecycleModifier=rainnormal\n");
    StartWithTransition("clouds", "rain", 0.75f, 40.0f);
    world().transitionFrom = sim::GameHash("rain");
    world().transitionFraction = 0.0f;
    FlyTo(40);   // the normal zone reads the new pair
    FlyTo(850);  // the band takes rain as the zone weather
    session->ClearTrace();
    session->Unload();
    Lines calls;
    for (const sim::TraceEvent& event : session->Trace()) {
        if (event.kind != sim::TraceKind::Native) continue;
        EXPECT_EQ(event.caller, sim::TraceCaller::Game);  // on the unloading thread
        const std::string line = sim::FormatTraceLine(event);
        calls.push_back(line.substr(line.find("native ") + 7));
    }
    EXPECT_EQ(calls, Restore(Hash("rain"), Hash("rain"), "0.75", "rainnormal", "Puffs"));
}

TEST_F(ScriptFlight, UnloadRestoresEvenWhenSwitchedOffAndUsesNeutralForAnUnknownZoneWeather) {
    WriteFile("atmosphere.ini", "[NEUTRAL]\nNormalZoneClouds=WISPY\n");
    Start("clouds", 40.0f);
    session->PressKey(OnOffKey);
    RunFrames(1);
    session->ClearTrace();
    session->Unload();
    EXPECT_EQ(sim::CountNativeCalls(session->Trace(), natives::hash::ClearOverrideWeather), 1u);
    EXPECT_THAT(session->TraceText(), ::testing::HasSubstr("LoadCloudSet(\"Wispy\", 0)"));
}

// Unloaded before the start-up ever ran, the restore would hand the game
// weather hashes of 0, which name no weather: it does nothing instead.
TEST_F(ScriptFlight, UnloadBeforeTheStartUpTouchesNothing) {
    CreateSession();
    session->Load();
    session->Unload();
    EXPECT_EQ(sim::NativeCallsInFrame(session->Trace(), 0).size(), 0u);
    EXPECT_EQ(session->ErrorCount(), 0u);
}

// --- Module directory ---------------------------------------------------------------

TEST(ModuleDirectory, KeepsTheDirectoryWithItsBackslashOrNothing) {
    const char path[] = "C:\\Games\\The Game\\game.exe";
    SetModuleDirectoryFromPath(path, sizeof path - 1);
    EXPECT_STREQ(ModuleDirectory, "C:\\Games\\The Game\\");

    SetModuleDirectoryFromPath("game.exe", 8);  // no backslash at all
    EXPECT_STREQ(ModuleDirectory, "");

    SetModuleDirectoryFromPath(path, sizeof path - 1);
    SetModuleDirectoryFromPath("", 0);  // the path could not be had
    EXPECT_STREQ(ModuleDirectory, "");

    char cut[ModuleDirectorySize];  // as the platform reports a path cut at 260
    std::string longPath = "C:\\Games\\" + std::string(300, 'x') + "\\game.exe";
    std::snprintf(cut, sizeof cut, "%s", longPath.c_str());
    SetModuleDirectoryFromPath(cut, ModuleDirectorySize);
    EXPECT_STREQ(ModuleDirectory, "");
}

// End to end: a game folder too deep for the 260-character path. The cut
// path would name its parent folder; the file name alone is used instead,
// relative to the current directory.
TEST_F(ScriptFlight, CutExecutablePathReadsTheFileNameAlone) {
    const std::filesystem::path deep = gameDirectory / std::string(240, 'd');
    std::filesystem::create_directories(deep);
    WriteFile("atmosphere.ini", "[CLOUDS]\nNormalZoneEnd=111\n");  // the parent folder
    const std::filesystem::path current = gameDirectory / "current";
    std::filesystem::create_directories(current);
    std::ofstream(current / "atmosphere.ini") << "[CLOUDS]\nNormalZoneEnd=333\n";
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(current);

    sim::SessionOptions options;
    options.gameDirectory = deep.string();
    session = std::make_unique<sim::Session>(options);
    ASSERT_GT(session->GameExecutablePath().size(), 260u);
    world().transitionFrom = world().transitionTo = sim::GameHash("clouds");
    session->Load();
    RunFrames(1);
    std::filesystem::current_path(previous);

    EXPECT_STREQ(ModuleDirectory, "");
    EXPECT_THAT(std::string(Overlay.DebugTextBlocks[0]), ::testing::HasSubstr("normalZoneEnd: 333.00"));
}

}  // namespace
