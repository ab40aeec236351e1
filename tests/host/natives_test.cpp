// The native-call layer against the simulated host: each wrapper issues its
// hash with its arguments in order and encoded as the host expects, and reads
// its result from the right bytes. The simulator's table of argument kinds is
// written separately from the layer, so each checks the other.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/natives.h"
#include "sim/session.h"

namespace {

using sim::TraceValue;
namespace h = natives::hash;

class NativesTest : public ::testing::Test {
protected:
    // The one native event a wrapper call left in the trace.
    sim::TraceEvent OnlyCall() {
        std::vector<sim::TraceEvent> calls;
        for (const sim::TraceEvent& event : session.Trace()) {
            if (event.kind == sim::TraceKind::Native) calls.push_back(event);
        }
        EXPECT_EQ(calls.size(), 1u);
        return calls.empty() ? sim::TraceEvent{} : calls.front();
    }

    sim::Session session;
};

TEST_F(NativesTest, ArgumentEncodingPutsIntsAndFloatBitsInTheLowHalf) {
    EXPECT_EQ(natives::EncodeFloat(1.0f), 0x3F800000ull);
    EXPECT_EQ(natives::EncodeFloat(-1.0f), 0xBF800000ull);
    EXPECT_EQ(natives::EncodeFloat(0.0f), 0ull);
    EXPECT_EQ(natives::EncodeFloat(-0.0f), 0x80000000ull);
    EXPECT_EQ(natives::EncodeInt(-1), 0x00000000FFFFFFFFull);
    EXPECT_EQ(natives::EncodeInt(205), 205ull);
    EXPECT_EQ(natives::EncodeInt(INT32_MIN), 0x0000000080000000ull);
}

struct WrapperCase {
    const char* label;
    std::function<void()> call;
    uint64_t hash;
    std::vector<TraceValue> arguments;
};

TEST_F(NativesTest, EveryWrapperPushesItsArgumentsInOrder) {
    const float f = 0.3125f;
    const std::vector<WrapperCase> cases = {
        {"WeatherNameHash",
         [] { natives::WeatherNameHash("clouds"); },
         h::WeatherNameHash,
         {TraceValue::Text("clouds")}},
        {"SetWeatherTransition",
         [] { natives::SetWeatherTransition(0xDEADBEEF, 7, 0.75f); },
         h::SetWeatherTransition,
         {TraceValue::Hex(0xDEADBEEF), TraceValue::Hex(7), TraceValue::Float(0.75f)}},
        {"ClearOverrideWeather", [] { natives::ClearOverrideWeather(); }, h::ClearOverrideWeather, {}},
        {"SetOverrideWeatherByName",
         [] { natives::SetOverrideWeatherByName("HALLOWEEN"); },
         h::SetOverrideWeatherByName,
         {TraceValue::Text("HALLOWEEN")}},
        {"SetWeatherEffectLevel",
         [] { natives::SetWeatherEffectLevel(-1.0f); },
         h::SetWeatherEffectLevel,
         {TraceValue::Float(-1.0f)}},
        {"FlashLightning", [] { natives::FlashLightning(); }, h::FlashLightning, {}},
        {"LoadCloudSet",
         [] { natives::LoadCloudSet("Snowy 01"); },
         h::LoadCloudSet,
         {TraceValue::Text("Snowy 01"), TraceValue::Float(0.0f)}},
        {"UnloadCloudSets", [] { natives::UnloadCloudSets(); }, h::UnloadCloudSets, {}},
        {"SetCloudOpacity", [f] { natives::SetCloudOpacity(f); }, h::SetCloudOpacity, {TraceValue::Float(f)}},
        {"SetTimecycleModifier",
         [] { natives::SetTimecycleModifier("nextgen"); },
         h::SetTimecycleModifier,
         {TraceValue::Text("nextgen")}},
        {"StartTimecycleTransition",
         [] { natives::StartTimecycleTransition("space", 4.5f); },
         h::StartTimecycleTransition,
         {TraceValue::Text("space"), TraceValue::Float(4.5f)}},
        {"SetTimecycleModifierStrength",
         [] { natives::SetTimecycleModifierStrength(0.02f); },
         h::SetTimecycleModifierStrength,
         {TraceValue::Float(0.02f)}},
        {"ClearTimecycleModifier", [] { natives::ClearTimecycleModifier(); }, h::ClearTimecycleModifier, {}},
        {"GetTimecycleModifierIndex", [] { natives::GetTimecycleModifierIndex(); }, h::GetTimecycleModifierIndex, {}},
        {"SetWindSpeed", [] { natives::SetWindSpeed(-1.0f); }, h::SetWindSpeed, {TraceValue::Float(-1.0f)}},
        {"GetWindSpeed", [] { natives::GetWindSpeed(); }, h::GetWindSpeed, {}},
        {"SineDegrees", [] { natives::SineDegrees(45.0f); }, h::SineDegrees, {TraceValue::Float(45.0f)}},
        {"PlayerCharacter", [] { natives::PlayerCharacter(); }, h::PlayerCharacter, {}},
        {"IsCharacterInVehicle",
         [] { natives::IsCharacterInVehicle(257); },
         h::IsCharacterInVehicle,
         {TraceValue::Int(257), TraceValue::Int(0)}},
        {"CharacterVehicle", [] { natives::CharacterVehicle(257); }, h::CharacterVehicle, {TraceValue::Int(257)}},
        {"EntityAltitude",
         [] { natives::EntityAltitude(514); },
         h::EntityPosition,
         {TraceValue::Int(514), TraceValue::Int(0)}},
        {"IsEntityTagRegistered",
         [] { natives::IsEntityTagRegistered("fileindex", 3); },
         h::IsEntityTagRegistered,
         {TraceValue::Text("fileindex"), TraceValue::Int(3)}},
        {"ReadIntegerEntityTag",
         [] { natives::ReadIntegerEntityTag(257, "fileindex"); },
         h::ReadIntegerEntityTag,
         {TraceValue::Int(257), TraceValue::Text("fileindex")}},
        {"ReadBooleanEntityTag",
         [] { natives::ReadBooleanEntityTag(257, "\"reload\""); },
         h::ReadBooleanEntityTag,
         {TraceValue::Int(257), TraceValue::Text("\"reload\"")}},
        {"SetBooleanEntityTag",
         [] { natives::SetBooleanEntityTag(257, "\"enabled\"", 0); },
         h::SetBooleanEntityTag,
         {TraceValue::Int(257), TraceValue::Text("\"enabled\""), TraceValue::Int(0)}},
        {"TextFont", [] { natives::TextFont(0); }, h::TextFont, {TraceValue::Int(0)}},
        {"TextScale",
         [] { natives::TextScale(0.33f, 0.5f); },
         h::TextScale,
         {TraceValue::Float(0.33f), TraceValue::Float(0.5f)}},
        {"TextColour",
         [] { natives::TextColor(255, 128, 1, 255); },
         h::TextColor,
         {TraceValue::Int(255), TraceValue::Int(128), TraceValue::Int(1), TraceValue::Int(255)}},
        {"TextWrap",
         [] { natives::TextWrap(0.0f, 1.0f); },
         h::TextWrap,
         {TraceValue::Float(0.0f), TraceValue::Float(1.0f)}},
        {"TextShadow",
         [] { natives::TextShadow(3, 0, 0, 0, 0); },
         h::TextShadow,
         {TraceValue::Int(3), TraceValue::Int(0), TraceValue::Int(0), TraceValue::Int(0), TraceValue::Int(0)}},
        {"TextEdge",
         [] { natives::TextEdge(1, 0, 0, 0, 205); },
         h::TextEdge,
         {TraceValue::Int(1), TraceValue::Int(0), TraceValue::Int(0), TraceValue::Int(0), TraceValue::Int(205)}},
        {"BeginTextDraw", [] { natives::BeginTextDraw("STRING"); }, h::BeginTextDraw, {TraceValue::Text("STRING")}},
        {"AddText", [] { natives::AddText("line\none"); }, h::AddText, {TraceValue::Text("line\none")}},
        {"DrawTextAt",
         [] { natives::DrawTextAt(0.5f, 0.5886f); },
         h::DrawTextAt,
         {TraceValue::Float(0.5f), TraceValue::Float(0.5886f)}},
    };
    for (const WrapperCase& c : cases) {
        SCOPED_TRACE(c.label);
        session.ClearTrace();
        c.call();
        const sim::TraceEvent call = OnlyCall();
        EXPECT_EQ(call.hash, c.hash);
        EXPECT_EQ(call.arguments, c.arguments);
    }
    // GetWeatherTransition is the one with out-parameters.
    uint32_t from = 0, to = 0;
    float fraction = 0.0f;
    session.ClearTrace();
    natives::GetWeatherTransition(&from, &to, &fraction);
    EXPECT_EQ(OnlyCall().arguments, (std::vector<TraceValue>{TraceValue::Out(), TraceValue::Out(), TraceValue::Out()}));
    EXPECT_EQ(cases.size() + 1, 35u) << "one case per native";
}

TEST_F(NativesTest, ResultsAreReadFromTheLowFourBytesOfSlotZero) {
    // The simulator fills the high halves with noise: reading 8 bytes would show.
    EXPECT_EQ(natives::WeatherNameHash("clouds"), sim::GameHash("clouds"));
    EXPECT_EQ(natives::PlayerCharacter(), sim::PlayerCharacterHandle);
    session.world().timecycleIndex = -1;
    EXPECT_EQ(natives::GetTimecycleModifierIndex(), -1);
    session.world().gameWindSpeed = 7.25f;
    EXPECT_EQ(natives::GetWindSpeed(), 7.25f);
    EXPECT_FLOAT_EQ(natives::SineDegrees(30.0f), 0.5f);
    EXPECT_EQ(natives::IsCharacterInVehicle(sim::PlayerCharacterHandle), 0);
    session.world().EnterVehicle();
    EXPECT_NE(natives::IsCharacterInVehicle(sim::PlayerCharacterHandle), 0);
    EXPECT_EQ(natives::CharacterVehicle(sim::PlayerCharacterHandle), sim::VehicleHandle);
}

TEST_F(NativesTest, AltitudeIsTheFloatAtByteOffset16) {
    sim::World& world = session.world();
    world.playerPosition = {11.5f, -22.25f, 812.75f};
    world.vehiclePosition = {33.0f, 44.0f, 1500.5f};
    EXPECT_EQ(natives::EntityAltitude(sim::PlayerCharacterHandle), 812.75f);
    EXPECT_EQ(natives::EntityAltitude(sim::VehicleHandle), 1500.5f);
    const sim::TraceEvent& call = session.Trace().back();
    EXPECT_EQ(call.results, (std::vector<TraceValue>{TraceValue::Float(33.0f), TraceValue::Float(44.0f),
                                                     TraceValue::Float(1500.5f)}));
}

TEST_F(NativesTest, OutParametersAreWrittenByTheHost) {
    sim::World& world = session.world();
    world.transitionFrom = sim::GameHash("rain");
    world.transitionTo = sim::GameHash("thunder");
    world.transitionFraction = 0.625f;
    uint32_t from = 1, to = 2;
    float fraction = -3.0f;
    natives::GetWeatherTransition(&from, &to, &fraction);
    EXPECT_EQ(from, sim::GameHash("rain"));
    EXPECT_EQ(to, sim::GameHash("thunder"));
    EXPECT_EQ(fraction, 0.625f);
}

TEST_F(NativesTest, SettersChangeTheWorld) {
    sim::World& world = session.world();
    natives::SetWeatherTransition(sim::GameHash("clouds"), sim::GameHash("snow"), 0.25f);
    EXPECT_EQ(world.transitionFrom, sim::GameHash("clouds"));
    EXPECT_EQ(world.transitionTo, sim::GameHash("snow"));
    EXPECT_EQ(world.transitionFraction, 0.25f);
    natives::SetWindSpeed(12.5f);
    EXPECT_EQ(natives::GetWindSpeed(), 12.5f);
    natives::SetWindSpeed(-1.0f);
    EXPECT_EQ(natives::GetWindSpeed(), world.gameWindSpeed) << "-1 hands the wind back";
    natives::SetOverrideWeatherByName("HALLOWEEN");
    EXPECT_EQ(world.overrideWeatherHash, sim::GameHash("halloween"));
    natives::ClearOverrideWeather();
    EXPECT_TRUE(world.overrideWeather.empty());
    natives::SetWeatherEffectLevel(0.0f);
    EXPECT_EQ(world.effectLevel, 0.0f);
    natives::SetWeatherEffectLevel(-1.0f);
    EXPECT_EQ(world.effectLevel, -1.0f);
}

}  // namespace
