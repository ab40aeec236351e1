// What the report page asks of the module, as C functions the page's script
// calls: the same flight runner, checker and file writer as the tools, over
// the module's own code on the simulated host. The page's file lives in the
// in-memory file system as atmosphere.ini in the folder /game, where the module reads it
// as it reads it beside the game.
#include <emscripten/emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "config/setting_keys.h"
#include "config/settings.h"
#include "tools/common/profile_edit.h"
#include "tools/common/setting_value.h"
#include "tools/common/virtual_keys.h"
#include "tools/common/weather_name.h"
#include "tools/preview/chart.h"
#include "tools/preview/checker.h"
#include "tools/preview/commands.h"
#include "tools/preview/setting_use.h"
#include "tools/preview/flight.h"
#include "tools/preview/report.h"
#include "tools/preview/runner.h"

namespace {

// Named from its folder, as the tool is given a file in the current folder,
// so that the findings and the timeline name it as the tool does.
constexpr char GameFolder[] = "/game";
constexpr char ConfigPath[] = "atmosphere.ini";
constexpr float ClimbHeadroom = 1.1f;  // as the tool's climb: a tenth above the space zone's start

std::string result;  // the last answer, read by the page before its next call
std::string chart;   // the SVG of the last atmosphere_timeline's flight

const char* Answer(std::string text) {
    result = std::move(text);
    return result.c_str();
}

void WriteConfiguration(const char* bytes, size_t size) {
    mkdir(GameFolder, 0755);  // there after the first call
    chdir(GameFolder);
    std::ofstream out(ConfigPath, std::ios::binary | std::ios::trunc);
    out.write(bytes, static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" {

// timeline.csv of the built-in climb in `weather` (any case) with the file
// `bytes`, at `speed` units per frame, as `atmosphere-sim run` writes it.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_timeline(const char* bytes, size_t size, const char* weather, float speed) {
    WriteConfiguration(bytes, size);
    const WeatherIndex index = FindWeatherIgnoringCase(weather);
    preview::PreloadConfiguration(ConfigPath);
    const float top = Settings.Weather[index < 0 ? 2 : index].SpaceZoneStart * ClimbHeadroom;
    try {
        auto flight = preview::BuildClimb(index < 0 ? 2 : index, speed, top, false, 3.0f);
        flight->name = std::string("climb in ") + WeatherNames[index < 0 ? 2 : index];
        std::ostringstream csv;
        preview::TimelineCsvWriter writer(csv);
        preview::ChartBuilder drawing({ConfigPath, flight->name, flight->frameCount});
        preview::RunOptions options;
        options.observers = {&writer, &drawing};
        preview::RunFlight(ConfigPath, *flight, options);
        chart = drawing.Render();
        return Answer(csv.str());
    } catch (const preview::FlightError& error) {
        return Answer(std::string("error: ") + error.what());
    }
}

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
            if (const std::string misread = ValueMisread(row, value); !misread.empty()) return Answer("error: " + misread);
        }
    }
    for (const SettingKey& row : WeatherSettingKeys) {
        if (!global && edit.key == row.key) {
            if (const std::string misread = ValueMisread(row, value); !misread.empty()) return Answer("error: " + misread);
        }
    }
    if (const std::string problem = ProfileEditProblem(edit); !problem.empty()) return Answer("error: " + problem);
    return Answer(ApplyProfileEdits(std::string_view(bytes, size), {edit}));
}

// The chart of the flight of the last atmosphere_timeline.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_chart() { return Answer(chart); }

// Every setting for the page's fields, as JSON: per key its section, name,
// kind, the text as written and its line (0: the default), and what it does;
// and the names of the lists (clouds, weathers, keys).
EMSCRIPTEN_KEEPALIVE const char* atmosphere_settings(const char* bytes, size_t size) {
    WriteConfiguration(bytes, size);
    const preview::CheckedText checked = preview::CheckConfigurationFile(ConfigPath);
    static const char* const KindNames[] = {"flag",  "integer", "small-integer", "key",
                                            "real", "text",    "cloud",         "weather"};
    nlohmann::json settings = nlohmann::json::array();
    const auto add = [&](const SettingKey& key, const char* section, size_t read, const std::string& role) {
        const platform::ProfileRead& answer = checked.reads->reads[read];
        const bool integer = IsIntegerKind(key.kind);
        settings.push_back({{"section", section},
                            {"key", key.key},
                            {"kind", KindNames[static_cast<int>(key.kind)]},
                            {"value", integer ? std::to_string(answer.number) : std::string(answer.text)},
                            {"line", answer.line},
                            {"role", role}});
    };
    for (size_t row = 0; row < GlobalSettingKeyCount; ++row) {
        add(GlobalSettingKeys[row], GlobalSettingKeys[row].section, GlobalReadIndex(row), "");
    }
    for (int weather = 0; weather < WeatherCount; ++weather) {
        for (size_t row = 0; row < WeatherSettingKeyCount; ++row) {
            add(WeatherSettingKeys[row], WeatherNames[weather], WeatherReadIndex(weather, row), preview::SettingRole(row));
        }
    }
    nlohmann::json keys = nlohmann::json::array();
    for (int code = 1; code < 255; ++code) {
        const KeyCodeMeaning meaning = DescribeKeyCode(code);
        if (meaning.name != "an unassigned code") keys.push_back({KeyCodeText(code), meaning.name});
    }
    return Answer(nlohmann::json{{"settings", settings},
                                 {"clouds", CloudNames},
                                 {"weathers", WeatherNames},
                                 {"keys", keys}}
                      .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// The last answer, and its length (it may hold NUL bytes). A flight's
// function cannot hand its answer back itself: the switches to the script's
// coroutine unwind its call (ASYNCIFY), and its return value is lost.
EMSCRIPTEN_KEEPALIVE const char* atmosphere_answer() { return result.c_str(); }
EMSCRIPTEN_KEEPALIVE size_t atmosphere_answer_size() { return result.size(); }

}  // extern "C"
