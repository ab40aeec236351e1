// Parses and runs scenarios. Numbers are read with std::from_chars (no
// locale) and every derived value is computed in double with basic
// operations, so the same text gives the same trace with g++ and mingw.
#include "sim/scenario.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace sim {
namespace {

struct CommandShape {
    const char* name;
    size_t operands;
};

constexpr CommandShape Commands[] = {
    {"load", 0},          {"unload", 0},       {"frames", 1},       {"climb", 3},        {"altitude", 1},
    {"vehicle-altitude", 1}, {"enter", 0},     {"leave", 0},        {"weather", 3},      {"wind", 1},
    {"timecycle", 1},     {"tag-register", 2}, {"tag", 2},          {"key-down", 1},     {"key-up", 1},
    {"key", 1},           {"clock", 1},        {"frame-ms", 1},     {"image", 1},        {"image-flag", 0},
    {"ini", 4},
};

bool ParseInteger(const std::string& word, int64_t& value) {
    const char* begin = word.data();
    const char* end = begin + word.size();
    bool negative = false;
    if (begin != end && *begin == '-') {
        negative = true;
        ++begin;
    }
    int base = 10;
    if (end - begin > 2 && begin[0] == '0' && (begin[1] == 'x' || begin[1] == 'X')) {
        base = 16;
        begin += 2;
    }
    uint64_t magnitude = 0;
    const auto [stop, error] = std::from_chars(begin, end, magnitude, base);
    if (error != std::errc() || stop != end || begin == end || magnitude > 0xFFFFFFFFull) return false;
    value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool ParseUnsigned32(const std::string& word, uint32_t& value) {
    int64_t number = 0;
    if (!ParseInteger(word, number) || number < 0 || number > 0xFFFFFFFFll) return false;
    value = static_cast<uint32_t>(number);
    return true;
}

bool ParseInt32(const std::string& word, int32_t& value) {
    int64_t number = 0;
    if (!ParseInteger(word, number) || number < INT32_MIN || number > INT32_MAX) return false;
    value = static_cast<int32_t>(number);
    return true;
}

bool ParseReal(const std::string& word, double& value) {
    const char* begin = word.data();
    const char* end = begin + word.size();
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc() && stop == end && begin != end;
}

// A weather name (any case) or a 0x hash.
bool ParseWeather(const std::string& word, uint32_t& hash) {
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) return ParseUnsigned32(word, hash);
    if (word.empty()) return false;
    hash = GameHash(word);
    return true;
}

bool ParseImageMode(const std::string& word, ImageMode& mode) {
    if (word == "signature") mode = ImageMode::Signature;
    else if (word == "none") mode = ImageMode::NoSignature;
    else if (word == "readonly-target") mode = ImageMode::ReadOnlyTarget;
    else return false;
    return true;
}

bool ParseTagType(const std::string& word, int32_t& type) {
    if (word == "bool") type = 2;
    else if (word == "int") type = 3;
    else return false;
    return true;
}

// A file of the game folder, named without any path: a scenario never
// writes outside that folder.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}

bool SameWord(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return line;
}

// The profile text with KEY=VALUE set in [SECTION]; names match without
// regard to case, as the readers match them. Lines end with CR LF.
std::string SetProfileValue(const std::string& text, const std::string& section, const std::string& key,
                            const std::string& value) {
    std::vector<std::string> lines;
    std::istringstream input(text);
    for (std::string line; std::getline(input, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    const std::string entry = key + "=" + value;
    size_t insertAt = lines.size();
    bool inSection = false;
    bool sectionFound = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = Trimmed(lines[i]);
        if (!line.empty() && line.front() == '[') {
            if (inSection) break;
            inSection = line.size() >= 2 && line.back() == ']' && SameWord(line.substr(1, line.size() - 2), section);
            sectionFound = sectionFound || inSection;
            if (inSection) insertAt = i + 1;
            continue;
        }
        if (!inSection) continue;
        const size_t equals = line.find('=');
        if (equals != std::string_view::npos && SameWord(Trimmed(line.substr(0, equals)), key)) {
            lines[i] = entry;
            insertAt = lines.size() + 1;  // replaced: nothing to insert
            break;
        }
        if (!line.empty()) insertAt = i + 1;
    }
    if (!sectionFound) {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    } else if (insertAt <= lines.size()) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    }
    std::string output;
    for (const std::string& line : lines) output += line + "\r\n";
    return output;
}

// Rewrites a file of the game folder, which the module reads again at its
// next reload.
void WriteGameFile(const Session& session, const std::string& name, const std::string& section,
                   const std::string& key, const std::string& value) {
    // The folder as the module sees it, without its last backslash; forward
    // slashes serve both Linux and Windows paths.
    std::string path = session.GameDirectory() + "/" + name;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    std::stringstream text;
    if (std::ifstream input(path, std::ios::binary); input) text << input.rdbuf();
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    output << SetProfileValue(text.str(), section, key, value);
    if (!output) Session::Fault("ini: cannot write " + path);
}

// Checks the operands of one step; the message names the first bad one.
std::string CheckOperands(const ScenarioStep& step) {
    const std::string& c = step.command;
    const auto& w = step.words;
    uint32_t u = 0;
    int32_t i = 0;
    double d = 0.0;
    ImageMode mode{};
    if (c == "frames" || c == "clock" || c == "frame-ms" || c == "key-down" || c == "key-up" || c == "key") {
        if (!ParseUnsigned32(w[0], u)) return "not an unsigned 32-bit number: " + w[0];
    } else if (c == "climb") {
        if (!ParseReal(w[0], d)) return "not a number: " + w[0];
        if (!ParseReal(w[1], d)) return "not a number: " + w[1];
        if (!ParseUnsigned32(w[2], u) || u == 0) return "not a frame count: " + w[2];
    } else if (c == "altitude" || c == "vehicle-altitude" || c == "wind") {
        if (!ParseReal(w[0], d)) return "not a number: " + w[0];
    } else if (c == "weather") {
        if (!ParseWeather(w[0], u)) return "not a weather: " + w[0];
        if (!ParseWeather(w[1], u)) return "not a weather: " + w[1];
        if (!ParseReal(w[2], d)) return "not a number: " + w[2];
    } else if (c == "tag-register") {
        if (!ParseTagType(w[1], i)) return "tag type must be int or bool: " + w[1];
    } else if (c == "tag") {
        if (!ParseInt32(w[1], i)) return "not a 32-bit integer: " + w[1];
    } else if (c == "image") {
        if (!ParseImageMode(w[0], mode)) return "image mode must be signature, none or readonly-target: " + w[0];
    } else if (c == "ini") {
        if (!IsPlainFileName(w[0])) return "not a file name of the game folder: " + w[0];
    }
    return {};
}

float ToFloat(const std::string& word) {
    double value = 0.0;
    ParseReal(word, value);
    return static_cast<float>(value);
}

uint32_t ToUnsigned(const std::string& word) {
    uint32_t value = 0;
    ParseUnsigned32(word, value);
    return value;
}

void RunStep(const ScenarioStep& step, Session& session) {
    const std::string& c = step.command;
    const auto& w = step.words;
    World& world = session.world();
    if (c == "load") {
        session.Load();
    } else if (c == "unload") {
        session.Unload();
    } else if (c == "frames") {
        session.RunFrames(ToUnsigned(w[0]));
    } else if (c == "climb") {
        double from = 0.0, to = 0.0;
        ParseReal(w[0], from);
        ParseReal(w[1], to);
        const uint32_t frames = ToUnsigned(w[2]);
        for (uint32_t n = 1; n <= frames; ++n) {
            world.SetPlayerAltitude(static_cast<float>(from + (to - from) * static_cast<double>(n) / frames));
            session.RunFrames(1);
        }
    } else if (c == "altitude") {
        world.SetPlayerAltitude(ToFloat(w[0]));
        session.RecordEvent(c, {TraceValue::Float(ToFloat(w[0]))});
    } else if (c == "vehicle-altitude") {
        world.SetVehicleAltitude(ToFloat(w[0]));
        session.RecordEvent(c, {TraceValue::Float(ToFloat(w[0]))});
    } else if (c == "enter") {
        world.EnterVehicle();
        session.RecordEvent(c);
    } else if (c == "leave") {
        world.LeaveVehicle();
        session.RecordEvent(c);
    } else if (c == "weather") {
        ParseWeather(w[0], world.transitionFrom);
        ParseWeather(w[1], world.transitionTo);
        world.transitionFraction = ToFloat(w[2]);
        session.RecordEvent(c, {TraceValue::Hex(world.transitionFrom), TraceValue::Hex(world.transitionTo),
                                TraceValue::Float(world.transitionFraction)});
    } else if (c == "wind") {
        world.gameWindSpeed = ToFloat(w[0]);
        session.RecordEvent(c, {TraceValue::Float(world.gameWindSpeed)});
    } else if (c == "timecycle") {
        world.SetTimecycleModifier(w[0] == "none" ? std::string() : w[0]);
        session.RecordEvent(c, {TraceValue::Text(world.timecycleModifier)}, {TraceValue::Int(world.timecycleIndex)});
    } else if (c == "tag-register") {
        int32_t type = 0;
        ParseTagType(w[1], type);
        world.RegisterTag(w[0], type);
        session.RecordEvent(c, {TraceValue::Text(w[0]), TraceValue::Int(type)});
    } else if (c == "tag") {
        int32_t value = 0;
        ParseInt32(w[1], value);
        world.SetTag(PlayerCharacterHandle, w[0], value);
        session.RecordEvent(c, {TraceValue::Text(w[0]), TraceValue::Int(value)});
    } else if (c == "key-down") {
        session.KeyDown(ToUnsigned(w[0]));
    } else if (c == "key-up") {
        session.KeyUp(ToUnsigned(w[0]));
    } else if (c == "key") {
        session.PressKey(ToUnsigned(w[0]));
    } else if (c == "clock") {
        session.SetNow(ToUnsigned(w[0]));
        session.RecordEvent(c, {TraceValue::Hex(session.Now())});
    } else if (c == "frame-ms") {
        session.SetFrameMilliseconds(ToUnsigned(w[0]));
        session.RecordEvent(c, {TraceValue::Int(static_cast<int32_t>(ToUnsigned(w[0])))});
    } else if (c == "image") {
        ImageMode mode{};
        ParseImageMode(w[0], mode);
        session.ArrangeImage(mode);
        session.RecordEvent(c, {TraceValue::Text(w[0])}, {TraceValue::Int(session.Image().signatures)});
    } else if (c == "image-flag") {
        const ImageReport report = session.Image();
        session.RecordEvent(c, {}, {TraceValue::Int(report.signatures), TraceValue::Int(report.flag)});
    } else if (c == "ini") {
        WriteGameFile(session, w[0], w[1], w[2], w[3]);
        session.RecordEvent(c, {TraceValue::Text(w[0]), TraceValue::Text(w[1]), TraceValue::Text(w[2]),
                                TraceValue::Text(w[3])});
    }
}

}  // namespace

bool ParseScenario(std::string_view text, Scenario& scenario, std::string& error) {
    scenario.steps.clear();
    uint32_t lineNumber = 0;
    size_t position = 0;
    while (position <= text.size()) {
        size_t end = text.find('\n', position);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(position, end - position);
        position = end + 1;
        ++lineNumber;
        if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);

        ScenarioStep step;
        step.line = lineNumber;
        size_t at = 0;
        while (at < line.size()) {
            while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
            size_t stop = at;
            while (stop < line.size() && line[stop] != ' ' && line[stop] != '\t' && line[stop] != '\r') ++stop;
            if (stop > at) {
                std::string word(line.substr(at, stop - at));
                if (step.command.empty()) step.command = std::move(word);
                else step.words.push_back(std::move(word));
            }
            at = stop;
        }
        if (step.command.empty()) continue;

        const CommandShape* shape = nullptr;
        for (const CommandShape& candidate : Commands) {
            if (step.command == candidate.name) shape = &candidate;
        }
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (shape == nullptr) {
            error = where + "unknown command " + step.command;
            return false;
        }
        if (step.words.size() != shape->operands) {
            error = where + step.command + " takes " + std::to_string(shape->operands) + " operand(s), got " +
                    std::to_string(step.words.size());
            return false;
        }
        if (std::string problem = CheckOperands(step); !problem.empty()) {
            error = where + problem;
            return false;
        }
        scenario.steps.push_back(std::move(step));
    }
    return true;
}

void RunScenario(const Scenario& scenario, Session& session) {
    for (const ScenarioStep& step : scenario.steps) RunStep(step, session);
    if (session.Loaded()) session.Unload();
}

}  // namespace sim
