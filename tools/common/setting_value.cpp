// Each kind is read with the module's own parsers (config/number_text.h) or
// name tables, so a value passes exactly when a load takes all of it.
#include "tools/common/setting_value.h"

#include <cstdint>

#include "config/number_text.h"
#include "config/settings.h"
#include "platform/profile_lexer.h"
#include "tools/common/real_text.h"

namespace {

std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

// Decimal digits with an optional minus, within [low, high].
bool DecimalWithin(std::string_view text, int64_t low, int64_t high) {
    size_t at = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (at == text.size() || text.size() - at > 10) return false;
    int64_t number = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') return false;
        number = number * 10 + (text[at] - '0');
    }
    if (text[0] == '-') number = -number;
    return number >= low && number <= high;
}

std::string NameList(const char (*names)[CloudNameSize], int count) {
    std::string list;
    for (int i = 0; i < count; ++i) list += (i == 0 ? "" : ", ") + std::string(names[i]);
    return list;
}

}  // namespace

std::string ValueMisread(const SettingKey& key, std::string_view value) {
    const std::string text(value);
    if (!value.empty() && (platform::IsProfileSpace(static_cast<unsigned char>(value.front())) ||
                           platform::IsProfileSpace(static_cast<unsigned char>(value.back())))) {
        return "the module drops the white space around a value; write it without";
    }
    const bool quoted = value.size() > 1 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    switch (key.kind) {
    case SettingKind::Flag:
        if (value == "0" || value == "1") return "";
        return Quoted(value) + " is no flag: write 1 (on) or 0 (off)";
    case SettingKind::Integer:
        if (DecimalWithin(value, INT32_MIN, INT32_MAX)) return "";
        return Quoted(value) + " is no whole number: write one in decimal digits, such as 255";
    case SettingKind::SmallInteger:
        if (DecimalWithin(value, -128, 127)) return "";
        return Quoted(value) + " is not stored as written: the module keeps a whole number from -128 to 127";
    case SettingKind::KeyCode: {
        size_t used = 0;
        const int32_t code = ParseKeyCode(text.c_str(), &used);
        if (used > 0 && used == text.size() && code >= 0 && code < 255) return "";
        return Quoted(value) + " is no key code: write the code in hexadecimal, such as 0x2E for the Delete key";
    }
    case SettingKind::Real: {
        size_t used = 0;
        const float number = ParseReal(text.c_str(), &used);
        if (used > 0 && used == text.size()) return "";
        if (used == 0) return Quoted(value) + " reads as 0: write a number with \".\" as the decimal point";
        return Quoted(value) + " reads as " + ShortestRealText(number) + " and ignores " +
               Quoted(value.substr(used)) + "; the decimal point is \".\"";
    }
    case SettingKind::Text:
        if (quoted) return "the module takes the quotes off " + Quoted(value) + "; write the text without them";
        if (value.size() >= SettingTextSize) return "the module keeps 63 characters of a text; write a shorter one";
        return "";
    case SettingKind::CloudName:
        for (const auto& name : CloudNames) {
            if (value == name) return "";
        }
        return Quoted(value) + " is no cloud name (the module takes Snowy 01 instead); the names are " +
               NameList(CloudNames, CloudCount);
    case SettingKind::WeatherName:
        if (FindWeatherByName(text.c_str()) >= 0) return "";
        return Quoted(value) + " is no weather name in capitals (the module leaves the setting as it was)";
    }
    return "";
}
