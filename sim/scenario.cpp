// Parses and runs scenarios. Numbers are read with std::from_chars (no
// locale) and every derived value is computed in double with basic
// operations, so the same text gives the same trace with g++ and mingw.
#include "sim/scenario.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace sim {
namespace {

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

constexpr std::pair<const char*, ImageMode> ImageModes[] = {
    {"signature", ImageMode::Signature},
    {"none", ImageMode::NoSignature},
    {"readonly-target", ImageMode::ReadOnlyTarget},
};

const char* ImageModeName(ImageMode mode) {
    for (const auto& [name, candidate] : ImageModes) {
        if (candidate == mode) return name;
    }
    return "?";
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

// Every edit gets a last-write time of its own, later than any before: the
// frames of a scenario run far faster than a file system's clock ticks, and
// the module tells an edit by the file's size and last write. Whole seconds,
// since some systems' way of setting the time keeps no less. Only the order
// of the times matters, never their value.
void StampEdit(const std::string& path) {
    namespace fs = std::filesystem;
    static fs::file_time_type last{};
    fs::file_time_type stamp = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::now());
    if (stamp <= last) stamp = last + std::chrono::seconds(1);
    last = stamp;
    std::error_code ignored;
    fs::last_write_time(fs::path(path), stamp, ignored);
}

// A file of the game folder by its plain name; forward slashes serve both
// Linux and Windows paths.
std::string GameFilePath(const Session& session, const std::string& name) {
    std::string path = session.GameDirectory() + "/" + name;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

}  // namespace

void EditGameFile(const Session& session, const std::string& name, const std::string& section, const std::string& key,
                  const std::string& value) {
    std::stringstream text;
    if (std::ifstream input(GameFilePath(session, name), std::ios::binary); input) text << input.rdbuf();
    WriteGameFile(session, name, SetProfileValue(text.str(), section, key, value));
}

void WriteGameFile(const Session& session, const std::string& name, const std::string& bytes) {
    const std::string path = GameFilePath(session, name);
    {
        std::ofstream output(path, std::ios::binary | std::ios::trunc);
        output << bytes;
        if (!output) Session::Fault("ini: cannot write " + path);
    }
    StampEdit(path);
}

void RemoveGameFile(const Session& session, const std::string& name) {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(GameFilePath(session, name)), ignored);
}

namespace {

// --- Parsing: each command's operands converted once, into its step ------------

using Words = std::vector<std::string>;
using Problem = std::string;  // names the first bad operand; empty when all are fine

template <class Step> Problem NoOperands(const Words&, StepAction& action) {
    action = Step{};
    return {};
}

template <class Step> Problem OneUnsigned(const Words& words, StepAction& action) {
    uint32_t value = 0;
    if (!ParseUnsigned32(words[0], value)) return "not an unsigned 32-bit number: " + words[0];
    action = Step{value};
    return {};
}

template <class Step> Problem OneReal(const Words& words, StepAction& action) {
    double value = 0.0;
    if (!ParseReal(words[0], value)) return "not a number: " + words[0];
    action = Step{static_cast<float>(value)};
    return {};
}

Problem ClimbOperands(const Words& words, StepAction& action) {
    step::Climb climb{};
    if (!ParseReal(words[0], climb.from)) return "not a number: " + words[0];
    if (!ParseReal(words[1], climb.to)) return "not a number: " + words[1];
    if (!ParseUnsigned32(words[2], climb.frames) || climb.frames == 0) return "not a frame count: " + words[2];
    action = climb;
    return {};
}

Problem WeatherOperands(const Words& words, StepAction& action) {
    step::Weather weather{};
    double fraction = 0.0;
    if (!ParseWeather(words[0], weather.from)) return "not a weather: " + words[0];
    if (!ParseWeather(words[1], weather.to)) return "not a weather: " + words[1];
    if (!ParseReal(words[2], fraction)) return "not a number: " + words[2];
    weather.fraction = static_cast<float>(fraction);
    action = weather;
    return {};
}

Problem TimecycleOperands(const Words& words, StepAction& action) {
    action = step::Timecycle{words[0] == "none" ? std::string() : words[0]};
    return {};
}

Problem TagRegisterOperands(const Words& words, StepAction& action) {
    int32_t type = 0;
    if (words[1] == "bool")
        type = 2;
    else if (words[1] == "int")
        type = 3;
    else
        return "tag type must be int or bool: " + words[1];
    action = step::TagRegister{words[0], type};
    return {};
}

Problem TagOperands(const Words& words, StepAction& action) {
    int32_t value = 0;
    if (!ParseInt32(words[1], value)) return "not a 32-bit integer: " + words[1];
    action = step::Tag{words[0], value};
    return {};
}

Problem ImageOperands(const Words& words, StepAction& action) {
    for (const auto& [name, mode] : ImageModes) {
        if (words[0] == name) {
            action = step::Image{mode};
            return {};
        }
    }
    return "image mode must be signature, none or readonly-target: " + words[0];
}

Problem IniOperands(const Words& words, StepAction& action) {
    if (!IsPlainFileName(words[0])) return "not a file name of the game folder: " + words[0];
    action = step::Ini{words[0], words[1], words[2], words[3]};
    return {};
}

Problem PaceOperands(const Words& words, StepAction& action) {
    if (words[0] != "on" && words[0] != "off") return "pace must be on or off: " + words[0];
    action = step::Pace{words[0] == "on"};
    return {};
}

Problem UntilFileOperands(const Words& words, StepAction& action) {
    if (!IsPlainFileName(words[0])) return "not a file name of the game folder: " + words[0];
    uint32_t frames = 0;
    if (!ParseUnsigned32(words[1], frames)) return "not an unsigned 32-bit number: " + words[1];
    action = step::UntilFile{words[0], frames};
    return {};
}

Problem RemoveOperands(const Words& words, StepAction& action) {
    if (!IsPlainFileName(words[0])) return "not a file name of the game folder: " + words[0];
    action = step::Remove{words[0]};
    return {};
}

struct Command {
    const char* name;
    size_t operands;
    Problem (*parse)(const Words& operands, StepAction& action);  // called with `operands` words
};

constexpr Command Commands[] = {
    {"load", 0, NoOperands<step::Load>},
    {"unload", 0, NoOperands<step::Unload>},
    {"frames", 1, OneUnsigned<step::Frames>},
    {"climb", 3, ClimbOperands},
    {"altitude", 1, OneReal<step::Altitude>},
    {"vehicle-altitude", 1, OneReal<step::VehicleAltitude>},
    {"enter", 0, NoOperands<step::Enter>},
    {"leave", 0, NoOperands<step::Leave>},
    {"weather", 3, WeatherOperands},
    {"wind", 1, OneReal<step::Wind>},
    {"timecycle", 1, TimecycleOperands},
    {"tag-register", 2, TagRegisterOperands},
    {"tag", 2, TagOperands},
    {"key-down", 1, OneUnsigned<step::KeyDown>},
    {"key-up", 1, OneUnsigned<step::KeyUp>},
    {"key", 1, OneUnsigned<step::Key>},
    {"clock", 1, OneUnsigned<step::Clock>},
    {"frame-ms", 1, OneUnsigned<step::FrameMilliseconds>},
    {"image", 1, ImageOperands},
    {"image-flag", 0, NoOperands<step::ImageFlag>},
    {"ini", 4, IniOperands},
    {"remove", 1, RemoveOperands},
    {"pace", 1, PaceOperands},
    {"until-file", 2, UntilFileOperands},
};

const Command* FindCommand(std::string_view name) {
    for (const Command& command : Commands) {
        if (name == command.name) return &command;
    }
    return nullptr;
}

// Splits a line into the step's command and operands, without its comment;
// false for a line with no step.
bool SplitLine(std::string_view line, ScenarioStep& step) {
    if (const size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && blank(line[at])) ++at;
        size_t stop = at;
        while (stop < line.size() && !blank(line[stop])) ++stop;
        if (stop > at) {
            std::string word(line.substr(at, stop - at));
            if (step.command.empty())
                step.command = std::move(word);
            else
                step.words.push_back(std::move(word));
        }
        at = stop;
    }
    return !step.command.empty();
}

// Converts the step's operands as its command wants them.
Problem ParseOperands(ScenarioStep& step) {
    const Command* command = FindCommand(step.command);
    if (command == nullptr) return "unknown command " + step.command;
    if (step.words.size() != command->operands) {
        return step.command + " takes " + std::to_string(command->operands) + " operand(s), got " +
               std::to_string(step.words.size());
    }
    return command->parse(step.words, step.action);
}

// --- Running: each step only acts, and names its event by its command ------------

void Run(const step::Load&, const std::string&, Session& session) { session.Load(); }

void Run(const step::Unload&, const std::string&, Session& session) { session.Unload(); }

void Run(const step::Frames& frames, const std::string&, Session& session) { session.RunFrames(frames.count); }

void Run(const step::Climb& climb, const std::string&, Session& session) {
    for (uint32_t n = 1; n <= climb.frames; ++n) {
        const double altitude = climb.from + (climb.to - climb.from) * static_cast<double>(n) / climb.frames;
        session.world().SetPlayerAltitude(static_cast<float>(altitude));
        session.RunFrames(1);
    }
}

void Run(const step::Altitude& altitude, const std::string& event, Session& session) {
    session.world().SetPlayerAltitude(altitude.z);
    session.RecordEvent(event, {TraceValue::Float(altitude.z)});
}

void Run(const step::VehicleAltitude& altitude, const std::string& event, Session& session) {
    session.world().SetVehicleAltitude(altitude.z);
    session.RecordEvent(event, {TraceValue::Float(altitude.z)});
}

void Run(const step::Enter&, const std::string& event, Session& session) {
    session.world().EnterVehicle();
    session.RecordEvent(event);
}

void Run(const step::Leave&, const std::string& event, Session& session) {
    session.world().LeaveVehicle();
    session.RecordEvent(event);
}

void Run(const step::Weather& weather, const std::string& event, Session& session) {
    World& world = session.world();
    world.transitionFrom = weather.from;
    world.transitionTo = weather.to;
    world.transitionFraction = weather.fraction;
    session.RecordEvent(
        event, {TraceValue::Hex(weather.from), TraceValue::Hex(weather.to), TraceValue::Float(weather.fraction)});
}

void Run(const step::Wind& wind, const std::string& event, Session& session) {
    session.world().gameWindSpeed = wind.speed;
    session.RecordEvent(event, {TraceValue::Float(wind.speed)});
}

void Run(const step::Timecycle& timecycle, const std::string& event, Session& session) {
    World& world = session.world();
    world.SetTimecycleModifier(timecycle.modifier);
    session.RecordEvent(event, {TraceValue::Text(world.timecycleModifier)}, {TraceValue::Int(world.timecycleIndex)});
}

void Run(const step::TagRegister& tag, const std::string& event, Session& session) {
    session.world().RegisterTag(tag.name, tag.type);
    session.RecordEvent(event, {TraceValue::Text(tag.name), TraceValue::Int(tag.type)});
}

void Run(const step::Tag& tag, const std::string& event, Session& session) {
    session.world().SetTag(PlayerCharacterHandle, tag.name, tag.value);
    session.RecordEvent(event, {TraceValue::Text(tag.name), TraceValue::Int(tag.value)});
}

void Run(const step::KeyDown& key, const std::string&, Session& session) { session.KeyDown(key.key); }

void Run(const step::KeyUp& key, const std::string&, Session& session) { session.KeyUp(key.key); }

void Run(const step::Key& key, const std::string&, Session& session) { session.PressKey(key.key); }

void Run(const step::Clock& clock, const std::string& event, Session& session) {
    session.SetNow(clock.milliseconds);
    session.RecordEvent(event, {TraceValue::Hex(session.Now())});
}

void Run(const step::FrameMilliseconds& frame, const std::string& event, Session& session) {
    session.SetFrameMilliseconds(frame.milliseconds);
    session.RecordEvent(event, {TraceValue::Int(static_cast<int32_t>(frame.milliseconds))});
}

void Run(const step::Image& image, const std::string& event, Session& session) {
    session.ArrangeImage(image.mode);
    session.RecordEvent(event, {TraceValue::Text(ImageModeName(image.mode))},
                        {TraceValue::Int(session.Image().signatures)});
}

void Run(const step::ImageFlag&, const std::string& event, Session& session) {
    const ImageReport report = session.Image();
    session.RecordEvent(event, {}, {TraceValue::Int(report.signatures), TraceValue::Int(report.flag)});
}

void Run(const step::Pace& pace, const std::string& event, Session& session) {
    session.SetPaced(pace.on);
    session.RecordEvent(event, {TraceValue::Text(pace.on ? "on" : "off")});
}

void Run(const step::UntilFile& until, const std::string& event, Session& session) {
    const std::filesystem::path path(GameFilePath(session, until.file));
    uint32_t frames = 0;
    std::error_code ignored;
    while (frames < until.maxFrames && !std::filesystem::exists(path, ignored)) {
        session.RunFrames(1);
        ++frames;
    }
    // How long it took varies from run to run: the event says only that it ended.
    session.RecordEvent(event, {TraceValue::Text(until.file)});
}

void Run(const step::Remove& remove, const std::string& event, Session& session) {
    RemoveGameFile(session, remove.file);
    session.RecordEvent(event, {TraceValue::Text(remove.file)});
}

void Run(const step::Ini& ini, const std::string& event, Session& session) {
    EditGameFile(session, ini.file, ini.section, ini.key, ini.value);
    session.RecordEvent(event, {TraceValue::Text(ini.file), TraceValue::Text(ini.section), TraceValue::Text(ini.key),
                                TraceValue::Text(ini.value)});
}

}  // namespace

bool ParseScenario(std::string_view text, Scenario& scenario, std::string& error) {
    scenario.steps.clear();
    uint32_t lineNumber = 0;
    size_t position = 0;
    while (position <= text.size()) {
        size_t end = text.find('\n', position);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(position, end - position);
        position = end + 1;
        ++lineNumber;
        ScenarioStep step;
        step.line = lineNumber;
        if (!SplitLine(line, step)) continue;
        if (const Problem problem = ParseOperands(step); !problem.empty()) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        scenario.steps.push_back(std::move(step));
    }
    return true;
}

void RunScenario(const Scenario& scenario, Session& session) {
    for (const ScenarioStep& step : scenario.steps) {
        std::visit([&](const auto& action) { Run(action, step.command, session); }, step.action);
    }
    if (session.Loaded()) session.Unload();
}

}  // namespace sim
