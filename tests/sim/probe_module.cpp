// The probe module's script: the same sequence of calls on every platform,
// with arguments derived from the frame, the world's answers, the clock and
// rand(), so that any difference between the two hosts shows in the trace.
#include "tests/sim/probe_module.h"

#include <cstdio>

#include "host/key_state.h"
#include "host/natives.h"
#include "platform/platform.h"

namespace {

constexpr uint32_t ProbeKey = 0x51;

int pass = 0;    // passes begun since load
char line[128];  // the text drawn this pass; static, as the host reads it by pointer

void ProbePass() {
    ++pass;
    const int32_t player = natives::PlayerCharacter();
    const int32_t entity = natives::IsCharacterInVehicle(player) != 0 ? natives::CharacterVehicle(player) : player;
    const float altitude = natives::EntityAltitude(entity);

    uint32_t from = 0, to = 0;
    float fraction = 0.0f;
    natives::GetWeatherTransition(&from, &to, &fraction);
    natives::SetWeatherTransition(from, natives::WeatherNameHash("clouds"), fraction + 0.1f * static_cast<float>(pass));
    natives::SetOverrideWeatherByName(pass % 2 != 0 ? "HALLOWEEN" : "XMAS");
    natives::ClearOverrideWeather();

    natives::LoadCloudSet("Snowy 01");
    natives::SetCloudOpacity(altitude / 3000.0f);
    if (pass % 3 == 0) natives::UnloadCloudSets();

    natives::SetTimecycleModifier(pass % 2 != 0 ? "nextgen" : "cloudy");
    natives::StartTimecycleTransition("space", 0.05f);
    natives::SetTimecycleModifierStrength(1.0f / static_cast<float>(pass + 2));
    const int32_t modifier = natives::GetTimecycleModifierIndex();
    if (pass % 3 == 0) natives::ClearTimecycleModifier();

    natives::SetWindSpeed(pass % 4 == 0 ? -1.0f : natives::GetWindSpeed() * 1.5f);
    natives::SetWeatherEffectLevel(pass % 2 != 0 ? 0.0f : -1.0f);

    const int random = platform::Random();
    if (random % 3 == 0) natives::FlashLightning();
    const float sine = natives::SineDegrees(static_cast<float>(random % 360) + 0.5f);

    if (natives::IsEntityTagRegistered("\"reload\"", natives::EntityTagTypeBoolean) != 0 &&
        natives::ReadBooleanEntityTag(player, "\"reload\"") == 1) {
        natives::SetBooleanEntityTag(player, "\"reload\"", 0);
    }
    const int32_t fileIndex = natives::IsEntityTagRegistered("fileindex", natives::EntityTagTypeInteger) != 0
                                  ? natives::ReadIntegerEntityTag(player, "fileindex")
                                  : -1;
    const bool released = ConsumeKeyRelease(ProbeKey);

    std::snprintf(line, sizeof line, "pass %d tick %u key %d modifier %d altitude %.2f sine %.6f file %d\n", pass,
                  static_cast<unsigned>(platform::TickCount()), released ? 1 : 0, static_cast<int>(modifier),
                  static_cast<double>(altitude), static_cast<double>(sine), static_cast<int>(fileIndex));
    natives::TextFont(0);
    natives::TextScale(0.33f, 0.33f);
    natives::TextColor(random & 0xFF, 128, 64, 255);
    natives::TextWrap(0.0f, 1.0f);
    natives::TextShadow(3, 0, 0, 0, 0);
    natives::TextEdge(1, 0, 0, 0, 205);
    natives::BeginTextDraw("STRING");
    natives::AddText(line);
    natives::DrawTextAt(0.5f, 0.5f + 0.33f * 0.2686f * static_cast<float>(pass % 6));
}

void ProbeScript() {
    for (;;) {
        ProbePass();
        scriptWait(0);
    }
}

}  // namespace

int ProbeModuleEntry(ModuleHandle instance, uint32_t reason, void*) {
    if (reason == 1) {
        scriptRegister(instance, ProbeScript);
        keyboardHandlerRegister(RecordKeyMessage);
    } else if (reason == 0) {
        natives::ClearOverrideWeather();
        scriptUnregister(instance);
        keyboardHandlerUnregister(RecordKeyMessage);
    }
    return 1;
}

void ResetProbeModule() {
    pass = 0;
    line[0] = '\0';
    ResetKeyStateTable();
}
