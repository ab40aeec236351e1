// Formatting of the settings record; locale-free (std::to_chars), so the
// output is the same in any process locale and on both platforms.
#include "tools/common/settings_dump.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/common/real_text.h"
#include "tools/common/virtual_keys.h"

namespace {

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
        const std::string text = ExactRealText(value);
        return std::isfinite(value) ? text : Quoted(text);
    }
    case SettingKind::Text:
    case SettingKind::CloudName: return JsonString(&SettingField<char>(record, key));
    case SettingKind::WeatherName: return Quoted(WeatherNameOf(SettingField<WeatherIndex>(record, key)));
    }
    return "null";
}

// A cloud set as "NIMBUS2 (the game's "Cloudy 01")"; with the text the file
// gave, as written when it names no cloud.
std::string CloudText(const char* cloudSet, const char* written) {
    const char* name = CloudNameOfSet(cloudSet);
    if (written != nullptr && (name == nullptr || std::strcmp(written, name) != 0)) {
        return JsonString(written) + " names no cloud: the game's " + JsonString(cloudSet);
    }
    return std::string(name != nullptr ? name : "?") + " (the game's " + JsonString(cloudSet) + ")";
}

// `read`: the read that filled the value, when known.
template <typename Record>
std::string TableValue(const Record& record, const SettingKey& key, const platform::ProfileRead* read) {
    switch (key.kind) {
    case SettingKind::KeyCode: {
        char text[32];
        const int32_t code = SettingField<int32_t>(record, key);
        std::snprintf(text, sizeof text, "0x%02X (%d)", static_cast<unsigned>(code), code);
        return text;
    }
    case SettingKind::Real: return ShortestRealText(SettingField<float>(record, key));
    case SettingKind::Text: return JsonString(&SettingField<char>(record, key));
    case SettingKind::CloudName:
        return CloudText(&SettingField<char>(record, key), read != nullptr && read->line != 0 ? read->text : nullptr);
    case SettingKind::WeatherName: {
        std::string text = WeatherNameOf(SettingField<WeatherIndex>(record, key));
        if (read != nullptr && read->line != 0 && FindWeatherByName(read->text) < 0) {
            text += "  (kept: " + JsonString(read->text) + " names no weather)";
        }
        return text;
    }
    default: return JsonValue(record, key);
    }
}

std::string TableLine(const char* key, const std::string& value, const platform::ProfileRead* read) {
    std::string line = "  ";
    line += key;
    line.append(line.size() < 43 ? 43 - line.size() : 1, ' ');
    line += value;
    if (read != nullptr && read->line == 0) line += "  (default)";
    return line + "\n";
}

template <typename Record> std::string FileText(const Record& record, const SettingKey& key) {
    switch (key.kind) {
    case SettingKind::Flag: return SettingField<bool>(record, key) ? "1" : "0";
    case SettingKind::Integer: return std::to_string(SettingField<int32_t>(record, key));
    case SettingKind::SmallInteger: return std::to_string(static_cast<int>(SettingField<int8_t>(record, key)));
    case SettingKind::KeyCode: return KeyCodeText(SettingField<int32_t>(record, key));
    case SettingKind::Real: return ShortestRealText(SettingField<float>(record, key));
    case SettingKind::Text: return &SettingField<char>(record, key);
    case SettingKind::CloudName: {
        const char* name = CloudNameOfSet(&SettingField<char>(record, key));
        return name != nullptr ? name : &SettingField<char>(record, key);
    }
    case SettingKind::WeatherName: return WeatherNameOf(SettingField<WeatherIndex>(record, key));
    }
    return "";
}

template <typename Record> bool SameValue(const Record& a, const Record& b, const SettingKey& key) {
    switch (key.kind) {
    case SettingKind::Flag: return SettingField<bool>(a, key) == SettingField<bool>(b, key);
    case SettingKind::Integer:
    case SettingKind::KeyCode: return SettingField<int32_t>(a, key) == SettingField<int32_t>(b, key);
    case SettingKind::SmallInteger: return SettingField<int8_t>(a, key) == SettingField<int8_t>(b, key);
    case SettingKind::Real:
        return std::memcmp(&SettingField<float>(a, key), &SettingField<float>(b, key), sizeof(float)) == 0;
    case SettingKind::Text:
    case SettingKind::CloudName: return std::strcmp(&SettingField<char>(a, key), &SettingField<char>(b, key)) == 0;
    case SettingKind::WeatherName: return SettingField<WeatherIndex>(a, key) == SettingField<WeatherIndex>(b, key);
    }
    return false;
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

std::string SettingsToTable(const AtmosphereSettings& settings, const ConfigurationReads* reads) {
    const auto readOf = [reads](size_t index) { return reads != nullptr ? &reads->reads[index] : nullptr; };
    std::string out;
    const char* section = nullptr;
    for (size_t row = 0; row < GlobalSettingKeyCount; ++row) {
        const SettingKey& key = GlobalSettingKeys[row];
        if (key.offset == NotStored) continue;
        if (section == nullptr || std::string(section) != key.section) {
            section = key.section;
            out += std::string("[") + section + "]\n";
        }
        const platform::ProfileRead* read = readOf(GlobalReadIndex(row));
        out += TableLine(key.key, TableValue(settings, key, read), read);
    }
    for (int weather = 0; weather < WeatherCount; ++weather) {
        out += std::string("[") + WeatherNames[weather] + "]\n";
        for (size_t row = 0; row < WeatherSettingKeyCount; ++row) {
            const SettingKey& key = WeatherSettingKeys[row];
            const platform::ProfileRead* read = readOf(WeatherReadIndex(weather, row));
            out += TableLine(key.key, TableValue(settings.Weather[weather], key, read), read);
        }
    }
    return out;
}

std::string SettingFileText(const AtmosphereSettings& record, const SettingKey& key) { return FileText(record, key); }
std::string SettingFileText(const WeatherSettings& record, const SettingKey& key) { return FileText(record, key); }

bool SameSettingValue(const AtmosphereSettings& a, const AtmosphereSettings& b, const SettingKey& key) {
    return SameValue(a, b, key);
}
bool SameSettingValue(const WeatherSettings& a, const WeatherSettings& b, const SettingKey& key) {
    return SameValue(a, b, key);
}

const char* CloudNameOfSet(const std::string& cloudSet) {
    for (int i = 0; i < CloudCount; ++i) {
        if (cloudSet == CloudSetNames[i]) return CloudNames[i];
    }
    return nullptr;
}
