// The one table of configuration keys: for every key its section, name, kind,
// the default a load stores when the key is absent, and the field it fills.
// The reader (config/configuration.cpp), the settings dump and the file
// checker all walk these rows, so they cannot drift apart. A row's key name
// is the stringised field name, and the row's kind is checked against the
// field's type at compile time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "config/settings.h"

// How a key's text becomes a value.
enum class SettingKind : uint8_t {
    Flag,          // integer read; true exactly when it is 1
    Integer,       // integer read, stored as 32 bits
    SmallInteger,  // integer read, low 8 bits stored as a signed byte
    KeyCode,       // text read, base-16 strtol rules, 32-bit clamping
    Real,          // text read, strtof rules in the "C" locale
    Text,          // text read straight into a 64-byte field
    CloudName,     // text read, stored as the matching host cloud-set name
    WeatherName,   // text read, stored as the matching WeatherIndex, else left alone
};

// Whether the kind is read as an integer (GetPrivateProfileIntA) rather than
// as text (GetPrivateProfileStringA).
constexpr bool IsIntegerKind(SettingKind kind) {
    return kind == SettingKind::Flag || kind == SettingKind::Integer || kind == SettingKind::SmallInteger;
}

inline constexpr size_t NotStored = SIZE_MAX;  // offset of a key that fills no field

struct SettingKey {
    const char* section;  // section of a global key; nullptr for a per-weather key
    const char* key;      // key name, as written in the file
    SettingKind kind;
    int32_t defaultNumber;    // absent-key value of the integer kinds
    const char* defaultText;  // absent-key text of the text kinds
    size_t offset;            // field offset in AtmosphereSettings (global) or WeatherSettings
};

namespace setting_keys_detail {

template <SettingKind Kind> struct FieldType;
template <> struct FieldType<SettingKind::Flag> { using type = bool; };
template <> struct FieldType<SettingKind::Integer> { using type = int32_t; };
template <> struct FieldType<SettingKind::SmallInteger> { using type = int8_t; };
template <> struct FieldType<SettingKind::KeyCode> { using type = int32_t; };
template <> struct FieldType<SettingKind::Real> { using type = float; };
template <> struct FieldType<SettingKind::Text> { using type = char[SettingTextSize]; };
template <> struct FieldType<SettingKind::CloudName> { using type = char[SettingTextSize]; };
template <> struct FieldType<SettingKind::WeatherName> { using type = WeatherIndex; };

template <SettingKind Kind, typename Field> consteval size_t CheckedOffset(size_t offset) {
    static_assert(std::is_same_v<Field, typename FieldType<Kind>::type>, "key kind does not fit its field");
    return offset;
}

}  // namespace setting_keys_detail

#define ATMOSPHERE_GLOBAL_KEY(section, field, kind, number, text)                                       \
    SettingKey {                                                                                        \
        section, #field, SettingKind::kind, number, text,                                               \
            setting_keys_detail::CheckedOffset<SettingKind::kind, decltype(AtmosphereSettings::field)>( \
                offsetof(AtmosphereSettings, field))                                                    \
    }
#define ATMOSPHERE_WEATHER_KEY(field, kind, number, text)                                            \
    SettingKey {                                                                                     \
        nullptr, #field, SettingKind::kind, number, text,                                            \
            setting_keys_detail::CheckedOffset<SettingKind::kind, decltype(WeatherSettings::field)>( \
                offsetof(WeatherSettings, field))                                                    \
    }

// The global keys in the order a load reads them; the first two only steer
// the alternate-file redirect and fill no field.
inline constexpr SettingKey GlobalSettingKeys[] = {
    {"GLOBAL", "EnableAlternateConfigFile", SettingKind::Flag, 0, nullptr, NotStored},
    {"GLOBAL", "AlternateConfigFile", SettingKind::Text, 0, DefaultConfigFileName, NotStored},
    ATMOSPHERE_GLOBAL_KEY("GLOBAL", DefaultWind, Flag, 0, nullptr),
    ATMOSPHERE_GLOBAL_KEY("GLOBAL", AutoReload, Flag, 0, nullptr),
    ATMOSPHERE_GLOBAL_KEY("KEYS", ReloadKey, KeyCode, 0, "0x2E"),
    ATMOSPHERE_GLOBAL_KEY("KEYS", OnOffKey, KeyCode, 0, "0x2D"),
    ATMOSPHERE_GLOBAL_KEY("KEYS", DebugKey, KeyCode, 0, "0x23"),
    ATMOSPHERE_GLOBAL_KEY("DEBUG", PosX, Real, 0, "0.015"),
    ATMOSPHERE_GLOBAL_KEY("DEBUG", PosY, Real, 0, "0.50"),
    ATMOSPHERE_GLOBAL_KEY("DEBUG", TextScale, Real, 0, "0.33"),
    ATMOSPHERE_GLOBAL_KEY("DEBUG", TextColorRed, Integer, 255, nullptr),
    ATMOSPHERE_GLOBAL_KEY("DEBUG", TextColorGreen, Integer, 255, nullptr),
    ATMOSPHERE_GLOBAL_KEY("DEBUG", TextColorBlue, Integer, 0, nullptr),
    // A flag like the others, but on when absent: the log is what a player
    // sends when something does not work.
    ATMOSPHERE_GLOBAL_KEY("DEBUG", Log, Flag, 1, nullptr),
};
inline constexpr size_t GlobalSettingKeyCount = sizeof GlobalSettingKeys / sizeof GlobalSettingKeys[0];
// Never defined: reaching it in a constant evaluation stops the compiler,
// which works also where exceptions are switched off.
void NoSuchGlobalKey();
// The row of the global key named `key` in GlobalSettingKeys (a compile-time
// error when there is none).
consteval size_t GlobalKeyRow(std::string_view key) {
    for (size_t row = 0; row < GlobalSettingKeyCount; ++row) {
        if (std::string_view(GlobalSettingKeys[row].key) == key) return row;
    }
    NoSuchGlobalKey();
    return GlobalSettingKeyCount;
}
inline constexpr size_t AlternateSwitchRow = 0;  // GLOBAL/EnableAlternateConfigFile
inline constexpr size_t AlternateNameRow = 1;    // GLOBAL/AlternateConfigFile

// The 21 keys of every weather section, in read order. The section is the
// weather's WeatherNames entry.
inline constexpr SettingKey WeatherSettingKeys[] = {
    ATMOSPHERE_WEATHER_KEY(NormalZoneEnd, Real, 0, "800.0"),
    ATMOSPHERE_WEATHER_KEY(CloudZoneStart, Real, 0, "900.0"),
    ATMOSPHERE_WEATHER_KEY(CloudZoneEnd, Real, 0, "1200.0"),
    ATMOSPHERE_WEATHER_KEY(AboveCloudsZoneStart, Real, 0, "1400.0"),
    ATMOSPHERE_WEATHER_KEY(AboveCloudsZoneEnd, Real, 0, "2000.0"),
    ATMOSPHERE_WEATHER_KEY(SpaceZoneStart, Real, 0, "3000.0"),
    ATMOSPHERE_WEATHER_KEY(CloudZoneWindMultiplier, Real, 0, "2.0"),
    ATMOSPHERE_WEATHER_KEY(AboveCloudsZoneWindMultiplier, Real, 0, "0.5"),
    ATMOSPHERE_WEATHER_KEY(SpaceZoneWindMultiplier, Real, 0, "0.0"),
    ATMOSPHERE_WEATHER_KEY(NormalZoneClouds, CloudName, 0, "NO_CLOUDS"),
    ATMOSPHERE_WEATHER_KEY(AboveCloudsZoneWeatherOverride, WeatherName, 0, "EXTRASUNNY"),
    ATMOSPHERE_WEATHER_KEY(SpaceZoneWeatherOverride, WeatherName, 0, "HALLOWEEN"),
    ATMOSPHERE_WEATHER_KEY(NormalZoneTimecycleModifier, Text, 0, "nextgen"),
    ATMOSPHERE_WEATHER_KEY(CloudZoneTimecycleModifier, Text, 0, "nextgen"),
    ATMOSPHERE_WEATHER_KEY(AboveCloudsZoneTimecycleModifier, Text, 0, "nextgen"),
    ATMOSPHERE_WEATHER_KEY(SpaceZoneTimecycleModifier, Text, 0, "nextgen"),
    ATMOSPHERE_WEATHER_KEY(AboveCloudsZoneTimecycleTransitionTime, Real, 0, "30.0"),
    ATMOSPHERE_WEATHER_KEY(SpaceZoneTimecycleTransitionTime, Real, 0, "30.0"),
    ATMOSPHERE_WEATHER_KEY(EnableLightningAboveClouds, Flag, 0, nullptr),
    ATMOSPHERE_WEATHER_KEY(EnableLightningInSpace, Flag, 0, nullptr),
    ATMOSPHERE_WEATHER_KEY(LightningFrequency, SmallInteger, 5, nullptr),
};
inline constexpr size_t WeatherSettingKeyCount = sizeof WeatherSettingKeys / sizeof WeatherSettingKeys[0];
static_assert(WeatherSettingKeyCount == 21);

#undef ATMOSPHERE_GLOBAL_KEY
#undef ATMOSPHERE_WEATHER_KEY

// Every key a load reads: the global ones, then 21 per weather.
inline constexpr size_t ConfigurationReadCount = GlobalSettingKeyCount + WeatherCount * WeatherSettingKeyCount;

// The field of `key` inside `record` (AtmosphereSettings for a global key,
// WeatherSettings for a per-weather key); T must be the kind's field type.
template <typename T, typename Record> T& SettingField(Record& record, const SettingKey& key) {
    return *reinterpret_cast<T*>(reinterpret_cast<unsigned char*>(&record) + key.offset);
}
template <typename T, typename Record> const T& SettingField(const Record& record, const SettingKey& key) {
    return *reinterpret_cast<const T*>(reinterpret_cast<const unsigned char*>(&record) + key.offset);
}
