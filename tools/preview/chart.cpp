// SVG rendering of a flight timeline. Four panels share the frame axis:
// altitude over the zone bands, the 0..1 blends, the wind, and a lane of
// event markers. Plain text output, no dependencies.
#include "tools/preview/chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace preview {
namespace {

constexpr double ChartWidth = 1400;
constexpr double PlotLeft = 80;
constexpr double PlotRight = 1180;   // the legend sits to the right
constexpr double TitleHeight = 50;

struct Panel {
    double top;
    double height;
    double minimum;
    double maximum;
    double Y(double value) const {
        const double span = maximum - minimum;
        const double t = span > 0 ? (value - minimum) / span : 0.0;
        return top + height - std::clamp(t, 0.0, 1.0) * height;
    }
};

struct ZoneStyle {
    const char* name;
    const char* fill;
};

constexpr ZoneStyle ZoneStyles[7] = {
    {"normal zone", "#e8f4e8"},        {"cloud-start band", "#dfe9f5"}, {"cloud zone", "#c9d9ee"},
    {"above-clouds-start band", "#e9e2f4"}, {"above-clouds zone", "#d8ccef"},
    {"space-start band", "#f1dede"},   {"space zone", "#e2c4c4"},
};

struct SeriesStyle {
    const char* label;
    const char* colour;
    const char* dash;  // empty for a solid line
};

constexpr SeriesStyle AltitudeStyle{"altitude", "#111111", ""};
constexpr SeriesStyle StrengthStyle{"timecycle strength", "#e07b00", ""};
constexpr SeriesStyle OpacityStyle{"cloud opacity", "#1f6fd1", ""};
constexpr SeriesStyle FractionStyle{"weather transition", "#8a2be2", ""};
constexpr SeriesStyle EffectStyle{"effect level (set)", "#555555", "6 3"};
constexpr SeriesStyle WindStyle{"wind speed", "#1a9a3a", ""};
constexpr SeriesStyle GameWindStyle{"game's own wind", "#7fcf8f", "5 4"};

struct EventStyle {
    EventKind kind;
    int lane;
    const char* colour;
    const char* label;
};

constexpr EventStyle EventStyles[] = {
    {EventKind::ModifierSet, 0, "#e07b00", "modifier set"},
    {EventKind::TimedTransition, 0, "#8b4500", "timed modifier transition"},
    {EventKind::WeatherForced, 1, "#c0392b", "weather forced"},
    {EventKind::WeatherReleased, 1, "#2c7fb8", "forced weather released"},
    {EventKind::CloudsReloaded, 1, "#1f6fd1", "weather's clouds reloaded"},
    {EventKind::WindHandBack, 2, "#1a9a3a", "wind handed back"},
    {EventKind::EffectHandBack, 2, "#555555", "effect level handed back"},
    {EventKind::Lightning, 3, "#d4a000", "lightning flash"},
    {EventKind::Hotkey, 4, "#333333", "hotkey"},
    {EventKind::EntityTag, 4, "#9b59b6", "entity tag command"},
};

constexpr const char* LaneNames[] = {"modifier", "weather", "hand-back", "lightning", "input"};

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            // Control bytes are not allowed in XML 1.0 text.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') out += '?';
            else out += c;
        }
    }
    return out;
}

std::string Number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return buffer;
}

std::string Tick(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

// A step of 1, 2 or 5 times a power of ten giving about `count` ticks.
double NiceStep(double span, int count) {
    if (!(span > 0) || !std::isfinite(span)) return 1;
    const double raw = span / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (raw <= factor * power) return factor * power;
    }
    return 10 * power;
}

class Svg {
public:
    explicit Svg(double height) : height_(height) {}

    void Raw(const std::string& text) { body_ += text; }

    void Text(double x, double y, const std::string& text, const char* extra = "") {
        body_ += "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" " + extra + ">" + Escape(text) + "</text>\n";
    }

    void Line(double x1, double y1, double x2, double y2, const char* style) {
        body_ += "<line x1=\"" + Number(x1) + "\" y1=\"" + Number(y1) + "\" x2=\"" + Number(x2) + "\" y2=\"" +
                 Number(y2) + "\" " + style + "/>\n";
    }

    void Rect(double x, double y, double width, double height, const std::string& style) {
        if (width <= 0 || height <= 0) return;
        body_ += "<rect x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" width=\"" + Number(width) +
                 "\" height=\"" + Number(height) + "\" " + style + "/>\n";
    }

    std::string Finish() const {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
               Number(ChartWidth) + "\" height=\"" + Number(height_) + "\" viewBox=\"0 0 " + Number(ChartWidth) +
               " " + Number(height_) +
               "\" font-family=\"sans-serif\" font-size=\"12\">\n"
               "<rect x=\"0\" y=\"0\" width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n" +
               body_ + "</svg>\n";
    }

private:
    double height_;
    std::string body_;
};

// Maps a frame position to x over the whole plot width.
struct FrameAxis {
    int first;
    int last;
    double X(double frame) const {
        const double span = std::max(1, last - first);
        return PlotLeft + (frame - first) / span * (PlotRight - PlotLeft);
    }
};

// A polyline of one series; frames where `present` is false break the line.
template <typename Value, typename Present>
void DrawSeries(Svg& svg, const Timeline& timeline, const FrameAxis& axis, const Panel& panel,
                const SeriesStyle& style, Value value, Present present, const char* seriesId) {
    std::string path;
    bool drawing = false;
    for (const FrameSample& sample : timeline.frames) {
        const double v = value(sample);
        if (!present(sample) || !std::isfinite(v)) {
            drawing = false;
            continue;
        }
        path += drawing ? " L" : " M";
        path += Number(axis.X(sample.frame)) + " " + Number(panel.Y(v));
        drawing = true;
    }
    std::string attributes = "fill=\"none\" stroke=\"" + std::string(style.colour) + "\" stroke-width=\"1.6\"";
    if (*style.dash) attributes += " stroke-dasharray=\"" + std::string(style.dash) + "\"";
    svg.Raw("<path id=\"" + std::string(seriesId) + "\" class=\"series\" data-label=\"" + Escape(style.label) +
            "\" d=\"" + (path.empty() ? std::string("M0 0") : path.substr(1)) + "\" " + attributes + "/>\n");
}

void DrawAxes(Svg& svg, const Panel& panel, const std::string& title, const std::string& unit, bool fractionAxis) {
    svg.Rect(PlotLeft, panel.top, PlotRight - PlotLeft, panel.height, "fill=\"none\" stroke=\"#999999\"");
    const double step = fractionAxis ? 0.25 : NiceStep(panel.maximum - panel.minimum, 5);
    for (double v = std::ceil(panel.minimum / step) * step; v <= panel.maximum + step * 1e-6; v += step) {
        const double y = panel.Y(v);
        svg.Line(PlotLeft - 4, y, PlotRight, y, "stroke=\"#dddddd\"");
        svg.Text(PlotLeft - 6, y + 4, Tick(v), "text-anchor=\"end\" fill=\"#444444\"");
    }
    svg.Text(PlotLeft, panel.top - 6, title, "font-weight=\"bold\"");
    svg.Text(18, panel.top + panel.height / 2, unit,
             ("text-anchor=\"middle\" transform=\"rotate(-90 18 " + Number(panel.top + panel.height / 2) + ")\"").c_str());
}

void DrawFrameTicks(Svg& svg, const FrameAxis& axis, double top, double bottom) {
    const double step = NiceStep(axis.last - axis.first, 10);
    for (double f = std::ceil(axis.first / step) * step; f <= axis.last; f += step) {
        const double x = axis.X(f);
        svg.Line(x, top, x, bottom, "stroke=\"#eeeeee\"");
        svg.Text(x, bottom + 16, Tick(f), "text-anchor=\"middle\" fill=\"#444444\"");
    }
    svg.Text((PlotLeft + PlotRight) / 2, bottom + 36, "frame", "text-anchor=\"middle\"");
}

// Shades the seven zones of the row in use, one run of frames per set of thresholds.
void DrawZoneBands(Svg& svg, const Timeline& timeline, const FrameAxis& axis, const Panel& panel) {
    size_t runStart = 0;
    bool labelled[7] = {};
    const auto& frames = timeline.frames;
    for (size_t i = 1; i <= frames.size(); ++i) {
        if (i < frames.size() && frames[i].thresholds == frames[runStart].thresholds) continue;
        const ZoneThresholds& t = frames[runStart].thresholds;
        const double x0 = axis.X(frames[runStart].frame);
        const double x1 = i < frames.size() ? axis.X(frames[i].frame) : PlotRight;
        double lower = panel.minimum;
        for (int zone = 0; zone < 7; ++zone) {
            // A zone runs from the previous threshold to its own; an
            // out-of-order threshold leaves a zone with no height, which
            // is what the module makes of it: unreachable.
            const double upper = zone < 6 ? std::max<double>(lower, t[zone]) : panel.maximum;
            const double yTop = panel.Y(std::min(upper, panel.maximum));
            const double yBottom = panel.Y(std::max(lower, panel.minimum));
            svg.Rect(x0, yTop, x1 - x0, yBottom - yTop,
                     std::string("class=\"zone-band\" data-zone=\"") + ZoneStyles[zone].name + "\" fill=\"" +
                         ZoneStyles[zone].fill + "\"");
            if (!labelled[zone] && yBottom - yTop >= 12) {
                svg.Text(x0 + 6, yBottom - 4, ZoneStyles[zone].name, "fill=\"#555555\" font-size=\"11\"");
                labelled[zone] = true;
            }
            lower = upper;
        }
        runStart = i;
    }
}

// Greys out the frames in which the module was switched off.
void DrawDisabledRuns(Svg& svg, const Timeline& timeline, const FrameAxis& axis, double top, double bottom) {
    const auto& frames = timeline.frames;
    for (size_t i = 0; i < frames.size();) {
        if (frames[i].enabled) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < frames.size() && !frames[end].enabled) ++end;
        const double x0 = axis.X(frames[i].frame);
        const double x1 = end < frames.size() ? axis.X(frames[end].frame) : PlotRight;
        svg.Rect(x0, top, std::max(1.0, x1 - x0), bottom - top,
                 "class=\"module-off\" fill=\"#808080\" fill-opacity=\"0.25\"");
        svg.Text(x0 + 3, top + 12, "module off", "fill=\"#333333\" font-size=\"11\"");
        i = end;
    }
}

void DrawEvents(Svg& svg, const Timeline& timeline, const FrameAxis& axis, double top, double laneHeight) {
    const int lanes = static_cast<int>(std::size(LaneNames));
    svg.Rect(PlotLeft, top, PlotRight - PlotLeft, laneHeight * lanes, "fill=\"none\" stroke=\"#999999\"");
    for (int lane = 0; lane < lanes; ++lane) {
        svg.Text(PlotLeft - 6, top + laneHeight * (lane + 0.5) + 4, LaneNames[lane],
                 "text-anchor=\"end\" fill=\"#444444\"");
    }
    svg.Text(PlotLeft, top - 6, "Arrival actions and events", "font-weight=\"bold\"");
    for (const FrameSample& sample : timeline.frames) {
        for (const FlightEvent& event : sample.events) {
            for (const EventStyle& style : EventStyles) {
                if (style.kind != event.kind) continue;
                const double x = axis.X(sample.frame);
                const double y = top + laneHeight * (style.lane + 0.5);
                std::string title = std::string(style.label) + " at frame " + std::to_string(sample.frame);
                if (!event.detail.empty()) title += ": " + event.detail;
                svg.Raw("<circle class=\"event\" data-kind=\"" + std::string(EventKindName(event.kind)) + "\" cx=\"" +
                        Number(x) + "\" cy=\"" + Number(y) + "\" r=\"4\" fill=\"" + style.colour +
                        "\" fill-opacity=\"0.8\"><title>" + Escape(title) + "</title></circle>\n");
            }
        }
    }
}

void DrawLegend(Svg& svg, double top) {
    double y = top;
    const double x = PlotRight + 20;
    svg.Text(x, y, "Legend", "font-weight=\"bold\"");
    y += 18;
    for (const SeriesStyle* style : {&AltitudeStyle, &StrengthStyle, &OpacityStyle, &FractionStyle, &EffectStyle,
                                     &WindStyle, &GameWindStyle}) {
        std::string attributes = "stroke=\"" + std::string(style->colour) + "\" stroke-width=\"2\"";
        if (*style->dash) attributes += " stroke-dasharray=\"" + std::string(style->dash) + "\"";
        svg.Line(x, y - 4, x + 24, y - 4, attributes.c_str());
        svg.Text(x + 30, y, style->label);
        y += 18;
    }
    y += 8;
    for (const EventStyle& style : EventStyles) {
        svg.Raw("<circle cx=\"" + Number(x + 12) + "\" cy=\"" + Number(y - 4) + "\" r=\"4\" fill=\"" + style.colour +
                "\"/>\n");
        svg.Text(x + 30, y, style.label);
        y += 18;
    }
    y += 8;
    for (const ZoneStyle& zone : ZoneStyles) {
        svg.Rect(x, y - 11, 24, 12, std::string("fill=\"") + zone.fill + "\" stroke=\"#bbbbbb\"");
        svg.Text(x + 30, y, zone.name);
        y += 18;
    }
}

}  // namespace

std::string RenderChart(const Timeline& timeline) {
    const Panel altitude{TitleHeight + 30, 300, 0, 1};
    const Panel blends{altitude.top + altitude.height + 45, 170, 0, 1};
    const Panel wind{blends.top + blends.height + 45, 140, 0, 1};
    const double eventsTop = wind.top + wind.height + 45;
    const double laneHeight = 18;
    const double bottom = eventsTop + laneHeight * std::size(LaneNames);
    Svg svg(bottom + 60);

    FrameAxis axis{0, 1};
    if (!timeline.frames.empty()) axis = {timeline.frames.front().frame, timeline.frames.back().frame};

    // Altitude range: the flight and every threshold in use, so that each zone shows.
    double high = 1, low = 0;
    double windHigh = 1;
    for (const FrameSample& sample : timeline.frames) {
        if (std::isfinite(sample.altitude)) {
            high = std::max<double>(high, sample.altitude);
            low = std::min<double>(low, sample.altitude);
        }
        for (float threshold : sample.thresholds) {
            if (std::isfinite(threshold)) high = std::max<double>(high, threshold);
        }
        for (float w : {sample.wind, sample.gameWind}) {
            if (std::isfinite(w)) windHigh = std::max<double>(windHigh, w);
        }
    }
    Panel altitudePanel = altitude;
    altitudePanel.minimum = low;
    altitudePanel.maximum = high * 1.08;
    Panel windPanel = wind;
    windPanel.maximum = windHigh * 1.15;

    svg.Text(PlotLeft, 24, "Atmosphere preview: " + timeline.flightName, "font-size=\"16\" font-weight=\"bold\"");
    svg.Text(PlotLeft, 42, "configuration: " + timeline.configPath, "fill=\"#444444\"");

    DrawZoneBands(svg, timeline, axis, altitudePanel);
    DrawAxes(svg, altitudePanel, "Altitude and zones", "altitude (world units)", false);
    DrawAxes(svg, blends, "Blends", "0 .. 1", true);
    DrawAxes(svg, windPanel, "Wind", "speed", false);
    DrawFrameTicks(svg, axis, altitude.top, bottom);

    auto always = [](const FrameSample&) { return true; };
    DrawSeries(svg, timeline, axis, altitudePanel, AltitudeStyle, [](const FrameSample& s) { return s.altitude; },
               always, "altitude");
    DrawSeries(svg, timeline, axis, blends, StrengthStyle, [](const FrameSample& s) { return s.strength; },
               [](const FrameSample& s) { return !s.modifier.empty(); }, "strength");
    DrawSeries(svg, timeline, axis, blends, OpacityStyle, [](const FrameSample& s) { return s.cloudOpacity; },
               [](const FrameSample& s) { return !s.cloudSet.empty(); }, "opacity");
    DrawSeries(svg, timeline, axis, blends, FractionStyle, [](const FrameSample& s) { return s.weatherFraction; },
               always, "transition");
    DrawSeries(svg, timeline, axis, blends, EffectStyle, [](const FrameSample& s) { return s.effectLevel; },
               [](const FrameSample& s) { return s.effectLevel >= 0; }, "effect-level");
    DrawSeries(svg, timeline, axis, windPanel, WindStyle, [](const FrameSample& s) { return s.wind; }, always,
               "wind");
    DrawSeries(svg, timeline, axis, windPanel, GameWindStyle, [](const FrameSample& s) { return s.gameWind; },
               always, "game-wind");
    DrawEvents(svg, timeline, axis, eventsTop, laneHeight);
    DrawDisabledRuns(svg, timeline, axis, altitude.top, bottom);
    DrawLegend(svg, altitude.top);
    return svg.Finish();
}

const char* EventKindName(EventKind kind) {
    switch (kind) {
    case EventKind::ModifierSet: return "modifier-set";
    case EventKind::TimedTransition: return "timed-transition";
    case EventKind::WeatherForced: return "weather-forced";
    case EventKind::WeatherReleased: return "weather-released";
    case EventKind::WindHandBack: return "wind-hand-back";
    case EventKind::EffectHandBack: return "effect-hand-back";
    case EventKind::CloudsReloaded: return "clouds-reloaded";
    case EventKind::Lightning: return "lightning";
    case EventKind::Hotkey: return "hotkey";
    case EventKind::EntityTag: return "entity-tag";
    }
    return "event";
}

}  // namespace preview
