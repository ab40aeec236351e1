// The configuration checker. It reads the file line by line the way the
// module's reader does (first section of a name, first key of a name, names
// without regard to case, values trimmed and unquoted), judges each value by
// the kind its key has in the module's key table, and then checks the record
// the module really loads for what only shows across keys: zones that can no
// longer be reached and hotkeys that can never fire.
#include "tools/preview/checker.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

#include "config/number_text.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "sim/path_text.h"
#include "tools/preview/runner.h"

namespace preview {
namespace {

constexpr size_t TextLimit = SettingTextSize - 1;  // characters a text value keeps

struct Line {
    int number = 0;
    std::string section;   // the section this line lies in; empty before any
    bool isSection = false;
    std::string name;      // section or key name, cut at a NUL as the reader cuts it
    bool hasValue = false; // the line has an "="
    std::string value;     // trimmed, one pair of matching quotes removed
};

bool IsProfileSpace(unsigned char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x20; }

std::string TrimProfile(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsProfileSpace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && IsProfileSpace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

std::string CutAtNul(const std::string& text) { return text.substr(0, text.find('\0')); }

std::string Unquote(const std::string& value) {
    if (value.size() > 1 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Splits the file into lines, counting CRLF, LF and a lone CR as one break each.
std::vector<Line> ScanLines(const std::string& bytes) {
    std::vector<Line> lines;
    std::string section;
    size_t position = 0;
    int number = 0;
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) position = 3;
    while (position < bytes.size()) {
        ++number;
        size_t end = position;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        const std::string text = TrimProfile(bytes.substr(position, end - position));
        position = end;
        if (position < bytes.size() && bytes[position] == '\r') ++position;
        if (position < bytes.size() && bytes[position] == '\n') ++position;
        if (text.empty()) continue;
        Line line;
        line.number = number;
        const size_t close = text.rfind(']');
        if (text[0] == '[' && close != std::string::npos) {
            line.isSection = true;
            line.name = CutAtNul(text.substr(1, close - 1));
            section = line.name;
            line.section = section;
            lines.push_back(line);
            continue;
        }
        line.section = section;
        const size_t equals = text.find('=');
        line.hasValue = equals != std::string::npos;
        line.name = CutAtNul(TrimProfile(text.substr(0, equals)));
        if (line.hasValue) line.value = Unquote(CutAtNul(TrimProfile(text.substr(equals + 1))));
        lines.push_back(line);
    }
    return lines;
}

size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> previous(b.size() + 1), current(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t substitution = previous[j - 1] + (std::tolower(a[i - 1]) == std::tolower(b[j - 1]) ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

// The candidate closest to `text`, ignoring case; empty when none is close.
std::string Closest(const std::string& text, const std::vector<std::string>& candidates) {
    std::string best;
    size_t bestDistance = std::max<size_t>(3, text.size() / 3) + 1;
    for (const std::string& candidate : candidates) {
        const size_t distance = EditDistance(text, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Real(double value) {
    // Spelled out: C libraries disagree on nan's sign.
    if (std::isnan(value)) return "nan";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

// How much of `text` a number reading takes: the length of the longest
// prefix the module's parser turns into a value (0 when none).
size_t IntegerPrefixLength(const std::string& text, int base) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (base == 16 && i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
        i += 2;
    }
    const size_t digits = i;
    while (i < text.size() && (base == 16 ? std::isxdigit(static_cast<unsigned char>(text[i]))
                                          : std::isdigit(static_cast<unsigned char>(text[i])))) {
        ++i;
    }
    return i == digits ? 0 : i;
}

size_t RealPrefixLength(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const char* begin = text.data() + i;
    const char* end = text.data() + text.size();
    float value = 0;
    std::from_chars_result result{};
    if (end - begin > 2 && begin[0] == '0' && (begin[1] == 'x' || begin[1] == 'X')) {
        result = std::from_chars(begin + 2, end, value, std::chars_format::hex);
        if (result.ptr == begin + 2) return i + 1;  // "0x" alone reads as the 0
    } else {
        result = std::from_chars(begin, end, value);
    }
    if (result.ptr == begin) return 0;
    return static_cast<size_t>(result.ptr - text.data());
}

// The integer a profile integer read gives for a non-empty value.
int64_t ProfileInteger(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint32_t base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        if (text[i + 1] == 'x') base = 16, i += 2;
        else if (text[i + 1] == 'o') base = 8, i += 2;
        else if (text[i + 1] == 'b') base = 2, i += 2;
    }
    uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        uint32_t digit = 99;
        if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'z') digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'Z') digit = static_cast<uint32_t>(c - 'A' + 10);
        if (digit >= base) break;
        total = total * base + digit;
    }
    return static_cast<int32_t>(negative ? 0u - total : total);
}

bool IsPlainInteger(const std::string& text) {
    size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

class Checker {
public:
    Checker(std::string file, std::vector<Finding>& findings) : file_(std::move(file)), findings_(findings) {}

    void Add(int line, Severity severity, const std::string& message) {
        findings_.push_back({file_, line, severity, message});
    }

    // The line checks of one file. Returns the lines for the caller's cross checks.
    std::vector<Line> CheckLines(const std::string& bytes) {
        std::vector<Line> lines = ScanLines(bytes);
        std::map<std::string, int> firstSection;  // lower-case name -> line
        std::map<std::string, std::map<std::string, int>> firstKey;
        for (const Line& line : lines) {
            if (line.isSection) {
                CheckSection(line, firstSection);
                continue;
            }
            if (!line.name.empty() && (line.name[0] == ';' || line.name[0] == '#')) continue;  // a comment
            if (line.section.empty()) {
                Add(line.number, Severity::Warning,
                    "\"" + line.name + "\" stands before any section: the module never reads it; move it under its section");
                continue;
            }
            // Keys of an unknown or repeated section are covered by the section's own finding.
            const auto section = firstSection.find(Lower(line.section));
            if (section == firstSection.end() || section->second != SectionLine(lines, line)) continue;
            if (KeysOf(line.section).empty()) continue;
            CheckKeyLine(line, firstKey[Lower(line.section)]);
        }
        return lines;
    }

    // What only the loaded record shows: unreachable zones, dead hotkeys.
    void CheckRecord(const std::vector<Line>& lines) {
        for (int weather = 0; weather < WeatherCount; ++weather) CheckZoneOrder(lines, weather);
        CheckHotkeys(lines);
    }

private:
    static int SectionLine(const std::vector<Line>& lines, const Line& keyLine) {
        int found = 0;
        for (const Line& line : lines) {
            if (line.number > keyLine.number) break;
            if (line.isSection) found = line.number;
        }
        return found;
    }

    static std::vector<std::string> KnownSections() {
        std::vector<std::string> names = {"GLOBAL", "KEYS", "DEBUG"};
        for (const auto& weather : WeatherNames) names.emplace_back(weather);
        return names;
    }

    static std::vector<const SettingKey*> KeysOf(const std::string& section) {
        std::vector<const SettingKey*> keys;
        for (const SettingKey& key : GlobalSettingKeys) {
            if (Lower(key.section) == Lower(section)) keys.push_back(&key);
        }
        if (keys.empty() && FindWeatherByName(Upper(section).c_str()) >= 0) {
            for (const SettingKey& key : WeatherSettingKeys) keys.push_back(&key);
        }
        return keys;
    }

    void CheckSection(const Line& line, std::map<std::string, int>& firstSection) {
        const std::vector<std::string> known = KnownSections();
        const bool isKnown = std::any_of(known.begin(), known.end(),
                                         [&](const std::string& name) { return Lower(name) == Lower(line.name); });
        const auto [entry, inserted] = firstSection.emplace(Lower(line.name), line.number);
        if (!isKnown) {
            const std::string closest = Closest(line.name, known);
            Add(line.number, Severity::Warning,
                "section [" + line.name + "] matches no section the module reads, so every key in it is ignored" +
                    (closest.empty() ? std::string("") : "; did you mean [" + closest + "]?"));
        } else if (!inserted) {
            Add(line.number, Severity::Warning,
                "section [" + line.name + "] repeats the one on line " + std::to_string(entry->second) +
                    ": the module reads only the first, so every key here is ignored; merge the two");
        }
    }

    void CheckKeyLine(const Line& line, std::map<std::string, int>& firstKey) {
        const std::vector<const SettingKey*> keys = KeysOf(line.section);
        const SettingKey* key = nullptr;
        std::vector<std::string> names;
        for (const SettingKey* candidate : keys) {
            names.emplace_back(candidate->key);
            if (Lower(candidate->key) == Lower(line.name)) key = candidate;
        }
        if (key == nullptr) {
            const std::string closest = Closest(line.name, names);
            Add(line.number, Severity::Warning,
                "key \"" + line.name + "\" matches no key of [" + line.section + "], so the module ignores it" +
                    (closest.empty() ? std::string("") : "; did you mean " + closest + "?"));
            return;
        }
        const auto [entry, inserted] = firstKey.emplace(Lower(line.name), line.number);
        if (!inserted) {
            Add(line.number, Severity::Warning,
                std::string(key->key) + " repeats the one on line " + std::to_string(entry->second) +
                    ": the module reads only the first; delete one of them");
            return;
        }
        if (!line.hasValue) {
            Add(line.number, Severity::Warning,
                std::string(key->key) + " has no \"=\": the module takes its default and ignores any later " +
                    key->key + " in this section; write " + key->key + "=value");
            return;
        }
        CheckValue(line, *key);
    }

    void CheckValue(const Line& line, const SettingKey& key) {
        const std::string& value = line.value;
        const std::string name = key.key;
        switch (key.kind) {
        case SettingKind::Flag: CheckFlag(line, name); break;
        case SettingKind::Integer: CheckInteger(line, name, key.defaultNumber); break;
        case SettingKind::SmallInteger: CheckFrequency(line, name, key.defaultNumber); break;
        case SettingKind::KeyCode: CheckKeyCode(line, name); break;
        case SettingKind::Real: CheckReal(line, name); break;
        case SettingKind::Text:
            if (value.size() > TextLimit) {
                Add(line.number, Severity::Warning,
                    name + " is " + std::to_string(value.size()) + " characters long: the module keeps the first " +
                        std::to_string(TextLimit) + ", " + Quoted(value.substr(0, TextLimit)) + "; shorten it");
            }
            break;
        case SettingKind::CloudName: CheckCloud(line, name); break;
        case SettingKind::WeatherName: CheckWeather(line, name, key); break;
        }
    }

    void CheckFlag(const Line& line, const std::string& name) {
        const std::string& value = line.value;
        if (value == "0" || value == "1") return;
        if (value.empty()) {
            Add(line.number, Severity::Warning, name + " is empty: it reads as off; write 1 (on) or 0 (off)");
            return;
        }
        const int64_t number = ProfileInteger(value);
        Add(line.number, Severity::Warning,
            name + " = " + Quoted(value) + " reads as " + std::to_string(number) + ", which is " +
                (number == 1 ? "on" : "off") + ": only the number 1 switches it on; write 1 or 0");
    }

    void CheckInteger(const Line& line, const std::string& name, int32_t defaultNumber) {
        const std::string& value = line.value;
        if (value.empty()) {
            Add(line.number, Severity::Note, name + " is empty: the module uses its default, " + std::to_string(defaultNumber));
            return;
        }
        const int64_t number = ProfileInteger(value);
        if (!IsPlainInteger(value)) {
            Add(line.number, Severity::Warning,
                name + " = " + Quoted(value) + " reads as " + std::to_string(number) + "; write a whole number");
        } else if (number < 0 || number > 255) {
            Add(line.number, Severity::Warning,
                name + " = " + std::to_string(number) + " is outside 0..255: the game gets it unchanged; use 0..255");
        }
    }

    void CheckFrequency(const Line& line, const std::string& name, int32_t defaultNumber) {
        const std::string& value = line.value;
        if (value.empty()) {
            Add(line.number, Severity::Note, name + " is empty: the module uses its default, " + std::to_string(defaultNumber));
            return;
        }
        const int64_t number = ProfileInteger(value);
        const int stored = static_cast<int8_t>(static_cast<uint8_t>(number & 0xFF));
        if (!IsPlainInteger(value)) {
            Add(line.number, Severity::Warning,
                name + " = " + Quoted(value) + " reads as " + std::to_string(number) + "; write a whole number 1..127");
        }
        const WeatherIndex weather = FindWeatherByName(Upper(line.section).c_str());
        const bool flashes = weather >= 0 && (Settings.Weather[weather].EnableLightningAboveClouds ||
                                              Settings.Weather[weather].EnableLightningInSpace);
        if (stored == 0 && flashes) {
            Add(line.number, Severity::Warning,
                name + " = " + std::to_string(number) + " is stored as 0: no lightning flash is ever asked for; "
                "use 1 (rare) to 127 (often), or switch the lightning flags off");
        } else if (stored != 0 && (number < 1 || number > 127)) {
            Add(line.number, Severity::Warning,
                name + " = " + std::to_string(number) + " is outside 1..127: only its low 8 bits are kept, " +
                    std::to_string(stored) + ", which flashes as often as " + std::to_string(std::abs(stored)) +
                    "; write " + std::to_string(std::abs(stored)));
        }
    }

    void CheckKeyCode(const Line& line, const std::string& name) {
        const std::string& value = line.value;
        const int32_t code = ParseKeyCode(value.c_str());
        const size_t used = IntegerPrefixLength(value, 16);
        if (used == 0) {
            Add(line.number, Severity::Warning,
                name + " = " + Quoted(value) + " is no hexadecimal number: it reads as 0 and the hotkey never fires; "
                "write a virtual-key code such as 0x2E");
            return;
        }
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(code));
        if (used < value.size()) {
            Add(line.number, Severity::Warning,
                name + " = " + Quoted(value) + " reads as " + hex + " and ignores " + Quoted(value.substr(used)) +
                    "; write the code alone");
        }
        if (code < 0 || code >= 0xFF) {
            Add(line.number, Severity::Warning,
                name + " = " + Quoted(value) + " is " + (code < 0 ? std::string("negative") : std::string(hex)) +
                    ": only codes 0x00 to 0xFE can fire, so this hotkey never does");
        } else if (IsPlainInteger(value) && value.size() > 1) {
            Add(line.number, Severity::Note,
                name + " = " + value + " is read as hexadecimal, " + hex + ", not as the decimal " + value +
                    "; write " + hex + " to make that plain");
        }
    }

    void CheckReal(const Line& line, const std::string& name) {
        const std::string& value = line.value;
        if (value.empty()) {
            Add(line.number, Severity::Error, name + " is empty: it reads as 0; write a number or delete the line for the default");
            return;
        }
        const size_t used = RealPrefixLength(value);
        const float number = ParseReal(value.c_str());
        if (used == 0) {
            Add(line.number, Severity::Error,
                name + " = " + Quoted(value) + " is no number: it reads as 0; write a number with \".\" as the decimal point");
            return;
        }
        if (used < value.size()) {
            Add(line.number, Severity::Warning,
                name + " = " + Quoted(value) + " reads as " + Real(number) + " and ignores " +
                    Quoted(value.substr(used)) + "; the decimal point is \".\"");
        }
        if (!std::isfinite(number)) {
            Add(line.number, Severity::Warning,
                name + " = " + Quoted(value) + " reads as " + Real(number) + "; write a finite number");
        }
    }

    void CheckCloud(const Line& line, const std::string& name) {
        const std::string& value = line.value;
        for (const auto& cloud : CloudNames) {
            if (value == cloud) return;
        }
        std::vector<std::string> names(std::begin(CloudNames), std::end(CloudNames));
        std::string suggestion;
        for (const std::string& cloud : names) {
            if (Upper(value) == cloud) suggestion = cloud;
        }
        if (suggestion.empty()) suggestion = Closest(value, names);
        Add(line.number, Severity::Warning,
            name + " = " + Quoted(value) + " matches no cloud name (they are upper case and must match exactly): "
            "the module loads \"Snowy 01\", the set of NO_CLOUDS" +
                (suggestion.empty() ? std::string("") : "; did you mean " + suggestion + "?"));
    }

    void CheckWeather(const Line& line, const std::string& name, const SettingKey& key) {
        const std::string& value = line.value;
        if (FindWeatherByName(value.c_str()) >= 0) return;
        std::vector<std::string> names(std::begin(WeatherNames), std::end(WeatherNames));
        std::string suggestion = FindWeatherByName(Upper(value).c_str()) >= 0 ? Upper(value) : Closest(value, names);
        Add(line.number, Severity::Warning,
            name + " = " + Quoted(value) + " matches no weather name (upper case, exactly): the module leaves " + name +
                " as it was, " + key.defaultText + " on the first load, the previous file's value after a reload" +
                (suggestion.empty() ? std::string("") : "; did you mean " + suggestion + "?"));
    }

    // The line that set a key of a weather section, or the section's line, or 0.
    static int LineOf(const std::vector<Line>& lines, const std::string& section, const char* keyName) {
        int sectionLine = 0;
        for (const Line& line : lines) {
            if (Lower(line.section) != Lower(section)) continue;
            if (line.isSection && sectionLine == 0) sectionLine = line.number;
            if (!line.isSection && Lower(line.name) == Lower(keyName) && sectionLine != 0) return line.number;
        }
        return sectionLine;
    }

    void CheckZoneOrder(const std::vector<Line>& lines, int weather) {
        static constexpr const char* ThresholdKeys[6] = {"NormalZoneEnd",        "CloudZoneStart",     "CloudZoneEnd",
                                                         "AboveCloudsZoneStart", "AboveCloudsZoneEnd", "SpaceZoneStart"};
        static constexpr const char* ZoneNames[7] = {"normal zone",       "cloud-start band",  "cloud zone",
                                                     "above-clouds-start band", "above-clouds zone", "space-start band",
                                                     "space zone"};
        const WeatherSettings& row = Settings.Weather[weather];
        const float t[6] = {row.NormalZoneEnd,        row.CloudZoneStart,     row.CloudZoneEnd,
                            row.AboveCloudsZoneStart, row.AboveCloudsZoneEnd, row.SpaceZoneStart};
        // Zone k is taken when every lower threshold test passed and its own failed.
        std::vector<std::string> unreachable;
        double lower = -INFINITY;
        bool lowerPossible = true;
        for (int zone = 0; zone < 7; ++zone) {
            bool reachable = lowerPossible;
            if (zone < 6 && reachable) reachable = std::isnan(t[zone]) || t[zone] > lower;
            if (zone == 6) reachable = lowerPossible && lower < INFINITY;
            if (!reachable) unreachable.emplace_back(ZoneNames[zone]);
            if (zone < 6) {
                if (std::isnan(t[zone]) || t[zone] == INFINITY) lowerPossible = false;
                else lower = std::max<double>(lower, t[zone]);
            }
        }
        if (unreachable.empty()) return;
        std::string list;
        for (size_t i = 0; i < unreachable.size(); ++i) list += (i ? ", " : "") + unreachable[i];
        std::ostringstream values;
        for (int i = 0; i < 6; ++i) values << (i ? ", " : "") << ThresholdKeys[i] << " " << Real(t[i]);
        int line = 0;
        for (int i = 1; i < 6 && line == 0; ++i) {
            if (!(t[i] >= t[i - 1])) line = LineOf(lines, WeatherNames[weather], ThresholdKeys[i]);
        }
        if (line == 0) line = LineOf(lines, WeatherNames[weather], "");
        Add(line, Severity::Error,
            std::string("[") + WeatherNames[weather] + "] zone thresholds out of order (" + values.str() +
                "): the " + list + " can no longer be reached; keep them ascending, NormalZoneEnd <= CloudZoneStart <= ... <= SpaceZoneStart");
    }

    void CheckHotkeys(const std::vector<Line>& lines) {
        const struct {
            const char* name;
            int32_t code;
        } keys[3] = {{"ReloadKey", Settings.ReloadKey}, {"OnOffKey", Settings.OnOffKey}, {"DebugKey", Settings.DebugKey}};
        for (int later = 1; later < 3; ++later) {
            for (int earlier = 0; earlier < later; ++earlier) {
                if (keys[earlier].code != keys[later].code || keys[later].code < 0 || keys[later].code >= 0xFF) continue;
                char hex[16];
                std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(keys[later].code));
                Add(LineOf(lines, "KEYS", keys[later].name), Severity::Warning,
                    std::string(keys[later].name) + " and " + keys[earlier].name + " are both " + hex + ": " +
                        keys[earlier].name + " takes every release first, so " + keys[later].name +
                        " never fires; give each action its own key");
                break;
            }
        }
    }

    std::string file_;
    std::vector<Finding>& findings_;
};

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The alternate-file switch of a file as the module reads it, or empty when it is off.
std::string AlternateName(const std::vector<Line>& lines) {
    bool inGlobal = false, switched = false, seenSwitch = false, seenName = false;
    std::string name = "atmosphere.ini";
    bool firstGlobalDone = false;
    for (const Line& line : lines) {
        if (line.isSection) {
            if (inGlobal) firstGlobalDone = true;
            inGlobal = !firstGlobalDone && Lower(line.name) == "global";
            continue;
        }
        if (!inGlobal) continue;
        if (!seenSwitch && Lower(line.name) == "enablealternateconfigfile") {
            seenSwitch = true;
            switched = line.hasValue && !line.value.empty() && ProfileInteger(line.value) == 1;
        }
        if (!seenName && Lower(line.name) == "alternateconfigfile") {
            seenName = true;
            if (line.hasValue) name = line.value.substr(0, TextLimit);
        }
    }
    return switched ? name : "";
}

int LineOfGlobalKey(const std::vector<Line>& lines, const std::string& key) {
    for (const Line& line : lines) {
        if (!line.isSection && Lower(line.section) == "global" && Lower(line.name) == Lower(key)) return line.number;
    }
    return 0;
}

}  // namespace

std::vector<Finding> CheckConfiguration(const std::string& path) {
    std::vector<Finding> findings;
    Checker checker(path, findings);
    const std::optional<std::string> bytes = ReadFile(path);
    if (!bytes) {
        checker.Add(0, Severity::Error,
                    "file not found: the module would use the default of every key; check the name and the folder");
        return findings;
    }
    if (bytes->rfind("\xFF\xFE", 0) == 0 || bytes->rfind("\xFE\xFF", 0) == 0) {
        checker.Add(0, Severity::Warning, "the file is saved as UTF-16: save it as plain text (ANSI or UTF-8) to check it");
        return findings;
    }
    // The record as the module loads it, redirect followed: some findings
    // depend on other keys' values.
    PreloadConfiguration(path);
    std::vector<Line> lines = checker.CheckLines(*bytes);

    const std::string alternate = AlternateName(lines);
    if (!alternate.empty()) {
        const int line = LineOfGlobalKey(lines, "EnableAlternateConfigFile");
        if (alternate == "atmosphere.ini") {
            checker.Add(line, Severity::Note,
                        "EnableAlternateConfigFile is 1 but the alternate file is atmosphere.ini, which the module never "
                        "switches to: the rest of this file is read");
        } else {
            std::string alternatePath = (PathFromText(path).parent_path() / PathFromText(alternate)).string();
            std::replace(alternatePath.begin(), alternatePath.end(), '\\', '/');
            checker.Add(line, Severity::Note,
                        "EnableAlternateConfigFile is 1: the module reads " + Quoted(alternate) +
                            " instead of this file, and nothing else here counts");
            Checker other(alternatePath, findings);
            const std::optional<std::string> alternateBytes = ReadFile(alternatePath);
            if (!alternateBytes) {
                checker.Add(LineOfGlobalKey(lines, "AlternateConfigFile"), Severity::Warning,
                            "the alternate file " + Quoted(alternatePath) +
                                " is not there: the module would use the default of every key");
                return findings;
            }
            const std::vector<Line> alternateLines = other.CheckLines(*alternateBytes);
            if (!AlternateName(alternateLines).empty() && AlternateName(alternateLines) != "atmosphere.ini") {
                other.Add(LineOfGlobalKey(alternateLines, "EnableAlternateConfigFile"), Severity::Warning,
                          "this file redirects again, to " + Quoted(AlternateName(alternateLines)) +
                              ": the module follows one redirect only and reads this file");
            }
            other.CheckRecord(alternateLines);
            return findings;
        }
    }
    checker.CheckRecord(lines);
    return findings;
}

std::string FormatFinding(const Finding& finding) {
    static constexpr const char* Names[] = {"note", "warning", "error"};
    std::string text = finding.file;
    if (finding.line > 0) {
        text += ':';
        text += std::to_string(finding.line);
    }
    text += ": ";
    text += Names[static_cast<int>(finding.severity)];
    text += ": ";
    text += finding.message;
    return text;
}

bool HasErrors(const std::vector<Finding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const Finding& finding) { return finding.severity == Severity::Error; });
}

}  // namespace preview
