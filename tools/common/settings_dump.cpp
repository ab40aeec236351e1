// Formatting of the settings record; locale-free (std::to_chars), so the
// output is the same in any process locale and on both platforms.
#include "tools/common/settings_dump.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "config/setting_keys.h"

namespace {

// "%.9g" without the locale: nine significant digits round-trip any float.
std::string FormatReal(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::general, 9);
    return std::string(buffer, result.ptr);
}

std::string JsonString(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p != '\0'; ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20 || byte >= 0x80) {
            // Bytes, not characters: the game reads these names as 8-bit text.
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", byte);
            out += escape;
        } else {
            out += static_cast<char>(byte);
        }
    }
    out += '"';
    return out;
}

std::string Quoted(const std::string& text) {
    std::string out(1, '"');
    out.append(text);
    out.push_back('"');
    return out;
}

std::string WeatherNameOf(WeatherIndex weather) {
    if (weather >= 0 && weather < WeatherCount) return WeatherNames[weather];
    return std::to_string(weather);
}

template <typename Record> std::string JsonValue(const Record& record, const SettingKey& key) {
    switch (key.kind) {
    case SettingKind::Flag: return SettingField<bool>(record, key) ? "true" : "false";
    case SettingKind::Integer:
    case SettingKind::KeyCode: return std::to_string(SettingField<int32_t>(record, key));
    case SettingKind::SmallInteger: return std::to_string(static_cast<int>(SettingField<int8_t>(record, key)));
    case SettingKind::Real: {
        const float value = SettingField<float>(record, key);
        const std::string text = FormatReal(value);
        return std::isfinite(value) ? text : Quoted(text);
    }
    case SettingKind::Text:
    case SettingKind::CloudName: return JsonString(&SettingField<char>(record, key));
    case SettingKind::WeatherName: return Quoted(WeatherNameOf(SettingField<WeatherIndex>(record, key)));
    }
    return "null";
}

template <typename Record> std::string TableValue(const Record& record, const SettingKey& key) {
    switch (key.kind) {
    case SettingKind::KeyCode: {
        char text[32];
        const int32_t code = SettingField<int32_t>(record, key);
        std::snprintf(text, sizeof text, "0x%02X (%d)", static_cast<unsigned>(code), code);
        return text;
    }
    case SettingKind::Real: return FormatReal(SettingField<float>(record, key));
    case SettingKind::Text:
    case SettingKind::CloudName: return JsonString(&SettingField<char>(record, key));
    case SettingKind::WeatherName: return WeatherNameOf(SettingField<WeatherIndex>(record, key));
    default: return JsonValue(record, key);
    }
}

std::string TableLine(const char* key, const std::string& value) {
    char line[128];
    std::snprintf(line, sizeof line, "  %-40s %s\n", key, value.c_str());
    return line;
}

}  // namespace

std::string SettingsToJson(const AtmosphereSettings& settings) {
    std::string out = "{";
    for (const SettingKey& key : GlobalSettingKeys) {
        if (key.offset == NotStored) continue;
        out += "\"";
        out += key.key;
        out += "\": " + JsonValue(settings, key) + ", ";
    }
    out += "\"Weather\": {";
    for (int weather = 0; weather < WeatherCount; ++weather) {
        if (weather > 0) out += ", ";
        out += "\"";
        out += WeatherNames[weather];
        out += "\": {";
        for (size_t i = 0; i < WeatherSettingKeyCount; ++i) {
            const SettingKey& key = WeatherSettingKeys[i];
            if (i > 0) out += ", ";
            out += "\"";
            out += key.key;
            out += "\": " + JsonValue(settings.Weather[weather], key);
        }
        out += "}";
    }
    out += "}}";
    return out;
}

std::string SettingsToTable(const AtmosphereSettings& settings) {
    std::string out;
    const char* section = nullptr;
    for (const SettingKey& key : GlobalSettingKeys) {
        if (key.offset == NotStored) continue;
        if (section == nullptr || std::string(section) != key.section) {
            section = key.section;
            out += std::string("[") + section + "]\n";
        }
        out += TableLine(key.key, TableValue(settings, key));
    }
    for (int weather = 0; weather < WeatherCount; ++weather) {
        out += std::string("[") + WeatherNames[weather] + "]\n";
        for (const SettingKey& key : WeatherSettingKeys) {
            out += TableLine(key.key, TableValue(settings.Weather[weather], key));
        }
    }
    return out;
}
