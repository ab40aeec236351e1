// The native-call layer over the host's nativeInit / nativePush64 / nativeCall.
#include "host/natives.h"

#include <bit>
#include <cstring>

#include "host/host_api.h"

namespace natives {
namespace {

uint64_t EncodePointer(const void* pointer) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(pointer)); }

// Pushes each argument in order; each is already a 64-bit value.
template <typename... Arguments> uint64_t* Call(uint64_t nativeHash, Arguments... arguments) {
    nativeInit(nativeHash);
    (nativePush64(arguments), ...);
    return nativeCall();
}

int32_t IntResult(const uint64_t* slots) { return static_cast<int32_t>(static_cast<uint32_t>(slots[0])); }

float FloatAt(const uint64_t* slots, size_t byteOffset) {
    float value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(slots) + byteOffset, sizeof value);
    return value;
}

}  // namespace

uint64_t EncodeInt(int32_t value) { return static_cast<uint64_t>(static_cast<uint32_t>(value)); }
uint64_t EncodeFloat(float value) { return static_cast<uint64_t>(std::bit_cast<uint32_t>(value)); }

uint32_t WeatherNameHash(const char* lowerCaseName) {
    return static_cast<uint32_t>(IntResult(Call(hash::WeatherNameHash, EncodePointer(lowerCaseName))));
}

void GetWeatherTransition(uint32_t* fromHash, uint32_t* toHash, float* fraction) {
    Call(hash::GetWeatherTransition, EncodePointer(fromHash), EncodePointer(toHash), EncodePointer(fraction));
}

int32_t SetWeatherTransition(uint32_t fromHash, uint32_t toHash, float fraction) {
    return IntResult(Call(hash::SetWeatherTransition, uint64_t{fromHash}, uint64_t{toHash}, EncodeFloat(fraction)));
}

void ClearOverrideWeather() { Call(hash::ClearOverrideWeather); }

void SetOverrideWeatherByName(const char* upperCaseName) {
    Call(hash::SetOverrideWeatherByName, EncodePointer(upperCaseName));
}

void SetWeatherEffectLevel(float level) { Call(hash::SetWeatherEffectLevel, EncodeFloat(level)); }

void FlashLightning() { Call(hash::FlashLightning); }

void LoadCloudSet(const char* cloudSetName) {
    Call(hash::LoadCloudSet, EncodePointer(cloudSetName), EncodeFloat(0.0f));
}

void UnloadCloudSets() { Call(hash::UnloadCloudSets); }

void SetCloudOpacity(float opacity) { Call(hash::SetCloudOpacity, EncodeFloat(opacity)); }

void SetTimecycleModifier(const char* modifierName) { Call(hash::SetTimecycleModifier, EncodePointer(modifierName)); }

void StartTimecycleTransition(const char* modifierName, float seconds) {
    Call(hash::StartTimecycleTransition, EncodePointer(modifierName), EncodeFloat(seconds));
}

void SetTimecycleModifierStrength(float strength) { Call(hash::SetTimecycleModifierStrength, EncodeFloat(strength)); }

void ClearTimecycleModifier() { Call(hash::ClearTimecycleModifier); }

int32_t GetTimecycleModifierIndex() { return IntResult(Call(hash::GetTimecycleModifierIndex)); }

void SetWindSpeed(float speed) { Call(hash::SetWindSpeed, EncodeFloat(speed)); }

float GetWindSpeed() { return FloatAt(Call(hash::GetWindSpeed), 0); }

float SineDegrees(float degrees) { return FloatAt(Call(hash::SineDegrees, EncodeFloat(degrees)), 0); }

int32_t PlayerCharacter() { return IntResult(Call(hash::PlayerCharacter)); }

int32_t IsCharacterInVehicle(int32_t character) {
    return IntResult(Call(hash::IsCharacterInVehicle, EncodeInt(character), EncodeInt(0)));
}

int32_t CharacterVehicle(int32_t character) { return IntResult(Call(hash::CharacterVehicle, EncodeInt(character))); }

float EntityAltitude(int32_t entity) {
    // The position is a vector of 8-byte-aligned components: z starts at byte 16.
    return FloatAt(Call(hash::EntityPosition, EncodeInt(entity), EncodeInt(0)), 16);
}

int32_t IsEntityTagRegistered(const char* name, int32_t type) {
    return IntResult(Call(hash::IsEntityTagRegistered, EncodePointer(name), EncodeInt(type)));
}

int32_t ReadIntegerEntityTag(int32_t entity, const char* name) {
    return IntResult(Call(hash::ReadIntegerEntityTag, EncodeInt(entity), EncodePointer(name)));
}

int32_t ReadBooleanEntityTag(int32_t entity, const char* name) {
    return IntResult(Call(hash::ReadBooleanEntityTag, EncodeInt(entity), EncodePointer(name)));
}

void SetBooleanEntityTag(int32_t entity, const char* name, int32_t value) {
    Call(hash::SetBooleanEntityTag, EncodeInt(entity), EncodePointer(name), EncodeInt(value));
}

void TextFont(int32_t font) { Call(hash::TextFont, EncodeInt(font)); }

void TextScale(float scaleX, float scaleY) { Call(hash::TextScale, EncodeFloat(scaleX), EncodeFloat(scaleY)); }

void TextColor(int32_t red, int32_t green, int32_t blue, int32_t alpha) {
    Call(hash::TextColor, EncodeInt(red), EncodeInt(green), EncodeInt(blue), EncodeInt(alpha));
}

void TextWrap(float start, float end) { Call(hash::TextWrap, EncodeFloat(start), EncodeFloat(end)); }

void TextShadow(int32_t distance, int32_t red, int32_t green, int32_t blue, int32_t alpha) {
    Call(hash::TextShadow, EncodeInt(distance), EncodeInt(red), EncodeInt(green), EncodeInt(blue), EncodeInt(alpha));
}

void TextEdge(int32_t width, int32_t red, int32_t green, int32_t blue, int32_t alpha) {
    Call(hash::TextEdge, EncodeInt(width), EncodeInt(red), EncodeInt(green), EncodeInt(blue), EncodeInt(alpha));
}

void BeginTextDraw(const char* kind) { Call(hash::BeginTextDraw, EncodePointer(kind)); }

void AddText(const char* text) { Call(hash::AddText, EncodePointer(text)); }

void DrawTextAt(float x, float y) { Call(hash::DrawTextAt, EncodeFloat(x), EncodeFloat(y)); }

}  // namespace natives
