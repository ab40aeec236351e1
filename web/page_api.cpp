// What the report page asks of the module, as C functions the page's script
// calls: the same flight runner, checker and file writer as the tools, over
// the module's own code on the simulated host. The page's file lives in the
// in-memory file system as atmosphere.ini in the folder /game, where the module reads it
// as it reads it beside the game.
#include <emscripten/emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "config/setting_keys.h"
#include "config/settings.h"
#include "tools/common/profile_edit.h"
#include "tools/common/setting_value.h"
#include "tools/common/virtual_keys.h"
#include "tools/common/weather_name.h"
#include "tools/preview/chart.h"
#include "tools/preview/checker.h"
#include "tools/preview/commands.h"
#include "tools/preview/flight.h"
#include "tools/preview/page.h"
#include "tools/preview/report.h"
#include "tools/preview/runner.h"
#include "tools/preview/setting_use.h"

namespace {

// The file lives in the game's folder under the name the tool read it by
// (atmosphere_flight), and is named from that folder, as the tool names a
// file in the current folder: the findings and the timeline name it as the
// tool does.
constexpr char GameFolder[] = "/game";
std::string ConfigPath = "atmosphere.ini";
constexpr char FlightPath[] = "/flight/flight.csv";  // apart from the game's folder, which the runner copies
constexpr float ClimbHeadroom = 1.1f;                // as the tool's climb: a tenth above the space zone's start

std::string result;  // the last answer, read by the page before its next call
std::string chart;   // the SVG of the last flight
std::string zones;   // what the module did in each zone of the last flight, as the report's markup

// The flight the tool ran, as atmosphere_flight gave it.
struct PageFlight {
    std::string name;      // the flight file's name as the tool was given it; empty: the built-in climb
    int startWeather = 2;  // the game's weather when the flight file starts
    bool inVehicle = false;
    float gameWind = 3.0f;
} pageFlight;

const char* Answer(std::string text) {
    result = std::move(text);
    return result.c_str();
}

// `text` as a JSON string whose characters are its bytes, as the page holds
// the file (one character per byte): a value beyond ASCII reads back as the
// bytes the file has.
void AppendJsonText(std::string& json, std::string_view text) {
    json += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    json += '"';
}

void WriteFile(const char* folder, const char* path, const char* bytes, size_t size) {
    mkdir(folder, 0755);  // there after the first call
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes, static_cast<std::streamsize>(size));
}

void WriteConfiguration(const char* bytes, size_t size) {
    mkdir(GameFolder, 0755);
    chdir(GameFolder);
    WriteFile(GameFolder, ConfigPath.c_str(), bytes, size);
}

// The built-in climb in the weather named `weather` (any case), or the page's
// flight file when `weather` is empty and there is one. Reads the file.
std::unique_ptr<preview::Flight> BuildPageFlight(const char* weather, float speed) {
    const WeatherIndex named = FindWeatherIgnoringCase(weather);
    const int index = named < 0 ? 2 : named;
    if (weather[0] == '\0' && !pageFlight.name.empty()) {
        return preview::ReadFlight(std::make_unique<std::ifstream>(FlightPath, std::ios::binary), pageFlight.name,
                                   pageFlight.startWeather, pageFlight.inVehicle, pageFlight.gameWind);
    }
    preview::PreloadConfiguration(ConfigPath);
    const float top = Settings.Weather[index].SpaceZoneStart * ClimbHeadroom;
    auto flight = preview::BuildClimb(index, speed, top, pageFlight.inVehicle, pageFlight.gameWind);
    flight->name = std::string("climb in ") + WeatherNames[index];
    return flight;
}

// Flies the page's flight with the file `bytes`, keeping its chart and zone
// table; the answer is timeline.csv when asked for, else empty.
const char* Fly(const char* bytes, size_t size, const char* weather, float speed, bool timeline) {
    WriteConfiguration(bytes, size);
    try {
        auto flight = BuildPageFlight(weather, speed);
        const preview::RunInfo info{ConfigPath, flight->name, flight->frameCount};
        std::ostringstream csv;
        std::optional<preview::TimelineCsvWriter> writer;
        preview::ZoneSummary summary(info);
        preview::ChartBuilder drawing(info);
        preview::RunOptions options;
        options.observers = {&summary, &drawing};
        if (timeline) options.observers.push_back(&writer.emplace(csv));
        preview::RunFlight(ConfigPath, *flight, options);
        chart = drawing.Render();
        preview::PreloadConfiguration(ConfigPath);  // the zone table names the file's idle settings
        zones = preview::RenderZoneSection(summary);
        return Answer(csv.str());
    } catch (const preview::FlightError& error) {
        return Answer(std::string("error: ") + error.what());
    }
}

}  // namespace

extern "C" {

// The run the tool made, for every later call of the page: a flight file's
// text and the name the tool was given it by (no name: the built-in climb),
// the game's weather as it starts, in a vehicle or not, the game's own wind,
// and the settings file's name (without its folder).
EMSCRIPTEN_KEEPALIVE void atmosphere_flight(const char* bytes, size_t size, const char* name, const char* weather,
                                            int inVehicle, float gameWind, const char* configName) {
    WriteFile("/flight", FlightPath, bytes, size);
    const std::string_view given = configName;
    ConfigPath = given.empty() || given.find_first_of("/\\") != std::string_view::npos ? "atmosphere.ini" : given;
    const WeatherIndex start = FindWeatherIgnoringCase(weather);
    pageFlight = {name, start < 0 ? 2 : start, inVehicle != 0, gameWind};
}

// A file beside the settings file that the module may read in its place
// (the alternate file it names, a numbered file), as the tool found it. A
// name with a folder in it is not taken: the tool leaves those out.
EMSCRIPTEN_KEEPALIVE void atmosphere_beside(const char* bytes, size_t size, const char* name) {
    const std::string_view given = name;
    if (given.empty() || given == "." || given == ".." || given.find_first_of("/\\") != std::string_view::npos) return;
    const std::string path = std::string(GameFolder) + "/" + name;
    WriteFile(GameFolder, path.c_str(), bytes, size);
}

// timeline.csv of the page's flight with the file `bytes`, as `atmosphere-sim
// run` writes it: the built-in climb in `weather` (any case) at `speed` units
// per frame, or with `weather` empty the flight file. The chart and the zone
// table are kept for atmosphere_chart and atmosphere_zones.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_timeline(const char* bytes, size_t size, const char* weather, float speed) {
    return Fly(bytes, size, weather, speed, true);
}

// The same flight for the chart and the zone table alone: an edit's redraw,
// which leaves the timeline's text until it is asked for.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_fly(const char* bytes, size_t size, const char* weather, float speed) {
    return Fly(bytes, size, weather, speed, false);
}

// One weather's part of the report with the file `bytes`: its ladder, its
// settings and its climb.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_weather(const char* bytes, size_t size, const char* weather) {
    WriteConfiguration(bytes, size);
    const WeatherIndex index = FindWeatherIgnoringCase(weather);
    if (index < 0) return Answer("");
    preview::PreloadConfiguration(ConfigPath);
    const std::string climb = preview::WeatherClimbChart(ConfigPath, index, Settings.Weather[index].SpaceZoneStart,
                                                         pageFlight.inVehicle, pageFlight.gameWind);
    preview::PreloadConfiguration(ConfigPath);  // the climb leaves the settings as its flight ended
    return Answer(preview::RenderWeatherSection(index, climb));
}

// What the module did in each zone of the last flight.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_zones() { return Answer(zones); }

// What `atmosphere-sim check` prints for the file `bytes`.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_check(const char* bytes, size_t size) {
    WriteConfiguration(bytes, size);
    std::ostringstream out;
    preview::CheckCommand(ConfigPath, out);
    return Answer(out.str());
}

// The file `bytes` with [section] key set to `value`, every other byte as
// it was; or "error: " and why the value would be misread.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_edit(const char* bytes, size_t size, const char* section, const char* key,
                                                 const char* value) {
    ProfileEdit edit{section, key, value};
    const bool global = FindWeatherIgnoringCase(section) < 0;
    for (const SettingKey& row : GlobalSettingKeys) {
        if (global && edit.section == row.section && edit.key == row.key) {
            if (const std::string misread = ValueMisread(row, value); !misread.empty())
                return Answer("error: " + misread);
        }
    }
    for (const SettingKey& row : WeatherSettingKeys) {
        if (!global && edit.key == row.key) {
            if (const std::string misread = ValueMisread(row, value); !misread.empty())
                return Answer("error: " + misread);
        }
    }
    if (const std::string problem = ProfileEditProblem(edit); !problem.empty()) return Answer("error: " + problem);
    return Answer(ApplyProfileEdits(std::string_view(bytes, size), {edit}));
}

// The chart of the flight of the last atmosphere_timeline.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_chart() { return Answer(chart); }

// Every setting for the page's fields, as a JSON array: per key its section,
// name, kind, the text as written and its line (0: the default), and what it
// does.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_settings(const char* bytes, size_t size) {
    WriteConfiguration(bytes, size);
    const preview::CheckedText checked = preview::CheckConfigurationFile(ConfigPath);
    static const char* const KindNames[] = {"flag", "integer", "small-integer", "key",
                                            "real", "text",    "cloud",         "weather"};
    // Written by hand: it is asked for after every edit, and building it as
    // a JSON library's objects took most of its time.
    std::string json = "[";
    const auto add = [&](const SettingKey& key, const char* section, size_t read, const char* role) {
        const platform::ProfileRead& answer = checked.reads->reads[read];
        const bool integer = IsIntegerKind(key.kind);
        if (json.size() > 1) json += ',';
        json += "{\"section\":";
        AppendJsonText(json, section);
        json += ",\"key\":";
        AppendJsonText(json, key.key);
        json += ",\"kind\":\"";
        json += KindNames[static_cast<int>(key.kind)];
        json += "\",\"value\":";
        AppendJsonText(json, integer ? std::to_string(answer.number) : std::string(answer.text));
        json += ",\"line\":" + std::to_string(answer.line) + ",\"role\":";
        AppendJsonText(json, role);
        json += '}';
    };
    for (size_t row = 0; row < GlobalSettingKeyCount; ++row) {
        add(GlobalSettingKeys[row], GlobalSettingKeys[row].section, GlobalReadIndex(row),
            preview::GlobalSettingRole(row));
    }
    for (int weather = 0; weather < WeatherCount; ++weather) {
        for (size_t row = 0; row < WeatherSettingKeyCount; ++row) {
            add(WeatherSettingKeys[row], WeatherNames[weather], WeatherReadIndex(weather, row),
                preview::SettingRole(row));
        }
    }
    return Answer(json + "]");
}

// The names the page's lists offer, as JSON: cloud sets, weathers, and the
// key codes with their names.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_lists() {
    nlohmann::json keys = nlohmann::json::array();
    for (int code = 1; code < 255; ++code) {
        const KeyCodeMeaning meaning = DescribeKeyCode(code);
        if (meaning.name != "an unassigned code") keys.push_back({KeyCodeText(code), meaning.name});
    }
    return Answer(nlohmann::json{{"clouds", CloudNames}, {"weathers", WeatherNames}, {"keys", keys}}.dump());
}

// The last answer, and its length: it may hold NUL bytes, which a C
// string's return cannot carry.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_answer() { return result.c_str(); }
EMSCRIPTEN_KEEPALIVE size_t atmosphere_answer_size() { return result.size(); }

}  // extern "C"
