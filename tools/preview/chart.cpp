// SVG rendering of a flight. Four panels share the frame axis: altitude over
// the zone bands, the 0..1 blends, the wind, and a lane of event markers.
// Every frame lands in a pixel column; each curve keeps per column its first,
// last, lowest and highest value and is drawn through all four, which is the
// curve itself where a column holds one frame and its envelope where it holds
// many. Plain text output, no dependencies.
#include "tools/preview/chart.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "atmosphere/zone.h"
#include "tools/common/real_text.h"
#include "tools/preview/markup.h"

namespace preview {
namespace {

// Sizes of the two charts; the full one has its legend to the right.
struct Layout {
    double width, plotLeft, plotRight;
    double titleHeight, altitudeHeight, blendsHeight, windHeight, gap, laneHeight;
    double titleFont;
    bool legend;
};
constexpr Layout FullLayout{1400, 80, 1180, 50, 300, 170, 140, 45, 18, 16, true};
constexpr Layout SmallLayout{480, 60, 470, 30, 150, 70, 0, 26, 12, 13, false};
const Layout& LayoutOf(ChartSize size) { return size == ChartSize::Full ? FullLayout : SmallLayout; }

// Markers closer than this, in pixels, merge into one with a count.
constexpr double MarkerWidth = 8;
// Distinct details a merged marker lists in its tooltip.
constexpr size_t ClusterDetails = 4;

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

struct SeriesStyle {
    const char* label;
    const char* color;
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
    const char* color;
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
    {EventKind::WeatherChanged, 4, "#16a085", "game's weather changed"},
    {EventKind::RowChanged, 1, "#7f8c8d", "weather row taken up"},
    {EventKind::FileSaved, 4, "#d35400", "settings file saved"},
};

const EventStyle& StyleOf(EventKind kind) {
    for (const EventStyle& style : EventStyles) {
        if (style.kind == kind) return style;
    }
    return EventStyles[0];
}

constexpr const char* LaneNames[] = {"modifier", "weather", "hand-back", "lightning", "input"};

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
    Svg(double width, double height) : width_(width), height_(height) {}

    void Raw(const std::string& text) { body_ += text; }

    void Text(double x, double y, const std::string& text, const char* extra = "") {
        body_ += "<text x=\"" + CoordinateText(x) + "\" y=\"" + CoordinateText(y) + "\" " + extra + ">" +
                 EscapeMarkup(text) + "</text>\n";
    }

    void Line(double x1, double y1, double x2, double y2, const char* style) {
        body_ += "<line x1=\"" + CoordinateText(x1) + "\" y1=\"" + CoordinateText(y1) + "\" x2=\"" +
                 CoordinateText(x2) + "\" y2=\"" + CoordinateText(y2) + "\" " + style + "/>\n";
    }

    void Rect(double x, double y, double width, double height, const std::string& style) {
        if (width <= 0 || height <= 0) return;
        body_ += "<rect x=\"" + CoordinateText(x) + "\" y=\"" + CoordinateText(y) + "\" width=\"" +
                 CoordinateText(width) + "\" height=\"" + CoordinateText(height) + "\" " + style + "/>\n";
    }

    std::string Finish() const {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
               CoordinateText(width_) + "\" height=\"" + CoordinateText(height_) + "\" viewBox=\"0 0 " +
               CoordinateText(width_) + " " + CoordinateText(height_) +
               "\" font-family=\"sans-serif\" font-size=\"12\">\n"
               "<rect x=\"0\" y=\"0\" width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n" +
               body_ + "</svg>\n";
    }

private:
    double width_;
    double height_;
    std::string body_;
};

// One curve: its style, the panel it is drawn in, and how a sample gives its value.
struct SeriesDefinition {
    const SeriesStyle* style;
    const char* id;
    int panel;  // 0 altitude, 1 blends, 2 wind
    float (*value)(const FrameSample&);
    bool (*present)(const FrameSample&);
};

bool Always(const FrameSample&) { return true; }

const SeriesDefinition Series[ChartBuilder::SeriesCount] = {
    {&AltitudeStyle, "altitude", 0, [](const FrameSample& s) { return s.altitude; }, Always},
    {&StrengthStyle, "strength", 1, [](const FrameSample& s) { return s.strength; },
     [](const FrameSample& s) { return !s.modifier.empty(); }},
    {&OpacityStyle, "opacity", 1, [](const FrameSample& s) { return s.cloudOpacity; },
     [](const FrameSample& s) { return !s.cloudSet.empty(); }},
    {&FractionStyle, "transition", 1, [](const FrameSample& s) { return s.weatherFraction; }, Always},
    {&EffectStyle, "effect-level", 1, [](const FrameSample& s) { return s.effectLevel; },
     [](const FrameSample& s) { return s.effectLevel >= 0; }},
    {&WindStyle, "wind", 2, [](const FrameSample& s) { return s.wind; }, Always},
    {&GameWindStyle, "game-wind", 2, [](const FrameSample& s) { return s.gameWind; }, Always},
};

void DrawAxes(Svg& svg, const Layout& layout, const Panel& panel, const std::string& title, const std::string& unit,
              bool fractionAxis) {
    svg.Rect(layout.plotLeft, panel.top, layout.plotRight - layout.plotLeft, panel.height,
             "fill=\"none\" stroke=\"#999999\"");
    const double step = fractionAxis ? (panel.height < 100 ? 0.5 : 0.25) : NiceStep(panel.maximum - panel.minimum, 5);
    for (double v = std::ceil(panel.minimum / step) * step; v <= panel.maximum + step * 1e-6; v += step) {
        const double y = panel.Y(v);
        svg.Line(layout.plotLeft - 4, y, layout.plotRight, y, "stroke=\"#dddddd\"");
        svg.Text(layout.plotLeft - 6, y + 4, GeneralRealText(v), "text-anchor=\"end\" fill=\"#444444\"");
    }
    svg.Text(layout.plotLeft, panel.top - 6, title, "font-weight=\"bold\"");
    if (layout.legend) {
        svg.Text(
            18, panel.top + panel.height / 2, unit,
            ("text-anchor=\"middle\" transform=\"rotate(-90 18 " + CoordinateText(panel.top + panel.height / 2) + ")\"")
                .c_str());
    }
}

void DrawLegend(Svg& svg, const Layout& layout, double top) {
    double y = top;
    const double x = layout.plotRight + 20;
    svg.Text(x, y, "Legend", "font-weight=\"bold\"");
    y += 18;
    for (const SeriesDefinition& series : Series) {
        const SeriesStyle* style = series.style;
        std::string attributes = "stroke=\"" + std::string(style->color) + "\" stroke-width=\"2\"";
        if (*style->dash) attributes += " stroke-dasharray=\"" + std::string(style->dash) + "\"";
        svg.Line(x, y - 4, x + 24, y - 4, attributes.c_str());
        svg.Text(x + 30, y, style->label);
        y += 18;
    }
    y += 8;
    for (const EventStyle& style : EventStyles) {
        svg.Raw("<circle cx=\"" + CoordinateText(x + 12) + "\" cy=\"" + CoordinateText(y - 4) + "\" r=\"4\" fill=\"" +
                style.color + "\"/>\n");
        svg.Text(x + 30, y, style.label);
        y += 18;
    }
    svg.Raw("<circle cx=\"" + CoordinateText(x + 12) + "\" cy=\"" + CoordinateText(y - 4) +
            "\" r=\"7\" fill=\"#888888\"/>\n<text x=\"" + CoordinateText(x + 12) + "\" y=\"" + CoordinateText(y - 1) +
            "\" text-anchor=\"middle\" font-size=\"9\" fill=\"#ffffff\">5</text>\n");
    svg.Text(x + 30, y, "5 markers in one place");
    y += 26;
    for (int zone = 0; zone < ZoneCount; ++zone) {
        svg.Rect(x, y - 11, 24, 12, std::string("fill=\"") + ZoneFills[zone] + "\" stroke=\"#bbbbbb\"");
        svg.Text(x + 30, y, Zones[zone].name);
        y += 18;
    }
}

}  // namespace

ChartBuilder::ChartBuilder(RunInfo info, ChartSize size) : info_(std::move(info)), size_(size) {
    const Layout& layout = LayoutOf(size);
    const size_t columns = static_cast<size_t>(layout.plotRight - layout.plotLeft);
    bins_ = std::max<size_t>(1, std::min(columns, info_.frameCount));
    columns_.resize(bins_);
    disabled_.assign(bins_, false);
}

size_t ChartBuilder::BinOf(int frame) const {
    if (frame <= 0 || info_.frameCount == 0) return 0;
    const size_t bin = static_cast<size_t>(frame) * bins_ / info_.frameCount;
    return std::min(bin, bins_ - 1);
}

double ChartBuilder::FrameX(double frame) const {
    const Layout& layout = LayoutOf(size_);
    const double span = std::max<double>(1, static_cast<double>(info_.frameCount) - 1);
    return layout.plotLeft + frame / span * (layout.plotRight - layout.plotLeft);
}

// The middle of the frames that land in the column.
double ChartBuilder::BinX(size_t bin) const {
    const double n = static_cast<double>(std::max<size_t>(1, info_.frameCount));
    const double first = std::ceil(static_cast<double>(bin) * n / bins_);
    const double last = std::ceil(static_cast<double>(bin + 1) * n / bins_) - 1;
    return FrameX((first + std::max(first, last)) / 2);
}

void ChartBuilder::Frame(const FrameSample& sample) {
    const size_t bin = BinOf(sample.frame);
    lastFrame_ = std::max(lastFrame_, sample.frame);
    for (int i = 0; i < SeriesCount; ++i) {
        const float v = Series[i].value(sample);
        if (!Series[i].present(sample) || !std::isfinite(v)) continue;
        Envelope& e = columns_[bin][i];
        if (!e.present) {
            e = {v, v, v, v, true};
        } else {
            e.last = v;
            e.low = std::min(e.low, v);
            e.high = std::max(e.high, v);
        }
    }
    if (std::isfinite(sample.altitude)) {
        altitudeHigh_ = std::max<double>(altitudeHigh_, sample.altitude);
        altitudeLow_ = std::min<double>(altitudeLow_, sample.altitude);
    }
    for (float threshold : sample.thresholds) {
        if (std::isfinite(threshold)) altitudeHigh_ = std::max<double>(altitudeHigh_, threshold);
    }
    for (float w : {sample.wind, sample.gameWind}) {
        if (std::isfinite(w)) windHigh_ = std::max<double>(windHigh_, w);
    }
    if (!sample.enabled) disabled_[bin] = true;

    // A new run of zone bands where the thresholds change; within one column
    // the last thresholds win, which is all a column can show.
    if (bands_.empty() || bands_.back().second != sample.thresholds) {
        if (!bands_.empty() && bands_.back().first == bin) {
            bands_.back().second = sample.thresholds;
            if (bands_.size() > 1 && bands_[bands_.size() - 2].second == sample.thresholds) bands_.pop_back();
        } else {
            bands_.emplace_back(bin, sample.thresholds);
        }
    }

    for (const FlightEvent& event : sample.events) {
        const EventStyle& style = StyleOf(event.kind);
        const long slot = static_cast<long>(std::floor(BinX(bin) / MarkerWidth));
        Cluster& cluster = lanes_[static_cast<size_t>(style.lane)][slot];
        if (cluster.count == 0) cluster.firstFrame = sample.frame;
        ++cluster.count;
        cluster.lastFrame = sample.frame;
        ++cluster.kinds[event.kind];
        std::string detail = style.label;
        if (!event.detail.empty()) detail += ": " + event.detail;
        if (cluster.details.size() < ClusterDetails &&
            std::find(cluster.details.begin(), cluster.details.end(), detail) == cluster.details.end()) {
            cluster.details.push_back(detail);
        }
    }
}

// One drawing of the chart: the panels' places, and one function for each
// layer, drawn in this order (later layers lie over earlier ones).
struct ChartBuilder::Drawing {
    Drawing(const ChartBuilder& chart)
        : chart(chart),
          layout(LayoutOf(chart.size_)),
          full(chart.size_ == ChartSize::Full),
          altitude{layout.titleHeight + 30, layout.altitudeHeight, chart.altitudeLow_, chart.altitudeHigh_ * 1.08},
          blends{altitude.top + altitude.height + layout.gap, layout.blendsHeight, 0, 1},
          wind{blends.top + blends.height + layout.gap, layout.windHeight, 0, chart.windHigh_ * 1.15},
          eventsTop(full ? wind.top + wind.height + layout.gap : blends.top + blends.height + layout.gap),
          bottom(eventsTop + layout.laneHeight * LaneCount),
          svg(layout.width, bottom + (full ? 60 : 30)) {}

    const ChartBuilder& chart;
    const Layout& layout;
    const bool full;
    const Panel altitude, blends, wind;
    const double eventsTop, bottom;  // of the lanes of markers
    Svg svg;

    void Title();
    void ZoneBands();
    void FrameTicks();
    void Curves();
    void Markers();
    void ModuleOff();
};

void ChartBuilder::Drawing::Title() {
    if (full) {
        svg.Text(layout.plotLeft, 24, "Atmosphere preview: " + chart.info_.flightName,
                 "font-size=\"16\" font-weight=\"bold\"");
        svg.Text(layout.plotLeft, 42, "configuration: " + chart.info_.configPath, "fill=\"#444444\"");
    } else {
        svg.Text(layout.plotLeft, 20, chart.info_.flightName, "font-size=\"13\" font-weight=\"bold\"");
    }
}

// One path per zone, one rectangle per run of thresholds.
void ChartBuilder::Drawing::ZoneBands() {
    std::string bandPaths[ZoneCount];
    std::string bandLabels;  // drawn over the bands
    bool labelled[ZoneCount] = {};
    for (size_t run = 0; run < chart.bands_.size(); ++run) {
        const ZoneThresholds& t = chart.bands_[run].second;
        const double x0 = run == 0 ? layout.plotLeft : chart.BinX(chart.bands_[run].first);
        const double x1 = run + 1 < chart.bands_.size() ? chart.BinX(chart.bands_[run + 1].first) : layout.plotRight;
        double lower = altitude.minimum;
        for (int zone = 0; zone < ZoneCount; ++zone) {
            // A zone runs from the previous threshold to its own; an
            // out-of-order threshold leaves a zone with no height, which
            // is what the module makes of it: unreachable.
            const double upper = zone < ZoneCount - 1 ? std::max<double>(lower, t[zone]) : altitude.maximum;
            const double yTop = altitude.Y(std::min(upper, altitude.maximum));
            const double yBottom = altitude.Y(std::max(lower, altitude.minimum));
            if (x1 > x0 && yBottom > yTop) {
                std::string& path = bandPaths[zone];
                path += 'M';
                AppendCoordinate(path, x0);
                path += ' ';
                AppendCoordinate(path, yTop);
                path += 'H';
                AppendCoordinate(path, x1);
                path += 'V';
                AppendCoordinate(path, yBottom);
                path += 'H';
                AppendCoordinate(path, x0);
                path += 'Z';
            }
            if (!labelled[zone] && yBottom - yTop >= 12 && x1 - x0 > 60) {
                bandLabels += "<text x=\"" + CoordinateText(x0 + 6) + "\" y=\"" + CoordinateText(yBottom - 4) +
                              "\" fill=\"#555555\" font-size=\"11\">" + EscapeMarkup(Zones[zone].name) + "</text>\n";
                labelled[zone] = true;
            }
            lower = upper;
        }
    }
    for (int zone = 0; zone < ZoneCount; ++zone) {
        svg.Raw(std::string("<path class=\"zone-band\" data-zone=\"") + Zones[zone].name + "\" fill=\"" +
                ZoneFills[zone] + "\" d=\"" + (bandPaths[zone].empty() ? "M0 0" : bandPaths[zone]) + "\"/>\n");
    }
    svg.Raw(bandLabels);
}

void ChartBuilder::Drawing::FrameTicks() {
    const double lastFrame = std::max<double>(1, static_cast<double>(chart.info_.frameCount) - 1);
    const double step = NiceStep(lastFrame, full ? 10 : 4);
    for (double f = 0; f <= lastFrame; f += step) {
        const double x = chart.FrameX(f);
        svg.Line(x, altitude.top, x, bottom, "stroke=\"#eeeeee\"");
        svg.Text(x, bottom + 16, GeneralRealText(f), "text-anchor=\"middle\" fill=\"#444444\"");
    }
    if (full) svg.Text((layout.plotLeft + layout.plotRight) / 2, bottom + 36, "frame", "text-anchor=\"middle\"");
}

// Each curve through every column's first, lowest, highest and last value.
void ChartBuilder::Drawing::Curves() {
    const Panel* panels[3] = {&altitude, &blends, &wind};
    for (int i = 0; i < SeriesCount; ++i) {
        const SeriesDefinition& series = Series[i];
        if (!full && series.panel == 2) continue;
        const Panel& panel = *panels[series.panel];
        std::string path, x, point, lastPoint;
        bool drawing = false;
        for (size_t bin = 0; bin < chart.bins_; ++bin) {
            const Envelope& e = chart.columns_[bin][i];
            if (!e.present) {
                drawing = false;
                continue;
            }
            x.clear();
            AppendCoordinate(x, chart.BinX(bin));
            const bool rising = e.last >= e.first;
            for (float v : {e.first, rising ? e.low : e.high, rising ? e.high : e.low, e.last}) {
                point = x;
                point += ' ';
                AppendCoordinate(point, panel.Y(v));
                if (drawing && point == lastPoint) continue;
                path += drawing ? "L" : "M";
                path += point;
                lastPoint.swap(point);
                drawing = true;
            }
        }
        std::string attributes =
            "fill=\"none\" stroke=\"" + std::string(series.style->color) + "\" stroke-width=\"1.6\"";
        if (*series.style->dash) attributes += " stroke-dasharray=\"" + std::string(series.style->dash) + "\"";
        svg.Raw("<path id=\"" + std::string(series.id) + "\" class=\"series\" data-label=\"" +
                EscapeMarkup(series.style->label) + "\" d=\"" + (path.empty() ? std::string("M0 0") : path) + "\" " +
                attributes + "/>\n");
    }
}

// One marker per lane and marker width; a merged one shows its count.
void ChartBuilder::Drawing::Markers() {
    svg.Rect(layout.plotLeft, eventsTop, layout.plotRight - layout.plotLeft, layout.laneHeight * LaneCount,
             "fill=\"none\" stroke=\"#999999\"");
    for (int lane = 0; lane < LaneCount; ++lane) {
        svg.Text(
            layout.plotLeft - 6, eventsTop + layout.laneHeight * (lane + 0.5) + 4, LaneNames[lane],
            full ? "text-anchor=\"end\" fill=\"#444444\"" : "text-anchor=\"end\" fill=\"#444444\" font-size=\"9\"");
    }
    svg.Text(layout.plotLeft, eventsTop - 6, "Arrival actions and events", "font-weight=\"bold\"");
    for (int lane = 0; lane < LaneCount; ++lane) {
        for (const auto& [slot, cluster] : chart.lanes_[static_cast<size_t>(lane)]) {
            EventKind main = cluster.kinds.begin()->first;
            for (const auto& [kind, count] : cluster.kinds) {
                if (count > cluster.kinds.at(main)) main = kind;
            }
            const double x = (chart.FrameX(cluster.firstFrame) + chart.FrameX(cluster.lastFrame)) / 2;
            const double y = eventsTop + layout.laneHeight * (lane + 0.5);
            std::string title;
            for (const auto& [kind, count] : cluster.kinds) {
                title += (title.empty() ? "" : ", ") + std::string(StyleOf(kind).label);
                if (count > 1) title += " x" + std::to_string(count);
            }
            title += cluster.firstFrame == cluster.lastFrame ? " at frame " + std::to_string(cluster.firstFrame)
                                                             : " in frames " + std::to_string(cluster.firstFrame) +
                                                                   " to " + std::to_string(cluster.lastFrame);
            for (const std::string& detail : cluster.details) title += "\n" + detail;
            if (cluster.details.size() == ClusterDetails) title += "\n...";
            const bool merged = cluster.count > 1;
            svg.Raw("<g class=\"event\" data-kind=\"" + std::string(EventKindName(main)) + "\" data-count=\"" +
                    std::to_string(cluster.count) + "\"><title>" + EscapeMarkup(title) + "</title><circle cx=\"" +
                    CoordinateText(x) + "\" cy=\"" + CoordinateText(y) + "\" r=\"" + (merged ? "7" : "4") +
                    "\" fill=\"" + StyleOf(main).color + "\" fill-opacity=\"0.85\"/>");
            if (merged) {
                svg.Raw("<text x=\"" + CoordinateText(x) + "\" y=\"" + CoordinateText(y + 3) +
                        "\" text-anchor=\"middle\" font-size=\"9\" fill=\"#ffffff\">" +
                        (cluster.count > 99 ? std::string("99+") : std::to_string(cluster.count)) + "</text>");
            }
            svg.Raw("</g>\n");
        }
    }
}

// Greys out the columns in which the module was switched off.
void ChartBuilder::Drawing::ModuleOff() {
    for (size_t bin = 0; bin < chart.bins_;) {
        if (!chart.disabled_[bin]) {
            ++bin;
            continue;
        }
        size_t end = bin;
        while (end < chart.bins_ && chart.disabled_[end]) ++end;
        const double x0 = bin == 0 ? layout.plotLeft : (chart.BinX(bin - 1) + chart.BinX(bin)) / 2;
        const double x1 = end < chart.bins_ ? (chart.BinX(end - 1) + chart.BinX(end)) / 2 : layout.plotRight;
        svg.Rect(x0, altitude.top, std::max(1.0, x1 - x0), bottom - altitude.top,
                 "class=\"module-off\" fill=\"#808080\" fill-opacity=\"0.25\"");
        svg.Text(x0 + 3, altitude.top + 12, "module off", "fill=\"#333333\" font-size=\"11\"");
        bin = end;
    }
}

std::string ChartBuilder::Render() const {
    Drawing drawing(*this);
    drawing.Title();
    drawing.ZoneBands();
    DrawAxes(drawing.svg, drawing.layout, drawing.altitude, "Altitude and zones", "altitude (world units)", false);
    DrawAxes(drawing.svg, drawing.layout, drawing.blends, "Blends", "0 .. 1", true);
    if (drawing.full) DrawAxes(drawing.svg, drawing.layout, drawing.wind, "Wind", "speed", false);
    drawing.FrameTicks();
    drawing.Curves();
    drawing.Markers();
    drawing.ModuleOff();
    if (drawing.layout.legend) DrawLegend(drawing.svg, drawing.layout, drawing.altitude.top);
    return drawing.svg.Finish();
}

std::string RenderChart(const Timeline& timeline, ChartSize size) {
    ChartBuilder chart(timeline.Info(), size);
    for (const FrameSample& sample : timeline.frames) chart.Frame(sample);
    return chart.Render();
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
    case EventKind::WeatherChanged: return "weather-changed";
    case EventKind::RowChanged: return "row-changed";
    case EventKind::FileSaved: return "file-saved";
    }
    return "event";
}

}  // namespace preview
