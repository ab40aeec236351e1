// CSV, JSON-lines and summary writers for a preview run.
#include "tools/preview/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

namespace preview {
namespace {

std::string Real(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return buffer;
}

// CSV cell: quoted when it holds a separator, a quote or a line break.
std::string Cell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

nlohmann::json ValueJson(const sim::TraceValue& value) {
    switch (value.kind) {
    case sim::ValueKind::Int: return value.number;
    case sim::ValueKind::Hex: return sim::FormatValue(value);
    case sim::ValueKind::Float:
        if (!std::isfinite(value.real)) return Real(value.real);
        return static_cast<double>(value.real);
    case sim::ValueKind::Text: {
        // Bytes that are not UTF-8 become \u00XX of the byte, so every trace is valid JSON.
        std::string text;
        for (unsigned char c : value.text) {
            if (c < 0x80) text += static_cast<char>(c);
            else {
                text += static_cast<char>(0xC0 | (c >> 6));
                text += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return text;
    }
    case sim::ValueKind::Out: return "&";
    }
    return nullptr;
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

struct ZoneSummary {
    int frames = 0;
    float lowest = INFINITY;
    float highest = -INFINITY;
    float strengthLow = INFINITY, strengthHigh = -INFINITY;
    float opacityLow = INFINITY, opacityHigh = -INFINITY;
    float windLow = INFINITY, windHigh = -INFINITY;
    float fractionLow = INFINITY, fractionHigh = -INFINITY;
    int flashes = 0;
    bool windHeld = false;
    bool effectOff = false;
    std::set<std::string> modifiers, clouds, forced, transitions, actions;
};

void Widen(float value, float& low, float& high) {
    if (std::isnan(value)) return;
    low = std::min(low, value);
    high = std::max(high, value);
}

std::string Range(float low, float high) {
    if (low > high) return "-";
    if (Real(low) == Real(high)) return Real(low);
    return Real(low) + " .. " + Real(high);
}

std::string Join(const std::set<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

constexpr const char* ZoneOrder[] = {"normalzone",       "cloudzonestart",   "cloudzoneend", "abovecloudzonestart",
                                     "abovecloudzoneend", "spacezonestart", "spacezone"};

}  // namespace

void WriteTimelineCsv(const Timeline& timeline, std::ostream& out) {
    out << "frame,altitude,zone,weather_from,weather_to,weather_fraction,forced_weather,cloud_set,cloud_opacity,"
           "modifier,strength,wind,effect_level,flashes\n";
    for (const FrameSample& s : timeline.frames) {
        out << s.frame << ',' << Real(s.altitude) << ',' << Cell(s.zone) << ',' << Cell(s.weatherFrom) << ','
            << Cell(s.weatherTo) << ',' << Real(s.weatherFraction) << ',' << Cell(s.forcedWeather) << ','
            << Cell(s.cloudSet) << ',' << Real(s.cloudOpacity) << ',' << Cell(s.modifier) << ',' << Real(s.strength)
            << ',' << Real(s.wind) << ',' << Real(s.effectLevel) << ',' << s.flashes << '\n';
    }
}

void WriteTraceJsonLines(const std::vector<sim::TraceEvent>& trace, std::ostream& out) {
    for (const sim::TraceEvent& event : trace) {
        nlohmann::json line;
        line["frame"] = event.frame;
        line["caller"] = event.caller == sim::TraceCaller::Script ? "script" : "game";
        line["kind"] = KindName(event.kind);
        line["name"] = event.name;
        if (event.kind == sim::TraceKind::Native) {
            char hash[24];
            std::snprintf(hash, sizeof hash, "0x%016llX", static_cast<unsigned long long>(event.hash));
            line["hash"] = hash;
        }
        line["arguments"] = nlohmann::json::array();
        for (const sim::TraceValue& value : event.arguments) line["arguments"].push_back(ValueJson(value));
        line["results"] = nlohmann::json::array();
        for (const sim::TraceValue& value : event.results) line["results"].push_back(ValueJson(value));
        out << line.dump() << '\n';
    }
}

void WriteSummary(const Timeline& timeline, std::ostream& out) {
    std::map<std::string, ZoneSummary> zones;
    int disabledFrames = 0;
    for (const FrameSample& s : timeline.frames) {
        if (s.zone.empty()) {
            ++disabledFrames;
            continue;
        }
        ZoneSummary& z = zones[s.zone];
        ++z.frames;
        Widen(s.altitude, z.lowest, z.highest);
        if (!s.modifier.empty()) {
            z.modifiers.insert("\"" + s.modifier + "\"");
            Widen(s.strength, z.strengthLow, z.strengthHigh);
        }
        if (!s.cloudSet.empty()) {
            z.clouds.insert("\"" + s.cloudSet + "\"");
            Widen(s.cloudOpacity, z.opacityLow, z.opacityHigh);
        }
        if (!s.forcedWeather.empty()) z.forced.insert(s.forcedWeather);
        z.transitions.insert(s.weatherFrom == s.weatherTo ? s.weatherFrom : s.weatherFrom + " -> " + s.weatherTo);
        Widen(s.weatherFraction, z.fractionLow, z.fractionHigh);
        Widen(s.wind, z.windLow, z.windHigh);
        z.windHeld = z.windHeld || s.windOverridden;
        z.effectOff = z.effectOff || s.effectLevel == 0.0f;
        z.flashes += s.flashes;
        for (const FlightEvent& event : s.events) {
            if (event.kind == EventKind::Lightning || event.kind == EventKind::Hotkey) continue;
            z.actions.insert(std::string(EventKindName(event.kind)) + (event.detail.empty() ? "" : " " + event.detail));
        }
    }
    out << "Flight: " << timeline.flightName << " (" << timeline.frames.size() << " frames)\n";
    out << "Configuration: " << timeline.configPath << "\n\n";
    for (const char* name : ZoneOrder) {
        const auto found = zones.find(name);
        if (found == zones.end()) {
            out << name << ": not reached\n\n";
            continue;
        }
        const ZoneSummary& z = found->second;
        out << name << ": altitude " << Range(z.lowest, z.highest) << ", " << z.frames << " frames\n";
        out << "  weather      " << Join(z.transitions) << " at " << Range(z.fractionLow, z.fractionHigh)
            << (z.forced.empty() ? "" : ", forced " + Join(z.forced)) << "\n";
        out << "  modifier     " << (z.modifiers.empty() ? "none" : Join(z.modifiers)) << ", strength "
            << Range(z.strengthLow, z.strengthHigh) << "\n";
        out << "  clouds       " << (z.clouds.empty() ? "none" : Join(z.clouds)) << ", opacity "
            << Range(z.opacityLow, z.opacityHigh) << "\n";
        out << "  wind         " << Range(z.windLow, z.windHigh) << (z.windHeld ? " (set by the module)" : " (the game's own)")
            << "\n";
        out << "  effect level " << (z.effectOff ? "0 (switched off)" : "the game's own") << "\n";
        out << "  lightning    " << z.flashes << " flashes\n";
        if (!z.actions.empty()) out << "  actions      " << Join(z.actions) << "\n";
        out << "\n";
    }
    if (disabledFrames > 0) out << "module switched off: " << disabledFrames << " frames\n";
}

}  // namespace preview
