// The preview's written outputs, each produced as the flight runs: the CSV
// timeline, the JSON-lines trace of every call, and the per-zone summary
// printed on the terminal and shown in the report page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "config/settings.h"
#include "sim/trace.h"
#include "tools/preview/timeline.h"

namespace preview {

// One header line, then one row per frame as it ends: frame, altitude, zone
// label, weather from, to and fraction, forced weather, cloud set, opacity,
// modifier, strength, wind, effect level, flashes; then the zone's name, the
// configuration's name of the cloud set, whether the module is on, whether
// its debug overlay is on, and the configuration file it reads. One table
// in report.cpp names each column and fills it.
class TimelineCsvWriter final : public FrameObserver {
public:
    explicit TimelineCsvWriter(std::ostream& out);
    void Frame(const FrameSample& sample) override;

    static constexpr size_t RealColumns = 6;  // of the column table in report.cpp

private:
    // The text of a real column's last value: most columns hold still for
    // many frames, and formatting a real costs more than the rest of a row.
    struct RealCell {
        bool known = false;
        uint32_t bits = 0;
        std::string text;
    };
    void AppendCachedReal(RealCell& cell, float value);

    std::ostream& out_;
    std::string row_;
    RealCell reals_[RealColumns];
};

void WriteTimelineCsv(const Timeline& timeline, std::ostream& out);

// One JSON object per line for every event: frame, caller, kind, name, hash
// (natives only), decoded arguments and results.
class TraceJsonLinesWriter final : public sim::TraceSink {
public:
    explicit TraceJsonLinesWriter(std::ostream& out) : out_(out) {}
    void Record(const sim::TraceRecord& record) override;

private:
    std::ostream& out_;
    std::string line_;
};

void WriteTraceJsonLines(const std::vector<sim::TraceEvent>& trace, std::ostream& out);

// What the module did in each zone, gathered frame by frame in fixed memory,
// apart for the frames on the way up and those on the way down: a zone's
// arrival actions, and what the zones above leave behind, differ between
// the two.
class ZoneSummary final : public FrameObserver {
public:
    // Which way the player moves: up from the first frame, then as the
    // altitude last changed.
    enum Way { Up, Down };

    // What the module did on the frames of one way through a zone.
    struct Leg {
        size_t frames = 0;
        float strengthLow, strengthHigh, opacityLow, opacityHigh;
        float windLow, windHigh, fractionLow, fractionHigh;
        int flashes = 0;
        bool windHeld = false;
        bool effectOff = false;
        std::set<std::string> modifiers, clouds, forced, transitions, actions, rows;
        Leg();
    };
    struct Zone {
        size_t frames = 0;
        float lowest, highest;
        std::array<Leg, 2> legs;  // by Way
        Zone();
    };
    // A weather the flight set while the player was above the normal zone.
    struct LateWeather {
        int frame = 0;
        float altitude = 0;
        std::string weather;  // what the game's weather became
        std::string row;      // the row the module kept using
    };

    explicit ZoneSummary(RunInfo info) : info_(std::move(info)) {}
    void Frame(const FrameSample& sample) override;

    const RunInfo& Info() const { return info_; }
    const std::array<Zone, 7>& Zones() const { return zones_; }
    size_t DisabledFrames() const { return disabledFrames_; }
    size_t DebugFrames() const { return debugFrames_; }
    const std::set<std::string>& ConfigFiles() const { return configFiles_; }
    const std::vector<LateWeather>& LateWeathers() const { return lateWeathers_; }
    // The rows the module used while enabled, as weather indexes, in order.
    std::vector<int> Rows() const;
    static constexpr size_t MaximumLateWeathers = 20;

private:
    RunInfo info_;
    std::array<Zone, 7> zones_;
    size_t disabledFrames_ = 0;
    size_t debugFrames_ = 0;
    std::set<std::string> configFiles_;
    std::vector<LateWeather> lateWeathers_;
    int previousZone_ = 0;
    float previousAltitude_ = 0;
    Way way_ = Up;
    std::string lastConfigFile_;
};

// One thing the module did in a zone, as a person reads it: one text when
// both ways agree (or the zone was passed one way only), else the two.
struct ZoneQuantity {
    const char* name;  // "weather", "modifier", "clouds", "wind", ...
    std::string text;  // empty when the ways differ
    std::string up, down;
};

// What the module did in `zone`: the row, weather, modifier, clouds, wind,
// effect level, lightning and actions, in that order.
std::vector<ZoneQuantity> DescribeZone(const ZoneSummary::Zone& zone);

// The settings of `weather` that change nothing as `settings` stand, each
// with the reason in short ("LightningFrequency: EnableLightningAboveClouds
// is off and EnableLightningInSpace is off").
std::vector<std::string> IdleSettings(int weather, const AtmosphereSettings& settings);

// "900 .. 1200", "1" or "-" (nothing seen), each end rounded to three
// significant digits for reading.
std::string FormatRange(float low, float high);

// A zone's keys, "CloudZoneStart to CloudZoneEnd", and its overlay label
// without the line break, by rung.
std::string ZoneKeysText(int zone);
std::string ZoneLabelText(int zone);

// A cloud set as "NO_CLOUDS (Snowy 01)": the configuration's name beside
// the game's, or the game's name alone when the file has none for it.
std::string CloudSetWithName(const std::string& cloudSet);

// What a weather fraction is, and why a late weather change shows late.
extern const char* const WeatherFractionNote;
extern const char* const LateWeatherNote;

// The summary as text for the terminal; `settings` are the file's, for the
// settings that change nothing in the flight's weathers.
void WriteSummary(const ZoneSummary& summary, const AtmosphereSettings& settings, std::ostream& out);

}  // namespace preview
