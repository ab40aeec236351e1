// Flights for the preview: what the player does, frame by frame. Either the
// built-in climb (from the ground to above the space zone and back down) or a
// flight file replayed line by line. A flight hands out its frames one at a
// time, so a flight of any length runs in the same memory.
//
// Flight file: CSV, one line per key frame, '#' starts a comment line. The
// first line may name the columns (frame and altitude first, then any of
// weather, vehicle, keys, tags, edits); without it the columns are taken in that
// order. Between two key frames the altitude moves linearly; weather and
// vehicle hold until changed; keys and tags act on their own frame only.
//   frame     whole number, increasing from line to line
//   altitude  of the player (or of the vehicle the player sits in)
//   weather   one of the 15 weather names, any case: the game's weather from then on
//   vehicle   1 in a vehicle, 0 on foot
//   keys      hotkeys released in that frame, separated by ';' or spaces:
//             reload, onoff, debug (the configured keys) or a code such as 0x2E
//   tags      entity tag commands left on the player, separated by ';' or
//             spaces: fileindex=N, reload=1, enabled=1, debugmode=1
//   edits     changes saved to the settings file in that frame, separated by
//             ';' or spaces: SECTION.Key=VALUE (as an editor would save it),
//             delete (the file is deleted) or restore (the file as the run
//             began). The run then works on a copy of the file, never on the
//             file itself, and the module sees each save as it would in the
//             game: through [GLOBAL] AutoReload, or at the next reload.
#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace preview {

// One save to the settings file during a flight.
struct FileEdit {
    enum class Kind { Set, Delete, Restore } kind = Kind::Set;
    std::string section, key, value;  // for Set

    // As the flight file writes it: "RAIN.CloudZoneStart=500", "delete", "restore".
    std::string Text() const;
};

struct FlightFrame {
    float altitude = 0;
    int weather = -1;                               // weather index set in this frame; -1: unchanged
    int vehicle = -1;                               // 1: enters a vehicle, 0: leaves it, -1: unchanged
    std::vector<std::string> keys;                  // "reload", "onoff", "debug" or a code "0x2E"
    std::vector<std::pair<std::string, int>> tags;  // entity tag name as the module reads it, value
    std::vector<FileEdit> edits;                    // saves to the settings file, in order
};

// A flight file that cannot be read; the message starts with FILE:LINE.
class FlightError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A flight: how it starts, how long it is, and its frames in order.
class Flight {
public:
    virtual ~Flight() = default;
    std::string name;      // for the chart's title and the summary
    int startWeather = 2;  // the game's weather before the first frame
    bool startInVehicle = false;
    float gameWind = 1.0f;  // the game's own wind speed
    size_t frameCount = 0;
    bool editsFile = false;  // some frame saves the settings file

    // Goes back to frame 0.
    virtual void Restart() = 0;
    // The next frame's inputs; false after the last frame.
    virtual bool Next(FlightFrame& frame) = 0;
};

// The built-in climb: from 0 up to `top` at `speed` units per frame and back down.
// Throws FlightError when the speed or the top makes no sensible flight.
std::unique_ptr<Flight> BuildClimb(int weather, float speed, float top, bool inVehicle, float gameWind);

// A flight file read from `in`, which the flight reads again from its start
// on every Restart: an std::ifstream or an std::istringstream. The whole text
// is checked here, line by line, and only the current key frames are held.
// Throws FlightError naming `name`, the line and the reason.
std::unique_ptr<Flight> ReadFlight(std::unique_ptr<std::istream> in, const std::string& name, int startWeather,
                                   bool inVehicle, float gameWind);

// The same for a file by its path.
std::unique_ptr<Flight> ReadFlightFile(const std::string& path, int startWeather, bool inVehicle, float gameWind);

// Every frame of a flight, for tests and short flights.
std::vector<FlightFrame> AllFrames(Flight& flight);

// Longest flight the tool will run, in frames: a hundred hours at 60 frames a second.
inline constexpr size_t MaximumFlightFrames = 21'600'000;

}  // namespace preview
