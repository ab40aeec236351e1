// The native-call layer: one function per game native the module uses, each
// issuing nativeInit(hash), one nativePush64 per argument in the native's
// order, then nativeCall, and reading its result at once, before any other
// call. Encoding: 32-bit integers and handles zero-extended into the 64-bit
// argument, floats as their IEEE single bits in the low half, strings and
// out-parameters as pointers; an int or float result is the low 4 bytes of
// slot 0, an entity position's z the float at byte offset 16.
//
// Every string passed must outlive the call (the module passes static texts
// only).
#pragma once

#include <cstdint>

namespace natives {

// The hashes, named by role, so that tests and the simulated host can share them.
namespace hash {
// clang-format off: a table, aligned to be read as one
inline constexpr uint64_t WeatherNameHash = 0xD24D37CC275948CCull;
inline constexpr uint64_t GetWeatherTransition = 0xF3BBE884A14BB413ull;
inline constexpr uint64_t SetWeatherTransition = 0x578C752848ECFA0Cull;
inline constexpr uint64_t ClearOverrideWeather = 0x338D2E3477711050ull;
inline constexpr uint64_t SetOverrideWeatherByName = 0xA43D5C6FE51ADBEFull;
inline constexpr uint64_t LoadCloudSet = 0xFC4842A34657BFCBull;
inline constexpr uint64_t UnloadCloudSets = 0x957E790EA1727B64ull;
inline constexpr uint64_t SetCloudOpacity = 0xF36199225D6D8C86ull;
inline constexpr uint64_t SetTimecycleModifier = 0x2C933ABF17A1DF41ull;
inline constexpr uint64_t StartTimecycleTransition = 0x3BCF567485E1971Cull;
inline constexpr uint64_t SetTimecycleModifierStrength = 0x82E7FFCD5B2326B3ull;
inline constexpr uint64_t ClearTimecycleModifier = 0x0F07E7745A236711ull;
inline constexpr uint64_t GetTimecycleModifierIndex = 0xFDF3D97C674AFB66ull;
inline constexpr uint64_t SetWindSpeed = 0xEE09ECEDBABE47FCull;
inline constexpr uint64_t GetWindSpeed = 0xA8CF1CC0AFCD3F12ull;
inline constexpr uint64_t SetWeatherEffectLevel = 0x643E26EA6E024D92ull;
inline constexpr uint64_t FlashLightning = 0xF6062E089251C898ull;
inline constexpr uint64_t SineDegrees = 0x0BADBFA3B172435Full;
inline constexpr uint64_t PlayerCharacter = 0xD80958FC74E988A6ull;
inline constexpr uint64_t IsCharacterInVehicle = 0x997ABD671D25CA0Bull;
inline constexpr uint64_t CharacterVehicle = 0x6094AD011A2EA87Dull;
inline constexpr uint64_t EntityPosition = 0x3FEF770D40960D5Aull;
inline constexpr uint64_t IsEntityTagRegistered = 0x4F14F9F870D6FBC8ull;
inline constexpr uint64_t ReadIntegerEntityTag = 0xA06C969B02A97298ull;
inline constexpr uint64_t ReadBooleanEntityTag = 0xDACE671663F2F5DBull;
inline constexpr uint64_t SetBooleanEntityTag = 0x6B1E8E2ED1335B71ull;
inline constexpr uint64_t TextFont = 0x66E0276CC5F6B9DAull;
inline constexpr uint64_t TextScale = 0x07C837F9A01C34C9ull;
inline constexpr uint64_t TextColor = 0xBE6B23FFA53FB442ull;
inline constexpr uint64_t TextWrap = 0x63145D9C883A1A70ull;
inline constexpr uint64_t TextShadow = 0x465C84BC39F1C351ull;
inline constexpr uint64_t TextEdge = 0x441603240D202FA6ull;
inline constexpr uint64_t BeginTextDraw = 0x25FBB336DF1804CBull;
inline constexpr uint64_t AddText = 0x6C188BE134E074AAull;
inline constexpr uint64_t DrawTextAt = 0xCD015E5BB0D96A57ull;
// clang-format on
}  // namespace hash

// Entity tag type codes for IsEntityTagRegistered.
inline constexpr int32_t EntityTagTypeBoolean = 2;
inline constexpr int32_t EntityTagTypeInteger = 3;

// Argument encoding, exposed for the tests of the layer.
uint64_t EncodeInt(int32_t value);
uint64_t EncodeFloat(float value);

// Weather.
uint32_t WeatherNameHash(const char* lowerCaseName);
void GetWeatherTransition(uint32_t* fromHash, uint32_t* toHash, float* fraction);
int32_t SetWeatherTransition(uint32_t fromHash, uint32_t toHash, float fraction);
void ClearOverrideWeather();
void SetOverrideWeatherByName(const char* upperCaseName);
void SetWeatherEffectLevel(float level);  // -1.0 hands it back to the game
void FlashLightning();

// Clouds.
void LoadCloudSet(const char* cloudSetName);  // with a transition time of 0.0
void UnloadCloudSets();
void SetCloudOpacity(float opacity);

// Timecycle modifier.
void SetTimecycleModifier(const char* modifierName);
void StartTimecycleTransition(const char* modifierName, float seconds);
void SetTimecycleModifierStrength(float strength);
void ClearTimecycleModifier();
int32_t GetTimecycleModifierIndex();  // negative: no modifier set

// Wind.
void SetWindSpeed(float speed);  // -1.0 hands it back to the game
float GetWindSpeed();

// Maths.
float SineDegrees(float degrees);

// Player, vehicle, position.
int32_t PlayerCharacter();
int32_t IsCharacterInVehicle(int32_t character);  // non-zero in a vehicle
int32_t CharacterVehicle(int32_t character);
float EntityAltitude(int32_t entity);  // z of the entity's position

// Entity tags.
int32_t IsEntityTagRegistered(const char* name, int32_t type);
int32_t ReadIntegerEntityTag(int32_t entity, const char* name);
int32_t ReadBooleanEntityTag(int32_t entity, const char* name);
void SetBooleanEntityTag(int32_t entity, const char* name, int32_t value);

// On-screen text.
void TextFont(int32_t font);
void TextScale(float scaleX, float scaleY);
void TextColor(int32_t red, int32_t green, int32_t blue, int32_t alpha);
void TextWrap(float start, float end);
void TextShadow(int32_t distance, int32_t red, int32_t green, int32_t blue, int32_t alpha);
void TextEdge(int32_t width, int32_t red, int32_t green, int32_t blue, int32_t alpha);
void BeginTextDraw(const char* kind);
void AddText(const char* text);
void DrawTextAt(float x, float y);

}  // namespace natives
