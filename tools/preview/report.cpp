// CSV, JSON-lines and summary writers for a preview run. Each takes the run
// frame by frame, so none of them grows with the length of the flight.
#include "tools/preview/report.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "atmosphere/zone.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "tools/common/real_text.h"
#include "tools/common/settings_dump.h"
#include "tools/preview/runner.h"
#include "tools/preview/setting_use.h"

namespace preview {
namespace {

template <typename Integer> void AppendInteger(std::string& out, Integer value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// CSV cell: quoted when it holds a separator, a quote or a line break.
void AppendCell(std::string& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

// A JSON value exactly as the JSON library writes it.
void AppendJson(std::string& out, const sim::TraceValue& value) {
    switch (value.kind) {
    case sim::ValueKind::Int: AppendInteger(out, value.number); return;
    case sim::ValueKind::Hex: out += '"' + sim::FormatValue(value) + '"'; return;
    case sim::ValueKind::Float:
        if (!std::isfinite(value.real)) {
            out += '"' + ShortestRealText(value.real) + '"';
        } else {
            out += nlohmann::json(static_cast<double>(value.real)).dump();
        }
        return;
    case sim::ValueKind::Text: {
        // Bytes that are not UTF-8 become \u00XX of the byte, so every trace is valid JSON.
        std::string text;
        for (unsigned char c : value.text) {
            if (c < 0x80) {
                text += static_cast<char>(c);
            } else {
                text += static_cast<char>(0xC0 | (c >> 6));
                text += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        out += nlohmann::json(text).dump();
        return;
    }
    case sim::ValueKind::Out: out += "\"&\""; return;
    }
    out += "null";
}

void AppendJsonArray(std::string& out, std::span<const sim::TraceValue> values) {
    out += '[';
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out += ',';
        AppendJson(out, values[i]);
    }
    out += ']';
}

const char* KindName(sim::TraceKind kind) {
    switch (kind) {
    case sim::TraceKind::Host: return "host";
    case sim::TraceKind::Native: return "native";
    case sim::TraceKind::Event: return "event";
    case sim::TraceKind::Error: return "error";
    }
    return "event";
}

void Widen(float value, float& low, float& high) {
    if (std::isnan(value)) return;
    low = std::min(low, value);
    high = std::max(high, value);
}

// Adds `value` unless it is already there; most frames repeat the last one.
void Note(std::set<std::string>& items, const std::string& value) {
    if (items.find(value) == items.end()) items.insert(value);
}

std::string Join(const std::set<std::string>& items, const char* quote = "") {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + (quote + item + quote);
    return text;
}

}  // namespace

const char* const WeatherFractionNote =
    "The game blends two weathers: \"CLOUDS -> RAIN at 0.25\" is a quarter of the way from CLOUDS to RAIN "
    "(0: all the first, 1: all the second); one weather alone is the same weather on both sides.";

const char* const LateWeatherNote =
    "The module reads the game's weather, and with it the row of thresholds and effects it uses, only while the "
    "player is below NormalZoneEnd. Higher up it sets the weather itself every frame, so a weather the game "
    "changes there is overwritten and changes nothing; set the weather before the climb, on the ground.";

std::string FormatRange(float low, float high) {
    if (low > high) return "-";
    const std::string lowText = RoundedRealText(low), highText = RoundedRealText(high);
    if (lowText == highText) return lowText;
    return lowText + " .. " + highText;
}

std::string ZoneKeysText(int index) {
    const ZoneInfo& zone = Zones[index];
    if (zone.lowerKey == nullptr) return std::string("below ") + zone.upperKey;
    if (zone.upperKey == nullptr) return std::string(zone.lowerKey) + " and up";
    return std::string(zone.lowerKey) + " to " + zone.upperKey;
}

std::string ZoneLabelText(int index) {
    const char* label = Zones[index].label;
    return std::string(label, std::char_traits<char>::length(label) - 1);
}

std::string CloudSetWithName(const std::string& cloudSet) {
    const char* name = CloudNameOfSet(cloudSet);
    return name == nullptr ? cloudSet : std::string(name) + " (" + cloudSet + ")";
}

// --- Timeline -------------------------------------------------------------------

namespace {

// The timeline's columns, in order: the header's name and how a frame fills
// the cell. Real columns keep their last text (RealCell), found by `real`.
struct TimelineColumn {
    const char* name;
    enum class Kind : uint8_t { Integer, Real, Text, Other } kind;
    int FrameSample::*integer;
    float FrameSample::*real;
    std::string FrameSample::*text;
    void (*other)(std::string& row, const FrameSample& sample);
};

constexpr TimelineColumn IntegerColumn(const char* name, int FrameSample::*field) {
    return {name, TimelineColumn::Kind::Integer, field, nullptr, nullptr, nullptr};
}
constexpr TimelineColumn RealColumn(const char* name, float FrameSample::*field) {
    return {name, TimelineColumn::Kind::Real, nullptr, field, nullptr, nullptr};
}
constexpr TimelineColumn TextColumn(const char* name, std::string FrameSample::*field) {
    return {name, TimelineColumn::Kind::Text, nullptr, nullptr, field, nullptr};
}
constexpr TimelineColumn OtherColumn(const char* name, void (*other)(std::string&, const FrameSample&)) {
    return {name, TimelineColumn::Kind::Other, nullptr, nullptr, nullptr, other};
}

constexpr TimelineColumn TimelineColumns[] = {
    IntegerColumn("frame", &FrameSample::frame),
    RealColumn("altitude", &FrameSample::altitude),
    TextColumn("zone", &FrameSample::zone),
    TextColumn("weather_from", &FrameSample::weatherFrom),
    TextColumn("weather_to", &FrameSample::weatherTo),
    RealColumn("weather_fraction", &FrameSample::weatherFraction),
    TextColumn("forced_weather", &FrameSample::forcedWeather),
    TextColumn("cloud_set", &FrameSample::cloudSet),
    RealColumn("cloud_opacity", &FrameSample::cloudOpacity),
    TextColumn("modifier", &FrameSample::modifier),
    RealColumn("strength", &FrameSample::strength),
    RealColumn("wind", &FrameSample::wind),
    RealColumn("effect_level", &FrameSample::effectLevel),
    IntegerColumn("flashes", &FrameSample::flashes),
    OtherColumn("zone_name",
                [](std::string& row, const FrameSample& s) {
                    if (s.zoneIndex >= 0) row += Zones[s.zoneIndex].name;
                }),
    OtherColumn("cloud_name",
                [](std::string& row, const FrameSample& s) {
                    if (const char* name = CloudNameOfSet(s.cloudSet)) row += name;
                }),
    OtherColumn("module", [](std::string& row, const FrameSample& s) { row += s.enabled ? "on" : "off"; }),
    OtherColumn("debug", [](std::string& row, const FrameSample& s) { row += s.debug ? "on" : "off"; }),
    TextColumn("config_file", &FrameSample::configFile),
};

constexpr size_t RealColumnCount() {
    size_t count = 0;
    for (const TimelineColumn& column : TimelineColumns) count += column.kind == TimelineColumn::Kind::Real;
    return count;
}
static_assert(RealColumnCount() == TimelineCsvWriter::RealColumns);

}  // namespace

TimelineCsvWriter::TimelineCsvWriter(std::ostream& out) : out_(out) {
    std::string header;
    for (const TimelineColumn& column : TimelineColumns) {
        if (!header.empty()) header += ',';
        header += column.name;
    }
    out_ << header << '\n';
}

void TimelineCsvWriter::AppendCachedReal(RealCell& cell, float value) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    if (!cell.known || bits != cell.bits) {
        cell.known = true;
        cell.bits = bits;
        cell.text.clear();
        AppendShortestReal(cell.text, value);
    }
    row_ += cell.text;
}

void TimelineCsvWriter::Frame(const FrameSample& s) {
    row_.clear();
    size_t real = 0;
    for (const TimelineColumn& column : TimelineColumns) {
        if (&column != TimelineColumns) row_ += ',';
        switch (column.kind) {
        case TimelineColumn::Kind::Integer: AppendInteger(row_, s.*column.integer); break;
        case TimelineColumn::Kind::Real: AppendCachedReal(reals_[real++], s.*column.real); break;
        case TimelineColumn::Kind::Text: AppendCell(row_, s.*column.text); break;
        case TimelineColumn::Kind::Other: column.other(row_, s); break;
        }
    }
    row_ += '\n';
    out_.write(row_.data(), static_cast<std::streamsize>(row_.size()));
}

void WriteTimelineCsv(const Timeline& timeline, std::ostream& out) {
    TimelineCsvWriter writer(out);
    for (const FrameSample& sample : timeline.frames) writer.Frame(sample);
}

// --- Trace --------------------------------------------------------------------------

void TraceJsonLinesWriter::Record(const sim::TraceRecord& event) {
    std::string& line = line_;
    line.clear();
    line += "{\"arguments\":";
    AppendJsonArray(line, event.arguments);
    line += event.caller == sim::TraceCaller::Script ? ",\"caller\":\"script\"" : ",\"caller\":\"game\"";
    line += ",\"frame\":";
    AppendInteger(line, event.frame);
    if (event.kind == sim::TraceKind::Native) {
        char hash[40];
        std::snprintf(hash, sizeof hash, ",\"hash\":\"0x%016llX\"", static_cast<unsigned long long>(event.hash));
        line += hash;
    }
    line += ",\"kind\":\"";
    line += KindName(event.kind);
    line += "\",\"name\":";
    line += nlohmann::json(std::string(event.name)).dump();
    line += ",\"results\":";
    AppendJsonArray(line, event.results);
    line += "}\n";
    out_.write(line.data(), static_cast<std::streamsize>(line.size()));
}

void WriteTraceJsonLines(const std::vector<sim::TraceEvent>& trace, std::ostream& out) {
    TraceJsonLinesWriter writer(out);
    for (const sim::TraceEvent& event : trace) writer.Record(sim::ViewOf(event));
}

// --- Summary ----------------------------------------------------------------------------

ZoneSummary::Leg::Leg()
    : strengthLow(INFINITY),
      strengthHigh(-INFINITY),
      opacityLow(INFINITY),
      opacityHigh(-INFINITY),
      windLow(INFINITY),
      windHigh(-INFINITY),
      fractionLow(INFINITY),
      fractionHigh(-INFINITY) {}

ZoneSummary::Zone::Zone() : lowest(INFINITY), highest(-INFINITY) {}

void ZoneSummary::Frame(const FrameSample& s) {
    if (s.debug) ++debugFrames_;
    if (s.configFile != lastConfigFile_) {
        lastConfigFile_ = s.configFile;
        Note(configFiles_, s.configFile);
    }
    for (const FlightEvent& event : s.events) {
        if (event.kind == EventKind::WeatherChanged && previousZone_ > 0 &&
            lateWeathers_.size() < MaximumLateWeathers) {
            lateWeathers_.push_back({s.frame, s.altitude, event.detail, s.rowWeather});
        }
    }
    // A frame at the altitude of the last keeps its way.
    if (s.frame > 0 && s.altitude > previousAltitude_) way_ = Up;
    if (s.frame > 0 && s.altitude < previousAltitude_) way_ = Down;
    previousAltitude_ = s.altitude;
    previousZone_ = s.zoneIndex < 0 ? 0 : s.zoneIndex;
    if (s.zoneIndex < 0) {
        ++disabledFrames_;
        return;
    }
    Zone& zone = zones_[static_cast<size_t>(s.zoneIndex)];
    ++zone.frames;
    Widen(s.altitude, zone.lowest, zone.highest);
    Leg& z = zone.legs[way_];
    ++z.frames;
    Note(z.rows, s.rowWeather);
    if (!s.modifier.empty()) {
        Note(z.modifiers, s.modifier);
        Widen(s.strength, z.strengthLow, z.strengthHigh);
    }
    if (!s.cloudSet.empty()) {
        Note(z.clouds, s.cloudSet);
        Widen(s.cloudOpacity, z.opacityLow, z.opacityHigh);
    }
    if (!s.forcedWeather.empty()) Note(z.forced, s.forcedWeather);
    if (s.weatherFrom == s.weatherTo) {
        Note(z.transitions, s.weatherFrom);
    } else {
        Note(z.transitions, s.weatherFrom + " -> " + s.weatherTo);
    }
    Widen(s.weatherFraction, z.fractionLow, z.fractionHigh);
    Widen(s.wind, z.windLow, z.windHigh);
    z.windHeld = z.windHeld || s.windOverridden;
    z.effectOff = z.effectOff || s.effectLevel == 0.0f;
    z.flashes += s.flashes;
    for (const FlightEvent& event : s.events) {
        if (event.kind == EventKind::Lightning || event.kind == EventKind::Hotkey ||
            event.kind == EventKind::WeatherChanged || event.kind == EventKind::RowChanged) {
            continue;
        }
        Note(z.actions, std::string(EventKindName(event.kind)) + (event.detail.empty() ? "" : " " + event.detail));
    }
}

std::vector<int> ZoneSummary::Rows() const {
    std::vector<int> rows;
    for (const Zone& zone : zones_) {
        for (const Leg& leg : zone.legs) {
            for (const std::string& name : leg.rows) {
                const int weather = FindWeatherByName(name.c_str());
                if (weather >= 0 && std::find(rows.begin(), rows.end(), weather) == rows.end()) rows.push_back(weather);
            }
        }
    }
    return rows;
}

namespace {

// The texts of one way through a zone, in the order of DescribeZone.
std::vector<std::string> LegTexts(const ZoneSummary::Leg& z) {
    std::string clouds;
    for (const std::string& set : z.clouds) clouds += (clouds.empty() ? "\"" : ", \"") + CloudSetWithName(set) + "\"";
    return {
        Join(z.rows),
        Join(z.transitions) + " at " + FormatRange(z.fractionLow, z.fractionHigh) +
            (z.forced.empty() ? "" : ", forced " + Join(z.forced)),
        (z.modifiers.empty() ? "none" : Join(z.modifiers, "\"")) + ", strength " +
            FormatRange(z.strengthLow, z.strengthHigh),
        (z.clouds.empty() ? "none" : clouds) + ", opacity " + FormatRange(z.opacityLow, z.opacityHigh),
        FormatRange(z.windLow, z.windHigh) + (z.windHeld ? " (set by the module)" : " (the game's own)"),
        z.effectOff ? "0 (switched off)" : "the game's own",
        std::to_string(z.flashes) + (z.flashes == 1 ? " flash" : " flashes"),
        z.actions.empty() ? "none" : Join(z.actions),
    };
}

}  // namespace

std::vector<ZoneQuantity> DescribeZone(const ZoneSummary::Zone& zone) {
    static constexpr const char* Names[] = {"row",  "weather",      "modifier",  "clouds",
                                            "wind", "effect level", "lightning", "actions"};
    const ZoneSummary::Leg& upLeg = zone.legs[ZoneSummary::Up];
    const ZoneSummary::Leg& downLeg = zone.legs[ZoneSummary::Down];
    const std::vector<std::string> up = LegTexts(upLeg), down = LegTexts(downLeg);
    std::vector<ZoneQuantity> quantities;
    for (size_t i = 0; i < std::size(Names); ++i) {
        ZoneQuantity quantity{Names[i], "", "", ""};
        if (upLeg.frames == 0 || downLeg.frames == 0 || up[i] == down[i]) {
            quantity.text = upLeg.frames > 0 ? up[i] : down[i];
        } else {
            quantity.up = up[i];
            quantity.down = down[i];
        }
        quantities.push_back(std::move(quantity));
    }
    return quantities;
}

std::vector<std::string> IdleSettings(int weather, const AtmosphereSettings& settings) {
    std::vector<std::string> idle;
    for (size_t key = 0; key < WeatherSettingKeyCount; ++key) {
        const std::optional<UnusedSetting> unused = WhyUnused(key, weather, settings);
        if (!unused) continue;
        idle.push_back(std::string(WeatherSettingKeys[key].key) + ": " + unused->Brief());
    }
    return idle;
}

void WriteSummary(const ZoneSummary& summary, const AtmosphereSettings& settings, std::ostream& out) {
    const RunInfo& info = summary.Info();
    out << "Flight: " << info.flightName << " (" << info.frameCount << " frames)\n";
    out << "Configuration: " << info.configPath << "\n";
    if (summary.ConfigFiles().size() > 1 ||
        (summary.ConfigFiles().size() == 1 && *summary.ConfigFiles().begin() != info.configPath)) {
        out << "Files the module read: " << Join(summary.ConfigFiles()) << "\n";
    }
    out << WeatherFractionNote << "\n\n";
    for (int index = 0; index < ZoneCount; ++index) {
        out << Zones[index].name << " [" << ZoneLabelText(index) << ", " << ZoneKeysText(index) << "]: ";
        const ZoneSummary::Zone& z = summary.Zones()[static_cast<size_t>(index)];
        if (z.frames == 0) {
            out << "not reached\n\n";
            continue;
        }
        out << "altitude " << FormatRange(z.lowest, z.highest) << ", " << z.frames << " frames\n";
        for (const ZoneQuantity& quantity : DescribeZone(z)) {
            if (quantity.text.empty() && quantity.up.empty() && quantity.down.empty()) continue;
            char name[16];
            std::snprintf(name, sizeof name, "  %-13s", quantity.name);
            out << name << (quantity.text.empty() ? "up: " + quantity.up + "; down: " + quantity.down : quantity.text)
                << "\n";
        }
        out << "\n";
    }
    for (const int weather : summary.Rows()) {
        const std::vector<std::string> idle = IdleSettings(weather, settings);
        if (idle.empty()) continue;
        out << "Settings of [" << WeatherNames[weather] << "] that change nothing in this weather:\n";
        for (const std::string& line : idle) out << "  " << line << "\n";
        out << "\n";
    }
    for (const ZoneSummary::LateWeather& late : summary.LateWeathers()) {
        out << "frame " << late.frame << ": the game's weather became " << late.weather << " at altitude "
            << RoundedRealText(late.altitude) << ", above the normal zone: the module kept the " << late.row
            << " row.\n";
    }
    if (!summary.LateWeathers().empty()) out << LateWeatherNote << "\n";
    if (summary.DisabledFrames() > 0) out << "module switched off: " << summary.DisabledFrames() << " frames\n";
    if (summary.DebugFrames() > 0) out << "debug overlay on: " << summary.DebugFrames() << " frames\n";
}

}  // namespace preview
