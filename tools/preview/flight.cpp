// Built-in climb and flight-file reader for the preview.
#include "tools/preview/flight.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "config/settings.h"

namespace preview {
namespace {

enum class Column { Frame, Altitude, Weather, Vehicle, Keys, Tags };

constexpr std::pair<const char*, Column> ColumnNames[] = {
    {"frame", Column::Frame}, {"altitude", Column::Altitude}, {"weather", Column::Weather},
    {"vehicle", Column::Vehicle}, {"keys", Column::Keys},     {"tags", Column::Tags},
};

std::string Trim(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) return "";
    const auto end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

std::vector<std::string> SplitCells(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream stream(line);
    while (std::getline(stream, cell, ',')) cells.push_back(Trim(cell));
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    return cells;
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (c == ';' || c == ' ' || c == '\t') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(word);
    return words;
}

class LineError {
public:
    LineError(const std::string& path, int line) : where_(path + ":" + std::to_string(line) + ": ") {}
    [[noreturn]] void Fail(const std::string& why) const { throw FlightError(where_ + why); }

private:
    std::string where_;
};

long ParseWhole(const std::string& text, const char* what, const LineError& error) {
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) {
        error.Fail(std::string(what) + " \"" + text + "\" is not a whole number");
    }
    return value;
}

float ParseAltitude(const std::string& text, const LineError& error) {
    float value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        error.Fail("altitude \"" + text + "\" is not a number");
    }
    return value;
}

void CheckKey(const std::string& key, const LineError& error) {
    if (key == "reload" || key == "onoff" || key == "debug") return;
    if (key.size() > 2 && key[0] == '0' && (key[1] == 'x' || key[1] == 'X')) {
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(key.data() + 2, key.data() + key.size(), value, 16);
        if (ec == std::errc() && end == key.data() + key.size() && value < 256) return;
    }
    error.Fail("key \"" + key + "\" is none of reload, onoff, debug or a code 0x00 to 0xFF");
}

std::pair<std::string, int> ParseTag(const std::string& word, const LineError& error) {
    const auto equals = word.find('=');
    if (equals == std::string::npos) error.Fail("tag \"" + word + "\" has no \"=value\"");
    const std::string name = word.substr(0, equals);
    const long value = ParseWhole(word.substr(equals + 1), "tag value", error);
    if (name == "fileindex") return {"fileindex", static_cast<int>(value)};
    if (name == "reload" || name == "enabled" || name == "debugmode") {
        return {"\"" + name + "\"", static_cast<int>(value)};
    }
    error.Fail("tag \"" + name + "\" is none of fileindex, reload, enabled, debugmode");
}

}  // namespace

int WeatherIndexOf(const std::string& name) {
    for (int i = 0; i < WeatherCount; ++i) {
        if (name == WeatherNames[i]) return i;
    }
    return -1;
}

Flight BuildClimb(int weather, float speed, float top, bool inVehicle, float gameWind) {
    if (!(speed > 0) || !std::isfinite(speed)) throw FlightError("the vertical speed must be a positive number");
    if (!(top > 0) || !std::isfinite(top)) throw FlightError("the climb needs a positive, finite top altitude");
    const double climbFrames = std::ceil(static_cast<double>(top) / speed);
    if (climbFrames * 2 + 1 > MaximumFlightFrames) {
        throw FlightError("a climb to " + std::to_string(top) + " at " + std::to_string(speed) +
                          " units per frame is too long; raise the vertical speed");
    }
    Flight flight;
    flight.startWeather = weather;
    flight.startInVehicle = inVehicle;
    flight.gameWind = gameWind;
    std::ostringstream name;
    name << "climb in " << WeatherNames[weather] << " to " << top << " and back at " << speed << " units per frame"
         << (inVehicle ? ", in a vehicle" : ", on foot");
    flight.name = name.str();
    const int steps = static_cast<int>(climbFrames);
    for (int i = 0; i <= steps; ++i) {
        flight.frames.push_back({std::min(top, speed * static_cast<float>(i)), -1, -1, {}, {}});
    }
    for (int i = steps - 1; i >= 0; --i) {
        flight.frames.push_back({std::min(top, speed * static_cast<float>(i)), -1, -1, {}, {}});
    }
    return flight;
}

Flight ReadFlightFile(const std::string& path, int startWeather, bool inVehicle, float gameWind) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw FlightError(path + ": cannot open the flight file");

    struct KeyFrame {
        long frame;
        FlightFrame input;
    };
    std::vector<KeyFrame> keyFrames;
    std::vector<Column> columns = {Column::Frame, Column::Altitude, Column::Weather,
                                   Column::Vehicle, Column::Keys,   Column::Tags};
    std::string line;
    int lineNumber = 0;
    bool first = true;
    while (std::getline(file, line)) {
        ++lineNumber;
        const LineError error(path, lineNumber);
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        std::vector<std::string> cells = SplitCells(trimmed);
        if (first && !cells.empty() && cells[0] == "frame") {
            columns.clear();
            for (const std::string& cell : cells) {
                bool known = false;
                for (const auto& [name, column] : ColumnNames) {
                    if (cell == name) {
                        columns.push_back(column);
                        known = true;
                    }
                }
                if (!known) error.Fail("unknown column \"" + cell + "\" (frame, altitude, weather, vehicle, keys, tags)");
            }
            if (columns.size() < 2 || columns[0] != Column::Frame || columns[1] != Column::Altitude) {
                error.Fail("the first two columns must be frame and altitude");
            }
            first = false;
            continue;
        }
        first = false;
        if (cells.size() < 2) error.Fail("a line needs at least a frame and an altitude");
        if (cells.size() > columns.size()) {
            error.Fail("a line has " + std::to_string(cells.size()) + " cells, but there are only " +
                       std::to_string(columns.size()) + " columns");
        }
        KeyFrame keyFrame{};
        for (size_t i = 0; i < cells.size(); ++i) {
            const std::string& cell = cells[i];
            switch (columns[i]) {
            case Column::Frame:
                keyFrame.frame = ParseWhole(cell, "frame", error);
                if (keyFrame.frame < 0) error.Fail("frame numbers start at 0");
                if (static_cast<size_t>(keyFrame.frame) >= MaximumFlightFrames) error.Fail("the flight is too long");
                if (!keyFrames.empty() && keyFrame.frame <= keyFrames.back().frame) {
                    error.Fail("frame " + cell + " does not come after frame " +
                               std::to_string(keyFrames.back().frame) + " of the line before");
                }
                break;
            case Column::Altitude:
                keyFrame.input.altitude = ParseAltitude(cell, error);
                break;
            case Column::Weather:
                if (cell.empty()) break;
                keyFrame.input.weather = WeatherIndexOf(cell);
                if (keyFrame.input.weather < 0) {
                    error.Fail("weather \"" + cell + "\" is none of the 15 upper-case weather names");
                }
                break;
            case Column::Vehicle:
                if (cell.empty()) break;
                if (cell != "0" && cell != "1") error.Fail("vehicle must be 0 or 1, not \"" + cell + "\"");
                keyFrame.input.vehicle = cell == "1";
                break;
            case Column::Keys:
                for (const std::string& key : SplitWords(cell)) {
                    CheckKey(key, error);
                    keyFrame.input.keys.push_back(key);
                }
                break;
            case Column::Tags:
                for (const std::string& word : SplitWords(cell)) keyFrame.input.tags.push_back(ParseTag(word, error));
                break;
            }
        }
        keyFrames.push_back(std::move(keyFrame));
    }
    if (keyFrames.empty()) throw FlightError(path + ": the flight file holds no frame");

    Flight flight;
    flight.name = "flight " + path;
    flight.startWeather = startWeather;
    flight.startInVehicle = inVehicle;
    flight.gameWind = gameWind;
    flight.frames.resize(static_cast<size_t>(keyFrames.back().frame) + 1);
    for (size_t k = 0; k < keyFrames.size(); ++k) {
        const KeyFrame& current = keyFrames[k];
        // Before the first key frame the player waits at its altitude.
        const long from = k == 0 ? 0 : keyFrames[k - 1].frame + 1;
        for (long f = from; f <= current.frame; ++f) {
            float altitude = current.input.altitude;
            if (k > 0) {
                const KeyFrame& previous = keyFrames[k - 1];
                const float t = static_cast<float>(f - previous.frame) / static_cast<float>(current.frame - previous.frame);
                altitude = previous.input.altitude + (current.input.altitude - previous.input.altitude) * t;
            }
            flight.frames[static_cast<size_t>(f)].altitude = altitude;
        }
        FlightFrame& at = flight.frames[static_cast<size_t>(current.frame)];
        at.weather = current.input.weather;
        at.vehicle = current.input.vehicle;
        at.keys = current.input.keys;
        at.tags = current.input.tags;
    }
    return flight;
}

}  // namespace preview
