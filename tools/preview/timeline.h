// What the preview records of a simulated flight: one sample per frame of the
// game's state after the module's pass, and the module's arrival actions.
// A run hands each sample to its observers as the frame ends; only short
// runs and tests keep them all in a Timeline.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace preview {

// The six zone thresholds of the settings row in use, lowest first.
using ZoneThresholds = std::array<float, 6>;

// Kinds of event drawn as markers on the chart.
enum class EventKind {
    ModifierSet,      // a timecycle modifier set by name
    TimedTransition,  // a timed change to a timecycle modifier started
    WeatherForced,    // a weather forced by name
    WeatherReleased,  // the forced weather cleared
    WindHandBack,     // the wind handed back to the game (-1)
    EffectHandBack,   // the effect level handed back to the game (-1)
    CloudsReloaded,   // cloud sets unloaded and the weather's own set loaded
    Lightning,        // a lightning flash
    Hotkey,           // a hotkey released
    EntityTag,        // an entity tag command left by another script
    WeatherChanged,   // the flight changed the game's weather
    RowChanged,       // the module took up another weather's settings row
    FileSaved,        // the flight saved (or deleted) the settings file
};

struct FlightEvent {
    EventKind kind;
    std::string detail;  // modifier or weather name, key, tag; may be empty
};

struct FrameSample {
    int frame = 0;
    float altitude = 0;           // of the player, or of the vehicle the player is in
    std::string zone;             // zone label without its line break; empty while disabled
    int zoneIndex = -1;           // zone 0..6 of Zones (a ZoneId); -1 while disabled
    ZoneThresholds thresholds{};  // of the row in use after the pass
    std::string rowWeather;       // upper-case name of the row in use
    std::string weatherFrom;      // the game's weather transition, as names
    std::string weatherTo;
    float weatherFraction = 0;
    std::string forcedWeather;  // empty when none is forced
    std::string cloudSet;       // empty when none is loaded
    float cloudOpacity = 0;
    std::string modifier;         // empty when none is set
    float strength = 0;           // timecycle modifier strength
    float wind = 0;               // the wind the game blows with
    float gameWind = 0;           // the game's own wind, for reference
    bool windOverridden = false;  // the module holds the wind
    float effectLevel = -1;       // -1: the game's own
    int flashes = 0;              // lightning flashes in this frame
    bool enabled = true;          // the module acted in this frame
    bool debug = false;           // the module draws its debug overlay
    std::string configFile;       // the file the module reads, with the file it redirects to
    std::vector<FlightEvent> events;
};

// Receives every frame of a run as it ends.
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    virtual void Frame(const FrameSample& sample) = 0;
};

// What every observer of a run is told before the first frame.
struct RunInfo {
    std::string configPath;  // the file the module read
    std::string flightName;  // e.g. "climb in CLOUDS at 2 units per frame"
    size_t frameCount = 0;
};

struct Timeline : FrameObserver {
    std::string configPath;
    std::string flightName;
    std::vector<FrameSample> frames;
    void Frame(const FrameSample& sample) override { frames.push_back(sample); }
    RunInfo Info() const { return {configPath, flightName, frames.size()}; }
};

const char* EventKindName(EventKind kind);

}  // namespace preview
