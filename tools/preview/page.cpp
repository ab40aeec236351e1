// The report page. Plain HTML with inline CSS and SVG: it opens from a disk,
// an e-mail or a forum post alike, without a network or a second file.
#include "tools/preview/page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "atmosphere/zone.h"
#include "config/settings.h"
#include "tools/preview/chart.h"

namespace preview {
namespace {

std::string Html(const std::string& text) { return EscapeMarkup(text); }

std::string Number(double value) {
    // Spelled out: C libraries disagree on nan's sign.
    if (std::isnan(value)) return "nan";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::string Cell(const std::string& text) { return "<td>" + Html(text) + "</td>"; }

// An SVG document without its XML declaration and name space, to sit inside
// the page (HTML knows <svg> without them).
std::string Inline(const std::string& svg) {
    const size_t start = svg.find("<svg");
    if (start == std::string::npos) return svg;
    std::string inner = svg.substr(start);
    const std::string space = " xmlns=\"http://www.w3.org/2000/svg\"";
    if (const size_t at = inner.find(space); at != std::string::npos) inner.erase(at, space.size());
    return inner;
}

const char* const Style = R"(
body { font-family: sans-serif; margin: 24px; color: #222; max-width: 1500px; }
h1 { font-size: 22px; } h2 { font-size: 18px; margin-top: 32px; border-bottom: 1px solid #ccc; }
h3 { font-size: 15px; margin: 4px 0; }
table { border-collapse: collapse; font-size: 13px; }
td, th { border: 1px solid #ccc; padding: 3px 6px; text-align: left; vertical-align: top; }
th { background: #f2f2f2; }
.note { color: #444; font-size: 13px; max-width: 1000px; }
.finding-error { color: #a00; } .finding-warning { color: #a60; } .finding-note { color: #246; }
.weathers { display: flex; flex-wrap: wrap; gap: 16px; }
.weather { border: 1px solid #ccc; padding: 8px; width: 700px; }
.weather-body { display: flex; gap: 8px; }
.settings td:first-child { color: #555; white-space: nowrap; }
.chart svg { max-width: 100%; height: auto; }
)";

std::string SummaryTable(const ZoneSummary& summary) {
    std::string html =
        "<table id=\"zone-summary\"><tr><th>zone</th><th>overlay label</th><th>keys</th><th>altitude</th>"
        "<th>frames</th><th>row</th><th>weather</th><th>modifier, strength</th><th>cloud set, opacity</th>"
        "<th>wind</th><th>effect level</th><th>lightning</th><th>actions</th></tr>\n";
    for (int index = 0; index < ZoneCount; ++index) {
        const ZoneInfo& zone = Zones[index];
        const ZoneSummary::Zone& z = summary.Zones()[static_cast<size_t>(index)];
        html += "<tr><td><b>" + Html(zone.name) + "</b></td>" + Cell(ZoneLabelText(index)) + Cell(ZoneKeysText(index));
        if (z.frames == 0) {
            html += "<td colspan=\"10\">not reached</td></tr>\n";
            continue;
        }
        auto join = [](const std::set<std::string>& items, auto show) {
            std::string text;
            for (const std::string& item : items) text += (text.empty() ? "" : ", ") + show(item);
            return text;
        };
        const auto same = [](const std::string& item) { return item; };
        std::string weather = join(z.transitions, same) + " at " + FormatRange(z.fractionLow, z.fractionHigh);
        if (!z.forced.empty()) weather += ", forced " + join(z.forced, same);
        html += Cell(FormatRange(z.lowest, z.highest)) + Cell(std::to_string(z.frames)) + Cell(join(z.rows, same)) +
                Cell(weather) +
                Cell((z.modifiers.empty() ? std::string("none") : join(z.modifiers, same)) + ", " +
                     FormatRange(z.strengthLow, z.strengthHigh)) +
                Cell((z.clouds.empty() ? std::string("none") : join(z.clouds, CloudSetWithName)) + ", " +
                     FormatRange(z.opacityLow, z.opacityHigh)) +
                Cell(FormatRange(z.windLow, z.windHigh) + (z.windHeld ? " (set by the module)" : " (the game's own)")) +
                Cell(z.effectOff ? "0 (switched off)" : "the game's own") +
                Cell(std::to_string(z.flashes) + " flashes") + Cell(join(z.actions, same)) + "</tr>\n";
    }
    return html + "</table>\n";
}

std::string FindingList(const std::vector<Finding>& findings, const char* id) {
    std::string html = std::string("<ul id=\"") + id + "\">\n";
    for (const Finding& finding : findings) {
        const char* cls = finding.severity == Severity::Error     ? "finding-error"
                          : finding.severity == Severity::Warning ? "finding-warning"
                                                                  : "finding-note";
        html += std::string("<li class=\"") + cls + "\" data-line=\"" + std::to_string(finding.line) + "\">" +
                Html(FormatFinding(finding)) + "</li>\n";
    }
    return html + "</ul>\n";
}

std::string Findings(const std::vector<Finding>& findings) {
    if (findings.empty()) return "<p id=\"findings\">The checker found nothing to report about this file.</p>\n";
    return FindingList(findings, "findings");
}

std::string WeatherSettingsTable(int weather) {
    const WeatherSettings& row = Settings.Weather[weather];
    auto flag = [](bool on) { return std::string(on ? "on" : "off"); };
    auto text = [](const char* value) { return value[0] == '\0' ? std::string("(none)") : std::string(value); };
    const std::pair<std::string, std::string> rows[] = {
        {"modifier, normal zone", text(row.NormalZoneTimecycleModifier)},
        {"modifier, cloud bands and zone", text(row.CloudZoneTimecycleModifier)},
        {"modifier, above the clouds", text(row.AboveCloudsZoneTimecycleModifier) + ", after " +
                                           Number(row.AboveCloudsZoneTimecycleTransitionTime) + " s"},
        {"modifier, space",
         text(row.SpaceZoneTimecycleModifier) + ", after " + Number(row.SpaceZoneTimecycleTransitionTime) + " s"},
        {"cloud set when coming down", CloudSetWithName(row.NormalZoneClouds)},
        {"cloud set higher up", weather < 6 ? "NO_CLOUDS (Snowy 01) from the above-clouds-start band"
                                            : "horsey (no name in the file) from the cloud zone"},
        {"wind factor, cloud zone", Number(row.CloudZoneWindMultiplier)},
        {"wind factor, above the clouds", Number(row.AboveCloudsZoneWindMultiplier)},
        {"wind factor, space (not used: the wind is 0)", Number(row.SpaceZoneWindMultiplier)},
        {"effect level", "0 from the above-clouds zone up; handed back to the game in the normal zone"},
        {"lightning", "above the clouds " + flag(row.EnableLightningAboveClouds) + ", in space " +
                          flag(row.EnableLightningInSpace) + ", frequency " +
                          std::to_string(static_cast<int>(row.LightningFrequency))},
        {"weather above the clouds", WeatherNames[std::clamp(row.AboveCloudsZoneWeatherOverride, 0, WeatherCount - 1)]},
        {"weather in space", WeatherNames[std::clamp(row.SpaceZoneWeatherOverride, 0, WeatherCount - 1)]},
    };
    std::string html = "<table class=\"settings\">\n";
    for (const auto& [name, value] : rows) html += "<tr>" + Cell(name) + Cell(value) + "</tr>\n";
    return html + "</table>\n";
}

}  // namespace

std::string RenderLadder(int weather) {
    const WeatherSettings& row = Settings.Weather[weather];
    constexpr double Width = 270, Height = 330, Top = 10, Bottom = 320, BarLeft = 50, BarWidth = 36, LineGap = 11;
    double high = 1;
    for (int zone = 0; zone < ZoneCount - 1; ++zone) {
        const double threshold = row.*Zones[zone].upper;
        if (std::isfinite(threshold)) high = std::max(high, threshold);
    }
    high *= 1.1;
    const auto y = [&](double altitude) { return Bottom - std::clamp(altitude / high, 0.0, 1.0) * (Bottom - Top); };
    std::string svg = "<svg class=\"ladder\" width=\"" + Number(Width) + "\" height=\"" + Number(Height) +
                      "\" font-family=\"sans-serif\" font-size=\"10\">";
    // Rungs from the ground up; each name at its rung's middle, pushed up
    // where thin rungs would put two names on one line.
    double lower = 0, nameY = Bottom + LineGap, valueY = Bottom + LineGap;
    for (int zone = 0; zone < ZoneCount; ++zone) {
        // Thresholds out of order leave a rung without height: the module never reaches it.
        const double upper = zone < ZoneCount - 1 ? std::max<double>(lower, row.*Zones[zone].upper) : high;
        const double top = y(upper), bottom = y(lower);
        svg += "<rect x=\"" + Number(BarLeft) + "\" y=\"" + Number(top) + "\" width=\"" + Number(BarWidth) +
               "\" height=\"" + Number(std::max(0.0, bottom - top)) + "\" fill=\"" + ZoneFills[zone] +
               "\" stroke=\"#999\"><title>" + Html(Zones[zone].name) + "</title></rect>";
        nameY = std::min((top + bottom) / 2 + 3, nameY - LineGap);
        svg += "<text x=\"" + Number(BarLeft + BarWidth + 6) + "\" y=\"" + Number(nameY) + "\">" +
               Html(std::string(Zones[zone].name) + (upper <= lower ? " (never reached)" : "")) + "</text>";
        if (zone < ZoneCount - 1) {
            valueY = std::min(top + 3, valueY - LineGap);
            svg += "<text x=\"" + Number(BarLeft - 4) + "\" y=\"" + Number(valueY) +
                   "\" text-anchor=\"end\" fill=\"#555\">" + Number(row.*Zones[zone].upper) + "</text>";
        }
        lower = upper;
    }
    return svg + "</svg>";
}

std::string RenderReportPage(const ReportPage& page) {
    const ZoneSummary& summary = *page.summary;
    const RunInfo& info = summary.Info();
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>Atmosphere preview: " +
        Html(info.configPath) + "</title>\n<style>" + Style + "</style></head><body>\n";
    html += "<h1>Atmosphere preview of " + Html(info.configPath) + "</h1>\n";
    if (!page.installation.empty()) {
        html += "<h2>The installation in the game's folder</h2>\n" + FindingList(page.installation, "installation");
    }
    html += "<p>" + Html(info.flightName) + ", " + std::to_string(info.frameCount) + " frames. The module was " +
            (summary.DisabledFrames() == 0 ? std::string("on throughout")
                                           : "off for " + std::to_string(summary.DisabledFrames()) + " frames") +
            "; its debug overlay was " +
            (summary.DebugFrames() == 0 ? std::string("off")
                                        : "on for " + std::to_string(summary.DebugFrames()) + " frames") +
            ". File in use: ";
    std::string files;
    for (const std::string& file : summary.ConfigFiles()) files += (files.empty() ? "" : ", ") + file;
    html += Html(files.empty() ? info.configPath : files) + ".</p>\n";

    html += "<h2>The flight</h2>\n<div class=\"chart\" id=\"flight-chart\">" + Inline(page.chartSvg) + "</div>\n";
    html += "<h2>What the module did in each zone</h2>\n" + SummaryTable(summary);
    html += "<p class=\"note\">" + Html(WeatherFractionNote) + "</p>\n";
    for (const ZoneSummary::LateWeather& late : summary.LateWeathers()) {
        html += "<p class=\"note\">Frame " + std::to_string(late.frame) + ": the game's weather became " +
                Html(late.weather) + " at altitude " + Number(late.altitude) +
                ", above the normal zone: the module kept the " + Html(late.row) + " row.</p>\n";
    }
    if (!summary.LateWeathers().empty()) html += "<p class=\"note\">" + Html(LateWeatherNote) + "</p>\n";

    html += "<h2>What the checker says about the file</h2>\n" + Findings(page.findings);

    html +=
        "<h2>Every weather</h2>\n<p class=\"note\">Each weather's ladder of zones drawn to scale from its "
        "thresholds, its settings, and a climb through its zones to a tenth above SpaceZoneStart and back, "
        "with the game's weather set to it at the start.</p>\n<div class=\"weathers\">\n";
    for (int weather = 0; weather < WeatherCount; ++weather) {
        const std::string& chart = page.weatherCharts[static_cast<size_t>(weather)];
        html += std::string("<section class=\"weather\" data-weather=\"") + WeatherNames[weather] + "\"><h3>" +
                WeatherNames[weather] + "</h3>\n<div class=\"weather-body\">" + RenderLadder(weather) +
                WeatherSettingsTable(weather) + "</div>\n<div class=\"chart weather-chart\">" +
                (chart.find("<svg") == std::string::npos ? "<p>" + Html(chart) + "</p>" : Inline(chart)) +
                "</div></section>\n";
    }
    html += "</div>\n</body></html>\n";
    return html;
}

}  // namespace preview
