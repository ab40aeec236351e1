// The zone ladder, frame by frame: every call of each rung in its order, the
// arrival actions by previous zone, and the blends at chosen altitudes.
// Unless a test writes a file, the module reads the defaults a load stores
// for absent keys: zones at 800 / 900 / 1200 / 1400 / 2000 / 3000, wind
// factors 2.0 and 0.5, EXTRASUNNY above the clouds and HALLOWEEN in space.
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "atmosphere/script.h"
#include "atmosphere/zone.h"
#include "tests/atmosphere/flight.h"

namespace {

using Lines = std::vector<std::string>;
using ::testing::Contains;

const std::string Transition = "GetWeatherTransition(&, &, &) = ";

// CLOUDS with a modifier name per zone and its own cloud set, so that every
// call shows which setting it came from; all thresholds stay at the defaults.
constexpr const char* NamedCloudsFile =
    "[CLOUDS]\n"
    "NormalZoneClouds=NIMBUS2\n"
    "NormalZoneTimecycleModifier=normalmod\n"
    "CloudZoneTimecycleModifier=cloudmod\n"
    "AboveCloudsZoneTimecycleModifier=abovemod\n"
    "SpaceZoneTimecycleModifier=spacemod\n"
    "AboveCloudsZoneTimecycleTransitionTime=20\n"
    "SpaceZoneTimecycleTransitionTime=40\n";

class ZoneFlight : public Flight {};

// The road of one event, up from the ground through every rung and down
// again, in CLOUDS, one of the first six weathers.
TEST_F(ZoneFlight, RoadOfOneEventUpAndDownInClouds) {
    WriteFile("atmosphere.ini", NamedCloudsFile);
    Start("clouds", 40.0f);
    world().gameWindSpeed = 4.0f;
    const std::string c = Hash("clouds"), es = Hash("extrasunny"), hw = Hash("halloween");
    const std::string sine45 = Float(sim::GameSineDegrees(45.0f));

    // First frame: no modifier is active yet, so the normal one is set.
    EXPECT_EQ(ZoneCalls(1), (Lines{Transition + c + ", " + c + ", 0", "SetTimecycleModifier(\"normalmod\")",
                                   "SetTimecycleModifierStrength(1)", "GetWindSpeed() = 3"}));

    FlyTo(750);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{Transition + c + ", " + c + ", 0", "SetTimecycleModifierStrength(1)", "GetWindSpeed() = 4"}));
    FlyTo(775);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{Transition + c + ", " + c + ", 0", "SetTimecycleModifierStrength(0.5)", "GetWindSpeed() = 4"}));
    EXPECT_EQ(LastLabel(), "normalzone\n");

    // Cloud-start band: the cloud modifier on arrival, faded in; the wind of
    // a first-six weather is captured, not set.
    FlyTo(800);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{"SetTimecycleModifier(\"cloudmod\")", "SetTimecycleModifierStrength(0)", "GetWindSpeed() = 4"}));
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");
    FlyTo(850);
    EXPECT_EQ(LastZoneCalls(), (Lines{"SetTimecycleModifierStrength(0.5)", "GetWindSpeed() = 4"}));

    // Cloud zone: the wind handed back once, the game's clouds faded out.
    FlyTo(900);
    EXPECT_EQ(LastZoneCalls(), (Lines{"SetWeatherTransition(" + c + ", " + c + ", 0) = 1",
                                      "SetTimecycleModifier(\"cloudmod\")", "SetTimecycleModifierStrength(1)",
                                      "SetWindSpeed(-1)", "GetWindSpeed() = 4", "SetCloudOpacity(1)"}));
    EXPECT_EQ(LastLabel(), "cloudzoneend\n");
    FlyTo(1050);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{"SetWeatherTransition(" + c + ", " + c + ", 0.25) = 1", "SetTimecycleModifierStrength(1)",
                     "GetWindSpeed() = 4", "SetCloudOpacity(0.5)"}));

    // Above-clouds-start band: "Snowy 01", the wind towards the above-clouds
    // factor, the weather towards EXTRASUNNY, complete from a third up.
    FlyTo(1200);
    EXPECT_EQ(LastZoneCalls(), (Lines{"SetTimecycleModifier(\"cloudmod\")", "SetTimecycleModifierStrength(1)",
                                      "SetCloudOpacity(0)", "LoadCloudSet(\"Snowy 01\", 0)", "SetWindSpeed(4)",
                                      "SetWeatherTransition(" + c + ", " + es + ", 0) = 1"}));
    EXPECT_EQ(LastLabel(), "abovecloudzonestart\n");
    FlyTo(1250);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{"SetTimecycleModifierStrength(0.75)", "SetCloudOpacity(0.25)", "LoadCloudSet(\"Snowy 01\", 0)",
                     "SetWindSpeed(3.5)", "SetWeatherTransition(" + c + ", " + es + ", 0.75) = 1"}));
    FlyTo(1270);  // f = 0.35: past a third of the band
    EXPECT_EQ(LastZoneCalls().back(), "SetWeatherTransition(" + c + ", " + es + ", 1) = 1");

    // Above-clouds zone: "nextgen" on the first frame, the timed transition
    // to the above-clouds modifier on the second, and only then.
    FlyTo(1400);
    const Lines aboveCommon{"SetWeatherTransition(" + es + ", " + es + ", 0.5) = 1", "SetCloudOpacity(1)",
                            "LoadCloudSet(\"Snowy 01\", 0)", "SetWeatherEffectLevel(0)", "SetWindSpeed(2)"};
    Lines expected = aboveCommon;
    expected.insert(expected.end(), {"SetTimecycleModifier(\"nextgen\")", "SetTimecycleModifierStrength(1)"});
    EXPECT_EQ(LastZoneCalls(), expected);
    EXPECT_EQ(LastLabel(), "abovecloudzoneend\n");
    FlyTo(1500);
    expected = aboveCommon;
    expected.insert(expected.end(), {"StartTimecycleTransition(\"abovemod\", 20)", "SetTimecycleModifierStrength(1)"});
    EXPECT_EQ(LastZoneCalls(), expected);
    FlyTo(1900);
    expected = aboveCommon;
    expected.push_back("SetTimecycleModifierStrength(1)");
    EXPECT_EQ(LastZoneCalls(), expected);

    // Space-start band: wind down to 0, the weather along a quarter sine, the
    // timed transition to the space modifier on arrival from below.
    FlyTo(2000);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{"SetCloudOpacity(1)", "LoadCloudSet(\"Snowy 01\", 0)", "SetWeatherEffectLevel(0)",
                     "SetWindSpeed(2)", "SineDegrees(0) = 0", "SetWeatherTransition(" + es + ", " + hw + ", 0) = 1",
                     "StartTimecycleTransition(\"spacemod\", 40)", "SetTimecycleModifierStrength(1)"}));
    EXPECT_EQ(LastLabel(), "spacezonestart\n");
    FlyTo(2500);
    const Lines spaceBandMiddle{"SetCloudOpacity(1)",
                                "LoadCloudSet(\"Snowy 01\", 0)",
                                "SetWeatherEffectLevel(0)",
                                "SetWindSpeed(1)",
                                "SineDegrees(45) = " + sine45,
                                "SetWeatherTransition(" + es + ", " + hw + ", " + sine45 + ") = 1",
                                "SetTimecycleModifierStrength(1)"};
    EXPECT_EQ(LastZoneCalls(), spaceBandMiddle);

    // Space: the space weather forced by name, on the first frame only.
    FlyTo(3000);
    const Lines spaceCommon{"SetCloudOpacity(1)", "LoadCloudSet(\"Snowy 01\", 0)", "SetWeatherEffectLevel(0)",
                            "SetWindSpeed(0)", "SetTimecycleModifierStrength(1)"};
    expected = spaceCommon;
    expected.insert(expected.begin(), "SetOverrideWeatherByName(\"HALLOWEEN\")");
    EXPECT_EQ(LastZoneCalls(), expected);
    EXPECT_EQ(LastLabel(), "spacezone\n");
    FlyTo(3500);
    EXPECT_EQ(LastZoneCalls(), spaceCommon);

    // Down again. The space-start band releases the forced weather.
    FlyTo(2500);
    expected = spaceBandMiddle;
    expected.insert(expected.begin(), "ClearOverrideWeather()");
    EXPECT_EQ(LastZoneCalls(), expected);

    // Into the above-clouds zone from above: armed on the first frame, the
    // timed transition on the second.
    FlyTo(1700);
    expected = aboveCommon;
    expected.push_back("SetTimecycleModifierStrength(1)");
    EXPECT_EQ(LastZoneCalls(), expected);
    FlyTo(1650);
    expected = aboveCommon;
    expected.insert(expected.end(), {"StartTimecycleTransition(\"abovemod\", 20)", "SetTimecycleModifierStrength(1)"});
    EXPECT_EQ(LastZoneCalls(), expected);

    FlyTo(1300);
    EXPECT_EQ(LastZoneCalls(), (Lines{"SetTimecycleModifier(\"cloudmod\")", "SetTimecycleModifierStrength(0.5)",
                                      "SetCloudOpacity(0.5)", "LoadCloudSet(\"Snowy 01\", 0)", "SetWindSpeed(3)",
                                      "SetWeatherTransition(" + c + ", " + es + ", 1) = 1"}));

    // The cloud zone hands the wind back again.
    FlyTo(1050);
    EXPECT_EQ(LastZoneCalls(), (Lines{"SetWeatherTransition(" + c + ", " + c + ", 0.25) = 1",
                                      "SetTimecycleModifier(\"cloudmod\")", "SetTimecycleModifierStrength(1)",
                                      "SetWindSpeed(-1)", "GetWindSpeed() = 4", "SetCloudOpacity(0.5)"}));

    // Out of the clouds: the weather's own cloud set and transition pair.
    FlyTo(850);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{"SetTimecycleModifierStrength(0.5)", "GetWindSpeed() = 4", "UnloadCloudSets()",
                     "LoadCloudSet(\"Cloudy 01\", 0)", "ClearOverrideWeather()",
                     "SetWeatherTransition(" + c + ", " + c + ", 0.5) = 1", "SetTimecycleModifier(\"cloudmod\")"}));

    // The normal zone hands the effect level back and sets its modifier.
    FlyTo(40);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{Transition + c + ", " + c + ", 0.5", "SetWeatherEffectLevel(-1)",
                     "SetTimecycleModifier(\"normalmod\")", "SetTimecycleModifierStrength(1)", "GetWindSpeed() = 4"}));
    FlyTo(40);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{Transition + c + ", " + c + ", 0.5", "SetTimecycleModifierStrength(1)", "GetWindSpeed() = 4"}));
    EXPECT_EQ(session->ErrorCount(), 0u);
}

// A weather outside the first six: "horsey" clouds, the wind driven by the
// multipliers from the first band up, and handed back once back down.
TEST_F(ZoneFlight, WeatherOutsideTheFirstSixDrivesWindAndClouds) {
    Start("rain", 40.0f);
    world().gameWindSpeed = 4.0f;
    const std::string r = Hash("rain"), es = Hash("extrasunny");
    FlyTo(40);  // the wind captured in the normal zone is now 4

    FlyTo(850);  // w * 2 * 0.5 + 0.5 * w
    EXPECT_EQ(LastZoneCalls(),
              (Lines{"SetTimecycleModifier(\"nextgen\")", "SetTimecycleModifierStrength(0.5)", "SetWindSpeed(6)"}));
    FlyTo(1050);
    EXPECT_EQ(LastZoneCalls(), (Lines{"SetWeatherTransition(" + r + ", " + r + ", 0.25) = 1",
                                      "SetTimecycleModifier(\"nextgen\")", "SetTimecycleModifierStrength(1)",
                                      "SetCloudOpacity(0.5)", "LoadCloudSet(\"horsey\", 0)", "SetWindSpeed(8)"}));
    FlyTo(1300);  // w * 2 * 0.5 + w * 0.5 * 0.5
    EXPECT_EQ(LastZoneCalls(), (Lines{"SetTimecycleModifier(\"nextgen\")", "SetTimecycleModifierStrength(0.5)",
                                      "SetCloudOpacity(1)", "LoadCloudSet(\"horsey\", 0)", "SetWindSpeed(5)",
                                      "SetWeatherTransition(" + r + ", " + es + ", 1) = 1"}));
    FlyTo(1700);
    EXPECT_EQ(LastZoneCalls()[2], "LoadCloudSet(\"horsey\", 0)");
    EXPECT_EQ(LastZoneCalls()[4], "SetWindSpeed(2)");
    FlyTo(3500);
    EXPECT_EQ(LastZoneCalls()[2], "LoadCloudSet(\"horsey\", 0)");

    // Down: the cloud zone keeps setting the wind (no hand-back there for
    // this weather); the normal zone hands it back, once.
    FlyTo(1050);
    EXPECT_EQ(CountCalls(session->Frame(), "SetWindSpeed"), 1);
    EXPECT_EQ(LastZoneCalls().back(), "SetWindSpeed(8)");
    FlyTo(850);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{"SetTimecycleModifierStrength(0.5)", "SetWindSpeed(6)", "UnloadCloudSets()",
                     "LoadCloudSet(\"Snowy 01\", 0)", "ClearOverrideWeather()",
                     "SetWeatherTransition(" + r + ", " + r + ", 0.5) = 1", "SetTimecycleModifier(\"nextgen\")"}));
    FlyTo(40);
    EXPECT_EQ(LastZoneCalls(),
              (Lines{Transition + r + ", " + r + ", 0.5", "SetWindSpeed(-1)", "SetWeatherEffectLevel(-1)",
                     "SetTimecycleModifier(\"nextgen\")", "SetTimecycleModifierStrength(1)", "GetWindSpeed() = 4"}));
    FlyTo(40);
    EXPECT_EQ(CountCalls(session->Frame(), "SetWindSpeed"), 0);
}

// DefaultWind leaves the wind to the game in every zone, while the captured
// speed (the base of the multipliers) is still read.
TEST_F(ZoneFlight, DefaultWindNeverSetsTheWind) {
    WriteFile("atmosphere.ini", "[GLOBAL]\nDefaultWind=1\n");
    Start("rain", 40.0f);
    for (const float altitude : {850.0f, 1050.0f, 1300.0f, 1700.0f, 2500.0f, 3500.0f, 850.0f, 1050.0f, 40.0f}) {
        FlyTo(altitude);
        EXPECT_EQ(CountCalls(session->Frame(), "SetWindSpeed"), 0) << "at " << altitude;
    }
    EXPECT_EQ(LastZoneCalls().back(), "GetWindSpeed() = 3");
}

// The normal zone's hand-back counts as done even while DefaultWind silences
// it: after the file turns DefaultWind off, a jump straight into the cloud
// zone of a first-six weather makes no hand-back of its own.
TEST_F(ZoneFlight, SilencedWindHandBackStillCountsAsDone) {
    WriteFile("atmosphere.ini", "[GLOBAL]\nDefaultWind=1\n");
    Start("rain", 40.0f);
    FlyTo(850);  // clears the hand-back
    FlyTo(40);   // made, silently
    WriteFile("atmosphere.ini", "[GLOBAL]\nDefaultWind=0\n");
    session->PressKey(0x2E);
    world().transitionFrom = world().transitionTo = sim::GameHash("clouds");
    FlyTo(40);
    FlyTo(1050);
    EXPECT_EQ(LastLabel(), "cloudzoneend\n");
    EXPECT_EQ(CountCalls(session->Frame(), "SetWindSpeed"), 0);
}

// The ladder is evaluated afresh from the altitude each frame, so a teleport
// up skips rungs and only the arrival actions of the exact previous zone run.
TEST_F(ZoneFlight, UpwardTeleportsSkipRungsAndTheirArrivalActions) {
    WriteFile("atmosphere.ini", NamedCloudsFile);
    Start("clouds", 40.0f);

    // Ground to the cloud zone: no cloud-start arrival, and a modifier is
    // active, so the cloud modifier is not set.
    FlyTo(1050);
    EXPECT_EQ(CountCalls(session->Frame(), "SetTimecycleModifier"), 0);
    EXPECT_EQ(LastLabel(), "cloudzoneend\n");
    // Cloud zone straight to space: the forced weather on the first frame.
    FlyTo(5000);
    EXPECT_EQ(LastZoneCalls().front(), "SetOverrideWeatherByName(\"HALLOWEEN\")");

    // With no modifier active, every rung sets its own whatever the previous.
    FlyTo(40);
    world().SetTimecycleModifier("");
    FlyTo(1700);
    EXPECT_EQ(LastZoneCalls()[5], "SetTimecycleModifier(\"abovemod\")");
    world().SetTimecycleModifier("");
    FlyTo(4000);
    EXPECT_EQ(LastZoneCalls()[5], "SetTimecycleModifier(\"spacemod\")");
}

// A fall from space to the ground in one frame (a respawn) first makes the
// hand-backs of the rungs it skipped, highest first: the space-start band's
// release of the forced weather, the cloud zone's wind, the cloud-start
// band's own clouds and transition; then the normal zone acts as if the
// player came from the band just above it.
TEST_F(ZoneFlight, FallFromSpaceToTheGroundHandsEverythingBack) {
    WriteFile("atmosphere.ini", NamedCloudsFile);
    Start("clouds", 40.0f);
    for (float altitude = 100.0f; altitude <= 3500.0f; altitude += 100.0f) FlyTo(altitude);
    ASSERT_EQ(world().overrideWeather, "HALLOWEEN");
    FlyTo(40);
    const std::string c = Hash("clouds");
    EXPECT_EQ(
        LastZoneCalls(),
        (Lines{"ClearOverrideWeather()", "SetWindSpeed(-1)", "UnloadCloudSets()", "LoadCloudSet(\"Cloudy 01\", 0)",
               "ClearOverrideWeather()", "SetWeatherTransition(" + c + ", " + c + ", 1) = 1",
               "SetTimecycleModifier(\"cloudmod\")", Transition + c + ", " + c + ", 1", "SetWeatherEffectLevel(-1)",
               "SetTimecycleModifier(\"normalmod\")", "SetTimecycleModifierStrength(1)", "GetWindSpeed() = 3"}));
    EXPECT_EQ(LastLabel(), "normalzone\n");
}

// Whatever rungs a fall skips, the game is left as a frame-by-frame descent
// to the same altitude leaves it, for a weather whose clouds and wind the
// game keeps low down and for one whose the module drives.
TEST_F(ZoneFlight, FallsLeaveTheGameAsAFrameByFrameDescentDoes) {
    // The middle of each rung with the default thresholds, lowest first.
    constexpr float RungAltitude[] = {400.0f, 850.0f, 1050.0f, 1300.0f, 1700.0f, 2500.0f, 3500.0f};
    struct Left {
        std::string forced, clouds;
        uint32_t from, to;
        float wind, effectLevel;
        bool operator==(const Left&) const = default;
    };
    const auto fly = [&](const char* weather, int top, int landing, bool fall) {
        Start(weather, RungAltitude[0]);
        for (float altitude = RungAltitude[0]; altitude < RungAltitude[top]; altitude += 25.0f) FlyTo(altitude);
        for (float altitude = RungAltitude[top]; !fall && altitude > RungAltitude[landing]; altitude -= 25.0f) {
            FlyTo(altitude);
        }
        FlyTo(RungAltitude[landing]);
        const sim::World& w = world();
        const Left left{w.overrideWeather, w.cloudSet,          w.transitionFrom,
                        w.transitionTo,    w.windSpeedOverride, w.effectLevel};
        TearDown();
        SetUp();
        return left;
    };
    for (const char* weather : {"clouds", "thunder"}) {
        for (int top = 2; top < 7; ++top) {
            for (int landing = 0; landing + 1 < top; ++landing) {
                const Left descent = fly(weather, top, landing, false);
                const Left fall = fly(weather, top, landing, true);
                EXPECT_EQ(fall, descent) << weather << " from rung " << top << " to rung " << landing << ": forced "
                                         << fall.forced << "/" << descent.forced << ", clouds " << fall.clouds << "/"
                                         << descent.clouds << ", wind " << fall.wind << "/" << descent.wind
                                         << ", effect " << fall.effectLevel << "/" << descent.effectLevel;
            }
        }
    }
}

// Leaving the above-clouds zone after its first frame keeps the timed
// transition pending until the next frame spent there.
TEST_F(ZoneFlight, PendingTimedTransitionWaitsForTheNextFrameAboveTheClouds) {
    WriteFile("atmosphere.ini", NamedCloudsFile);
    Start("clouds", 1300.0f);
    FlyTo(1500);  // arrives from the band below: armed
    FlyTo(1300);
    FlyTo(900);
    EXPECT_EQ(session->TraceText().find("StartTimecycleTransition(\"abovemod\""), std::string::npos);
    FlyTo(1300);
    FlyTo(1500);  // from the band below again: fires the pending one, arms anew
    EXPECT_EQ(CountCalls(session->Frame(), "StartTimecycleTransition"), 1);
    EXPECT_EQ(CountCalls(session->Frame(), "SetTimecycleModifier"), 1);
    FlyTo(1500);
    EXPECT_EQ(CountCalls(session->Frame(), "StartTimecycleTransition"), 1);
    FlyTo(1500);
    EXPECT_EQ(CountCalls(session->Frame(), "StartTimecycleTransition"), 0);

    // Armed, left after one frame, and re-entered straight from the cloud
    // zone: the pending transition starts, and nothing is armed anew.
    FlyTo(1300);
    FlyTo(1500);
    FlyTo(900);
    FlyTo(1500);
    EXPECT_EQ(CountCalls(session->Frame(), "StartTimecycleTransition"), 1);
    EXPECT_EQ(CountCalls(session->Frame(), "SetTimecycleModifier"), 0);
    FlyTo(1500);
    EXPECT_EQ(CountCalls(session->Frame(), "StartTimecycleTransition"), 0);
}

// In a vehicle the altitude is the vehicle's, not the character's.
TEST_F(ZoneFlight, VehicleAltitudeCountsWhileThePlayerSitsInIt) {
    Start("clouds", 40.0f);
    world().EnterVehicle();
    world().SetVehicleAltitude(1050.0f);
    world().playerPosition.z = 40.0f;
    RunFrames(1);
    const Lines calls = LastCalls();
    const auto source = std::find(calls.begin(), calls.end(), "IsCharacterInVehicle(257, 0) = 1");
    ASSERT_NE(source, calls.end());
    EXPECT_EQ(source[1], "CharacterVehicle(257) = 514");
    EXPECT_EQ(source[2].rfind("EntityPosition(514, 0) = ", 0), 0u) << source[2];
    EXPECT_EQ(LastLabel(), "cloudzoneend\n");

    world().LeaveVehicle();
    world().SetPlayerAltitude(40.0f);
    RunFrames(1);
    EXPECT_EQ(LastLabel(), "normalzone\n");
    EXPECT_EQ(CountCalls(session->Frame(), "CharacterVehicle"), 0);
}

// Above the normal zone the row stays the one in use when the player left
// it; back down, the ladder still uses that row (R) while the ramp and the
// modifier use the row chosen in the same frame (R').
TEST_F(ZoneFlight, WeatherChangeAboveTheNormalZoneWaitsForTheGround) {
    WriteFile("atmosphere.ini",
              "[CLOUDS]\nNormalZoneTimecycleModifier=cloudsnormal\n"
              "[RAIN]\nNormalZoneEnd=720\nCloudZoneStart=730\nNormalZoneTimecycleModifier=rainnormal\n");
    Start("clouds", 40.0f);
    FlyTo(850);
    world().transitionFrom = world().transitionTo = sim::GameHash("rain");
    world().transitionFraction = 0.0f;
    FlyTo(850);  // CLOUDS thresholds still: the cloud-start band
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");
    EXPECT_EQ(CountCalls(session->Frame(), "GetWeatherTransition"), 0);

    // 760 is below CLOUDS' 800, so the normal zone; there RAIN is chosen,
    // whose 720 lies below the player: the ramp would be negative.
    FlyTo(760);
    EXPECT_EQ(LastLabel(), "normalzone\n");
    EXPECT_EQ(LastZoneCalls(),
              (Lines{Transition + Hash("rain") + ", " + Hash("rain") + ", 0", "SetTimecycleModifier(\"rainnormal\")",
                     "SetTimecycleModifierStrength(0)", "GetWindSpeed() = 3"}));
    // From now on RAIN's thresholds place the player.
    FlyTo(760);
    EXPECT_EQ(LastLabel(), "cloudzoneend\n");
    FlyTo(700);  // (720 - 700) * 0.02
    EXPECT_THAT(LastZoneCalls(), Contains("SetTimecycleModifierStrength(" + Float(20.0f * 0.02f) + ")"));
}

// The normal zone's ramp over its last 50 units, on both sides of its edge.
TEST_F(ZoneFlight, NormalZoneRampFadesOverItsLastFiftyUnits) {
    Start("clouds", 40.0f);
    const std::pair<float, std::string> ramp[] = {
        {750.0f, "1"}, {775.0f, "0.5"}, {799.0f, Float(1.0f * 0.02f)}, {700.0f, "1"}};
    for (const auto& [altitude, strength] : ramp) {
        FlyTo(altitude);
        EXPECT_EQ(LastZoneCalls()[1], "SetTimecycleModifierStrength(" + strength + ")") << "at " << altitude;
    }
    // The edges: the threshold itself is in the band, at fraction 0; the
    // space zone starts at its threshold.
    FlyTo(800);
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");
    EXPECT_EQ(LastZoneCalls()[1], "SetTimecycleModifierStrength(0)");
    FlyTo(3000);
    EXPECT_EQ(LastLabel(), "spacezone\n");
}

// Thresholds out of order are not rejected: the fixed order of the tests
// makes some rungs unreachable, and no band divides by zero.
TEST_F(ZoneFlight, ThresholdsOutOfOrderMakeRungsUnreachable) {
    WriteFile("atmosphere.ini", "[CLOUDS]\nCloudZoneStart=700\nAboveCloudsZoneStart=1200\n");
    Start("clouds", 40.0f);
    std::vector<std::string> labels;
    for (float altitude = 40.0f; altitude <= 3500.0f; altitude += 10.0f) {
        FlyTo(altitude);
        if (labels.empty() || labels.back() != LastLabel()) labels.push_back(LastLabel());
    }
    EXPECT_EQ(labels,
              (Lines{"normalzone\n", "cloudzoneend\n", "abovecloudzoneend\n", "spacezonestart\n", "spacezone\n"}));
    // 850 in the cloud zone between 700 and 1200: f = 0.3.
    FlyTo(850, 2);
    EXPECT_EQ(LastZoneCalls()[0], "SetWeatherTransition(" + Hash("clouds") + ", " + Hash("clouds") + ", " +
                                      Float((150.0f / 500.0f) * (1.0f - 150.0f / 500.0f)) + ") = 1");
}

// A NaN altitude fails the first test and lands in the normal zone at full
// strength.
TEST_F(ZoneFlight, NanAltitudeLandsInTheNormalZone) {
    Start("clouds", 1050.0f);
    FlyTo(std::numeric_limits<float>::quiet_NaN(), 2);
    EXPECT_EQ(LastLabel(), "normalzone\n");
    EXPECT_EQ(LastZoneCalls()[1], "SetTimecycleModifierStrength(1)");
}

// Infinite or NaN thresholds read from a file would put NaN or values outside
// 0..1 into strengths, opacities, winds and transitions: every band fraction
// is kept in 0..1, with NaN as 0.
TEST_F(ZoneFlight, BandFractionsFromInfiniteOrNanThresholdsStayInRange) {
    WriteFile("atmosphere.ini",
              "[CLOUDS]\nNormalZoneEnd=-inf\n"
              "[RAIN]\nCloudZoneStart=nan\n"
              "[SNOW]\nCloudZoneEnd=inf\n"
              "[FOGGY]\nAboveCloudsZoneEnd=-inf\nSpaceZoneStart=inf\n");
    // -inf to 900: (40 + inf) / (900 + inf) is NaN.
    Start("clouds", 40.0f);
    FlyTo(40);
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");
    EXPECT_EQ(LastZoneCalls()[0], "SetTimecycleModifierStrength(0)");
    session.reset();

    // 800 to NaN: the band is entered (alt >= NaN fails) with a NaN width.
    ResetAtmosphereModule();
    Start("rain", 850.0f);
    EXPECT_EQ(LastLabel(), "cloudzonestart\n");
    // The captured wind is still its load-time 1: no normal-zone frame yet.
    EXPECT_EQ(LastZoneCalls(),
              (Lines{"SetTimecycleModifier(\"nextgen\")", "SetTimecycleModifierStrength(0)", "SetWindSpeed(1)"}));
    session.reset();

    // 900 to inf: f = 0, every frame of the climb.
    ResetAtmosphereModule();
    Start("snow", 5000.0f);
    EXPECT_EQ(LastLabel(), "cloudzoneend\n");
    EXPECT_EQ(LastZoneCalls()[0], "SetWeatherTransition(" + Hash("snow") + ", " + Hash("snow") + ", 0) = 1");
    session.reset();

    // -inf to inf in the space-start band: NaN, so the sine of 0.
    ResetAtmosphereModule();
    Start("foggy", 1500.0f);
    EXPECT_EQ(LastLabel(), "spacezonestart\n");
    const Lines calls = LastZoneCalls();
    EXPECT_THAT(calls, Contains("SineDegrees(0) = 0"));
    EXPECT_THAT(calls, Contains("SetWindSpeed(0.5)"));
    for (const std::string& call : calls) EXPECT_EQ(call.find("nan"), std::string::npos) << call;
}

// Exactly one zone at a time: after every evaluation one flag is set.
TEST_F(ZoneFlight, ExactlyOneZoneFlagAfterEveryEvaluation) {
    Start("clouds", 40.0f);
    for (const float altitude : {850.0f, 1000.0f, 1300.0f, 1500.0f, 2500.0f, 3500.0f, 40.0f, 2500.0f}) {
        FlyTo(altitude);
        const ZoneFlags& z = Zone.ZoneState;
        EXPECT_EQ(z.inNormalZone + z.inCloudZoneStart + z.inCloudZone + z.inAboveCloudsZoneStart + z.inAboveCloudsZone +
                      z.inSpaceZoneStart + z.inSpaceZone,
                  1)
            << "at " << altitude;
    }
}

}  // namespace
