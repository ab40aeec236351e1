// Built-in climb and flight-file reader for the preview.
#include "tools/preview/flight.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <streambuf>
#include <string_view>

#include "config/setting_keys.h"
#include "config/settings.h"
#include "tools/common/weather_name.h"

namespace preview {
namespace {

enum class Column { Frame, Altitude, Weather, Vehicle, Keys, Tags, Edits };

constexpr std::pair<const char*, Column> ColumnNames[] = {
    {"frame", Column::Frame},     {"altitude", Column::Altitude}, {"weather", Column::Weather},
    {"vehicle", Column::Vehicle}, {"keys", Column::Keys},         {"tags", Column::Tags},
    {"edits", Column::Edits},
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

// A line longer than this is no flight file's: binary data, most likely.
constexpr size_t LongestLine = 64 * 1024;

class LineError {
public:
    LineError(const std::string& path, int line) : where_(path + ":" + std::to_string(line) + ": ") {}
    [[noreturn]] void Fail(const std::string& why) const { throw FlightError(where_ + why); }

private:
    std::string where_;
};

// The text's lines one at a time, counted, none longer than LongestLine.
class LineReader {
public:
    LineReader(std::istream& in, std::string name) : in_(in), name_(std::move(name)) {}

    // The next line without its end; false at the end of the text. A line
    // ends at LF, CR LF, or a CR alone (a file saved with old Mac line ends
    // would otherwise be one line, its header, and no frame).
    bool Next(std::string& line) {
        line.clear();
        std::streambuf* buffer = in_.rdbuf();
        if (buffer == nullptr) return false;
        int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) return false;
        ++number_;
        for (; c != std::char_traits<char>::eof() && c != '\n'; c = buffer->sbumpc()) {
            if (c == '\r') {
                if (buffer->sgetc() == '\n') buffer->sbumpc();
                break;
            }
            if (line.size() == LongestLine) {
                Error().Fail("the line is longer than " + std::to_string(LongestLine) +
                             " characters; is this a flight file?");
            }
            line += static_cast<char>(c);
        }
        if (number_ == 1) TakeEncoding(line);
        for (const char c : line) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x20 || c == '\t') continue;
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", byte);
            Error().Fail(std::string("the line holds the byte ") + code +
                         (byte == 0 ? ", as a file saved as UTF-16 does after every letter: save it as UTF-8 or ANSI"
                                    : ": a flight file is text, and this is not"));
        }
        return true;
    }

    // Fails naming the line last read.
    LineError Error() const { return LineError(name_, number_); }

private:
    // The first line's byte-order mark: UTF-8's is dropped (Excel's "CSV
    // UTF-8" and Notepad write it); UTF-16's is named.
    void TakeEncoding(std::string& line) const {
        if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
        if (line.starts_with("\xFF\xFE") || line.starts_with("\xFE\xFF")) {
            Error().Fail("the file is UTF-16 text: save it as UTF-8 or ANSI");
        }
    }

    std::istream& in_;
    std::string name_;
    int number_ = 0;
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

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// A key the module reads in [section], by the module's own table; names
// match in any case, as the module matches them.
bool IsKnownKey(std::string_view section, std::string_view key) {
    if (FindWeatherIgnoringCase(std::string(section)) >= 0) {
        return std::any_of(std::begin(WeatherSettingKeys), std::end(WeatherSettingKeys),
                           [&](const SettingKey& known) { return SameName(known.key, key); });
    }
    return std::any_of(std::begin(GlobalSettingKeys), std::end(GlobalSettingKeys), [&](const SettingKey& known) {
        return SameName(known.section, section) && SameName(known.key, key);
    });
}

FileEdit ParseEdit(const std::string& word, const LineError& error) {
    if (word == "delete") return {FileEdit::Kind::Delete, "", "", ""};
    if (word == "restore") return {FileEdit::Kind::Restore, "", "", ""};
    const auto dot = word.find('.');
    const auto equals = word.find('=');
    if (dot == std::string::npos || equals == std::string::npos || dot == 0 || equals < dot + 2) {
        error.Fail("edit \"" + word + "\" is none of SECTION.Key=VALUE, delete, restore");
    }
    FileEdit edit{FileEdit::Kind::Set, word.substr(0, dot), word.substr(dot + 1, equals - dot - 1),
                  word.substr(equals + 1)};
    if (!IsKnownKey(edit.section, edit.key)) {
        error.Fail("edit \"" + word + "\": the module reads no key " + edit.key + " in [" + edit.section + "]");
    }
    return edit;
}

// --- The header -------------------------------------------------------------------

using Columns = std::vector<Column>;

Column ColumnNamed(const std::string& cell, const LineError& error) {
    for (const auto& [name, column] : ColumnNames) {
        if (cell == name) return column;
    }
    error.Fail("unknown column \"" + cell + "\" (frame, altitude, weather, vehicle, keys, tags, edits)");
}

Columns ReadHeader(const std::vector<std::string>& cells, const LineError& error) {
    Columns columns;
    for (const std::string& cell : cells) columns.push_back(ColumnNamed(cell, error));
    if (columns.size() < 2 || columns[0] != Column::Frame || columns[1] != Column::Altitude) {
        error.Fail("the first two columns must be frame and altitude");
    }
    return columns;
}

// --- One row ----------------------------------------------------------------------

struct KeyFrame {
    long frame = 0;
    FlightFrame input;
};

// A frame number after `previous` (-1 before the first row) and within the longest flight.
long ParseFrameNumber(const std::string& cell, long previous, const LineError& error) {
    const long frame = ParseWhole(cell, "frame", error);
    if (frame < 0) error.Fail("frame numbers start at 0");
    if (static_cast<size_t>(frame) >= MaximumFlightFrames) {
        error.Fail("the flight is too long: at most " + std::to_string(MaximumFlightFrames) + " frames (100 hours)");
    }
    if (previous >= 0 && frame <= previous) {
        error.Fail("frame " + cell + " does not come after frame " + std::to_string(previous) + " of the line before");
    }
    return frame;
}

int ParseWeather(const std::string& cell, const LineError& error) {
    const int weather = FindWeatherIgnoringCase(cell);
    if (weather < 0) error.Fail("weather \"" + cell + "\" is none of the 15 weather names");
    return weather;
}

int ParseVehicle(const std::string& cell, const LineError& error) {
    if (cell != "0" && cell != "1") error.Fail("vehicle must be 0 or 1, not \"" + cell + "\"");
    return cell == "1";
}

void ParseCell(Column column, const std::string& cell, long previous, KeyFrame& keyFrame, const LineError& error) {
    FlightFrame& input = keyFrame.input;
    switch (column) {
    case Column::Frame: keyFrame.frame = ParseFrameNumber(cell, previous, error); break;
    case Column::Altitude: input.altitude = ParseAltitude(cell, error); break;
    case Column::Weather:
        if (!cell.empty()) input.weather = ParseWeather(cell, error);
        break;
    case Column::Vehicle:
        if (!cell.empty()) input.vehicle = ParseVehicle(cell, error);
        break;
    case Column::Keys:
        for (const std::string& key : SplitWords(cell)) {
            CheckKey(key, error);
            input.keys.push_back(key);
        }
        break;
    case Column::Tags:
        for (const std::string& word : SplitWords(cell)) input.tags.push_back(ParseTag(word, error));
        break;
    case Column::Edits:
        for (const std::string& word : SplitWords(cell)) input.edits.push_back(ParseEdit(word, error));
        break;
    }
}

KeyFrame ParseRow(const std::vector<std::string>& cells, const Columns& columns, long previous,
                  const LineError& error) {
    if (cells.size() < 2) error.Fail("a line needs at least a frame and an altitude");
    if (cells.size() > columns.size()) {
        error.Fail("a line has " + std::to_string(cells.size()) + " cells, but there are only " +
                   std::to_string(columns.size()) + " columns");
    }
    KeyFrame keyFrame;
    for (size_t i = 0; i < cells.size(); ++i) ParseCell(columns[i], cells[i], previous, keyFrame, error);
    return keyFrame;
}

// --- The whole text ---------------------------------------------------------------

// Reads key frames one line at a time, checking each as it comes: a header
// may come first, then rows with increasing frame numbers.
class KeyFrameReader {
public:
    KeyFrameReader(std::istream& in, std::string name) : lines_(in, std::move(name)) {}

    // The next key frame; false at the end of the text.
    bool Next(KeyFrame& keyFrame) {
        std::string line;
        while (lines_.Next(line)) {
            const std::string trimmed = Trim(line);
            if (trimmed.empty() || trimmed[0] == '#') continue;
            const std::vector<std::string> cells = SplitCells(trimmed);
            const bool header = first_ && !cells.empty() && cells[0] == "frame";
            first_ = false;
            if (header) {
                columns_ = ReadHeader(cells, lines_.Error());
                continue;
            }
            keyFrame = ParseRow(cells, columns_, previous_, lines_.Error());
            previous_ = keyFrame.frame;
            return true;
        }
        return false;
    }

private:
    LineReader lines_;
    bool first_ = true;
    long previous_ = -1;
    // Without a header, the columns come in this order.
    Columns columns_ = {Column::Frame, Column::Altitude, Column::Weather, Column::Vehicle,
                        Column::Keys,  Column::Tags,     Column::Edits};
};

// --- Between the key frames -------------------------------------------------------

// The altitude at `frame`, on the straight line from one key frame to the next.
float AltitudeBetween(const KeyFrame& from, const KeyFrame& to, long frame) {
    const float t = static_cast<float>(frame - from.frame) / static_cast<float>(to.frame - from.frame);
    return from.input.altitude + (to.input.altitude - from.input.altitude) * t;
}

// A frame between key frames: weather and vehicle hold, no key or tag acts.
void ClearEvents(FlightFrame& frame) {
    frame.weather = -1;
    frame.vehicle = -1;
    frame.keys.clear();
    frame.tags.clear();
    frame.edits.clear();
}

// Replays a flight file: between two key frames the altitude is interpolated,
// so only those two are held.
class FileFlight final : public Flight {
public:
    FileFlight(std::unique_ptr<std::istream> in, std::string textName)
        : in_(std::move(in)), textName_(std::move(textName)) {
        KeyFrameReader reader(*in_, textName_);
        KeyFrame keyFrame;
        long last = -1;
        while (reader.Next(keyFrame)) {
            last = keyFrame.frame;
            editsFile = editsFile || !keyFrame.input.edits.empty();
        }
        if (last < 0) throw FlightError(textName_ + ": the flight file holds no frame");
        frameCount = static_cast<size_t>(last) + 1;
        Restart();
    }

    void Restart() override {
        in_->clear();
        in_->seekg(0);
        if (!*in_) throw FlightError(textName_ + ": cannot be read a second time; give a file, not a pipe");
        reader_ = std::make_unique<KeyFrameReader>(*in_, textName_);
        havePrevious_ = false;
        frame_ = 0;
        reader_->Next(next_);
    }

    bool Next(FlightFrame& frame) override {
        if (frame_ >= static_cast<long>(frameCount)) return false;
        if (frame_ > next_.frame) Advance();
        // Before the first key frame the player waits at its altitude.
        const float altitude = havePrevious_ ? AltitudeBetween(previous_, next_, frame_) : next_.input.altitude;
        if (frame_ == next_.frame) {
            frame = next_.input;
        } else {
            ClearEvents(frame);
        }
        frame.altitude = altitude;
        ++frame_;
        return true;
    }

private:
    // Moves on to the next pair of key frames.
    void Advance() {
        previous_ = std::move(next_);
        havePrevious_ = true;
        if (!reader_->Next(next_)) throw FlightError(textName_ + ": the flight file changed while it was read");
    }

    std::unique_ptr<std::istream> in_;
    std::string textName_;
    std::unique_ptr<KeyFrameReader> reader_;
    KeyFrame previous_, next_;
    bool havePrevious_ = false;
    long frame_ = 0;
};

class ClimbFlight final : public Flight {
public:
    ClimbFlight(float speed, float top, int steps) : speed_(speed), top_(top), steps_(steps) {
        frameCount = static_cast<size_t>(steps) * 2 + 1;
    }

    void Restart() override { frame_ = 0; }

    bool Next(FlightFrame& frame) override {
        if (frame_ >= static_cast<long>(frameCount)) return false;
        const long step = frame_ <= steps_ ? frame_ : 2L * steps_ - frame_;
        frame = FlightFrame{};
        frame.altitude = std::min(top_, speed_ * static_cast<float>(step));
        ++frame_;
        return true;
    }

private:
    float speed_;
    float top_;
    long steps_;
    long frame_ = 0;
};

}  // namespace

std::unique_ptr<Flight> BuildClimb(int weather, float speed, float top, bool inVehicle, float gameWind) {
    if (!(speed > 0) || !std::isfinite(speed)) throw FlightError("the vertical speed must be a positive number");
    if (!(top > 0) || !std::isfinite(top)) throw FlightError("the climb needs a positive, finite top altitude");
    const double climbFrames = std::ceil(static_cast<double>(top) / speed);
    if (climbFrames * 2 + 1 > MaximumFlightFrames) {
        throw FlightError("a climb to " + std::to_string(top) + " at " + std::to_string(speed) +
                          " units per frame is too long; raise the vertical speed");
    }
    auto flight = std::make_unique<ClimbFlight>(speed, top, static_cast<int>(climbFrames));
    flight->startWeather = weather;
    flight->startInVehicle = inVehicle;
    flight->gameWind = gameWind;
    std::ostringstream name;
    name << "climb in " << WeatherNames[weather] << " to " << top << " and back at " << speed << " units per frame"
         << (inVehicle ? ", in a vehicle" : ", on foot");
    flight->name = name.str();
    return flight;
}

std::unique_ptr<Flight> ReadFlight(std::unique_ptr<std::istream> in, const std::string& name, int startWeather,
                                   bool inVehicle, float gameWind) {
    auto flight = std::make_unique<FileFlight>(std::move(in), name);
    flight->name = "flight " + name;
    flight->startWeather = startWeather;
    flight->startInVehicle = inVehicle;
    flight->gameWind = gameWind;
    return flight;
}

std::unique_ptr<Flight> ReadFlightFile(const std::string& path, int startWeather, bool inVehicle, float gameWind) {
    auto file = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*file) throw FlightError(path + ": cannot open the flight file");
    return ReadFlight(std::move(file), path, startWeather, inVehicle, gameWind);
}

std::string FileEdit::Text() const {
    switch (kind) {
    case Kind::Delete: return "delete";
    case Kind::Restore: return "restore";
    case Kind::Set: break;
    }
    return section + "." + key + "=" + value;
}

std::vector<FlightFrame> AllFrames(Flight& flight) {
    std::vector<FlightFrame> frames;
    flight.Restart();
    for (FlightFrame frame; flight.Next(frame);) frames.push_back(frame);
    flight.Restart();
    return frames;
}

}  // namespace preview
