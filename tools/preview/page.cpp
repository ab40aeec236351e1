// The report page. Plain HTML with inline CSS and SVG: it opens from a disk,
// an e-mail or a forum post alike, without a network or a second file.
#include "tools/preview/page.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "atmosphere/zone.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "tools/common/real_text.h"
#include "tools/common/settings_dump.h"
#include "tools/preview/chart.h"
#include "tools/preview/markup.h"
#include "tools/preview/setting_use.h"
#include "tools/preview/web_module.h"

namespace preview {
namespace {

std::string Cell(const std::string& text) { return "<td>" + EscapeMarkup(text) + "</td>"; }

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
#findings li { margin: 3px 0; font-size: 14px; }
.verdict { font-size: 18px; font-weight: bold; padding: 8px 12px; border-radius: 4px; display: inline-block; }
.verdict-error { background: #fbe3e3; color: #a00; } .verdict-warning { background: #fdf0dc; color: #8a4b00; }
.verdict-note, .verdict-clean { background: #e4f2e4; color: #205020; }
#contents { font-size: 14px; line-height: 1.9; border: 1px solid #ccc; padding: 6px 12px; max-width: 1200px; }
#contents a { margin-right: 10px; white-space: nowrap; }
.concerned { color: #a00; font-weight: bold; }
.way { color: #555; font-size: 12px; font-weight: bold; }
.idle { color: #888; font-style: italic; }
.idle-value { color: #888; }
.weathers { display: flex; flex-wrap: wrap; gap: 16px; }
.weather { border: 1px solid #ccc; padding: 8px; width: 700px; }
.weather-body { display: flex; gap: 8px; } .weather-body > svg { flex: none; }
.settings td:first-child { color: #555; white-space: nowrap; }
.chart svg { max-width: 100%; height: auto; }
#live .live-columns { display: flex; flex-wrap: wrap; gap: 24px; align-items: flex-start; }
#live-fields { flex: 1 1 640px; min-width: 0; }
#live-fields > div, #live-changes, #live-findings { font-size: 13px; }
#live details { border: 1px solid #ccc; margin: 4px 0; padding: 2px 8px; }
#live details.has-findings > summary { color: #a00; }
#live summary { cursor: pointer; font-weight: bold; }
#live .field { display: grid; grid-template-columns: minmax(12em, 22em) 11em 1fr; gap: 2px 8px; align-items: center;
  padding: 2px 0; border-top: 1px solid #eee; font-size: 13px; }
#live .field input, #live .field select { width: 100%; box-sizing: border-box; }
#live .field input[type=number] { cursor: ew-resize; }
#live .what { color: #555; }
#live .field-findings { grid-column: 1 / -1; }
#live .error { color: #a00; } #live .warning { color: #8a4b00; } #live .note { color: #246; }
#live .live-tools button, #live .live-tools select { font-size: 14px; }
@media (max-width: 900px) { #live .field { grid-template-columns: 1fr 1fr; } #live .what { grid-column: 1 / -1; } }
)";

// A quantity's cell: one text, or the way up and the way down.
std::string QuantityCell(const ZoneQuantity& quantity) {
    if (!quantity.text.empty() || quantity.up.empty()) return Cell(quantity.text);
    return "<td><span class=\"way\">up</span> " + EscapeMarkup(quantity.up) + "<br><span class=\"way\">down</span> " +
           EscapeMarkup(quantity.down) + "</td>";
}

std::string SummaryTable(const ZoneSummary& summary) {
    std::string html =
        "<table id=\"zone-summary\"><tr><th>zone</th><th>overlay label</th><th>keys</th><th>altitude</th>"
        "<th>frames</th>";
    for (const ZoneQuantity& quantity : DescribeZone(ZoneSummary::Zone{}))
        html += "<th>" + EscapeMarkup(quantity.name) + "</th>";
    html += "</tr>\n";
    for (int index = 0; index < ZoneCount; ++index) {
        const ZoneInfo& zone = Zones[index];
        const ZoneSummary::Zone& z = summary.Zones()[static_cast<size_t>(index)];
        html += "<tr><td><b>" + EscapeMarkup(zone.name) + "</b></td>" + Cell(ZoneLabelText(index)) +
                Cell(ZoneKeysText(index));
        if (z.frames == 0) {
            html += "<td colspan=\"10\">not reached</td></tr>\n";
            continue;
        }
        html += Cell(FormatRange(z.lowest, z.highest)) + Cell(std::to_string(z.frames));
        for (const ZoneQuantity& quantity : DescribeZone(z)) html += QuantityCell(quantity);
        html += "</tr>\n";
    }
    return html + "</table>\n";
}

const char* SeverityName(Severity severity) {
    return severity == Severity::Error ? "error" : severity == Severity::Warning ? "warning" : "note";
}

// Findings as a list, each linked to the weather it concerns.
std::string FindingList(const std::vector<Finding>& findings, const char* id) {
    std::string html = std::string("<ul id=\"") + id + "\">\n";
    for (const Finding& finding : findings) {
        html += std::string("<li class=\"finding-") + SeverityName(finding.severity) + "\" data-line=\"" +
                std::to_string(finding.line) + "\">" + EscapeMarkup(FormatFinding(finding));
        if (finding.weather >= 0) {
            const std::string name = WeatherNames[finding.weather];
            html += " <a href=\"#weather-" + name + "\">(" + name + ")</a>";
        }
        html += "</li>\n";
    }
    return html + "</ul>\n";
}

// The verdict on the file and what the checker found, first on the page.
std::string Findings(const std::vector<Finding>& findings, const std::string& file) {
    Severity worst = Severity::Note;
    for (const Finding& finding : findings) worst = std::max(worst, finding.severity);
    std::string verdict = CountFindings(findings) + " in " + file;
    verdict[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(verdict[0])));  // "No problems"
    std::string html = std::string("<p id=\"verdict\" class=\"verdict verdict-") +
                       (findings.empty() ? "clean" : SeverityName(worst)) + "\">" + EscapeMarkup(verdict) + "</p>\n";
    if (findings.empty()) return html + "<p id=\"findings\">The checker found nothing to report about this file.</p>\n";
    return html + FindingList(findings, "findings");
}

// What the installation check found in the game's folder, above the file's
// verdict: a module that never loads makes every setting moot.
std::string Installation(const std::vector<Finding>& findings) {
    if (findings.empty()) return "";
    return "<h2 id=\"installation\">The installation: " + EscapeMarkup(CountFindings(findings)) + "</h2>\n" +
           FindingList(findings, "installation-findings");
}

// Links to the parts of the page and to every weather, each weather with
// the count of findings about it.
std::string Contents(const std::vector<Finding>& findings) {
    std::string html =
        "<nav id=\"contents\"><b>On this page:</b> <a href=\"#flight\">the flight</a> <a href=\"#zones\">what the "
        "module did in each zone</a> <a href=\"#weathers\">every weather</a><br><b>Weathers:</b>\n";
    for (int weather = 0; weather < WeatherCount; ++weather) {
        std::vector<Finding> about;
        for (const Finding& finding : findings) {
            if (finding.weather == weather) about.push_back(finding);
        }
        html += std::string("<a href=\"#weather-") + WeatherNames[weather] + "\">" + WeatherNames[weather];
        if (!about.empty()) html += " <span class=\"concerned\">(" + EscapeMarkup(CountFindings(about)) + ")</span>";
        html += "</a>\n";
    }
    return html + "</nav>\n";
}

// A setting's value as the file writes it; a cloud set beside the game's name.
std::string ShownValue(const WeatherSettings& row, const SettingKey& key) {
    switch (key.kind) {
    case SettingKind::Flag: return SettingField<bool>(row, key) ? "on" : "off";
    case SettingKind::CloudName: return CloudSetWithName(&SettingField<char>(row, key));
    case SettingKind::Text: {
        const std::string text = &SettingField<char>(row, key);
        return text.empty() ? "(none)" : text;
    }
    default: return SettingFileText(row, key);
    }
}

// Every setting of the weather but the thresholds (its ladder draws them),
// each as the file has it; one that does nothing says why.
std::string WeatherSettingsTable(int weather) {
    const WeatherSettings& row = Settings.Weather[weather];
    std::string html = "<table class=\"settings\">\n";
    const auto line = [&html](const std::string& name, const std::string& title, const std::string& value) {
        html += "<tr><td title=\"" + EscapeMarkup(title) + "\">" + EscapeMarkup(name) + "</td><td>" + value +
                "</td></tr>\n";
    };
    for (size_t key = 0; key < WeatherSettingKeyCount; ++key) {
        if (IsZoneThreshold(key)) continue;
        const std::optional<UnusedSetting> unused = WhyUnused(key, weather, Settings);
        const std::string value = EscapeMarkup(ShownValue(row, WeatherSettingKeys[key]));
        line(SettingRole(key), WeatherSettingKeys[key].key,
             unused ? "<span class=\"idle-value\">" + value +
                          "</span><br><span class=\"idle\">does nothing: " + EscapeMarkup(unused->Brief()) + "</span>"
                    : value);
    }
    line("cloud set higher up", "",
         FollowsFirstSixRules(weather) ? "NO_CLOUDS (Snowy 01) from the above-clouds-start band"
                                       : "horsey (no name in the file) from the cloud zone");
    line("effect level", "", "0 from the above-clouds zone up; handed back to the game in the normal zone");
    return html + "</table>\n";
}

// The settings of the flight's weathers that change nothing.
std::string IdleSettingsNote(const ZoneSummary& summary) {
    std::string html;
    for (const int weather : summary.Rows()) {
        const std::vector<std::string> idle = IdleSettings(weather, Settings);
        if (idle.empty()) continue;
        html += std::string("<p class=\"note\">Settings of [") + WeatherNames[weather] +
                "] that change nothing in this weather:</p>\n<ul class=\"note\">\n";
        for (const std::string& item : idle) html += "<li>" + EscapeMarkup(item) + "</li>\n";
        html += "</ul>\n";
    }
    return html;
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
    std::string svg = "<svg class=\"ladder\" width=\"" + GeneralRealText(Width) + "\" height=\"" +
                      GeneralRealText(Height) + "\" font-family=\"sans-serif\" font-size=\"10\">";
    // Rungs from the ground up; each name at its rung's middle, pushed up
    // where thin rungs would put two names on one line.
    double lower = 0, nameY = Bottom + LineGap, valueY = Bottom + LineGap;
    for (int zone = 0; zone < ZoneCount; ++zone) {
        // Thresholds out of order leave a rung without height: the module never reaches it.
        const double upper = zone < ZoneCount - 1 ? std::max<double>(lower, row.*Zones[zone].upper) : high;
        const double top = y(upper), bottom = y(lower);
        svg += "<rect x=\"" + GeneralRealText(BarLeft) + "\" y=\"" + GeneralRealText(top) + "\" width=\"" +
               GeneralRealText(BarWidth) + "\" height=\"" + GeneralRealText(std::max(0.0, bottom - top)) +
               "\" fill=\"" + ZoneFills[zone] + "\" stroke=\"#999\"><title>" + EscapeMarkup(Zones[zone].name) +
               "</title></rect>";
        nameY = std::min((top + bottom) / 2 + 3, nameY - LineGap);
        svg += "<text x=\"" + GeneralRealText(BarLeft + BarWidth + 6) + "\" y=\"" + GeneralRealText(nameY) + "\">" +
               EscapeMarkup(std::string(Zones[zone].name) + (upper <= lower ? " (never reached)" : "")) + "</text>";
        if (zone < ZoneCount - 1) {
            valueY = std::min(top + 3, valueY - LineGap);
            svg += "<text x=\"" + GeneralRealText(BarLeft - 4) + "\" y=\"" + GeneralRealText(valueY) +
                   "\" text-anchor=\"end\" fill=\"#555\">" + ShortestRealText(row.*Zones[zone].upper) + "</text>";
        }
        lower = upper;
    }
    return svg + "</svg>";
}

namespace {

std::string Base64(const std::string& bytes) {
    static constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t group = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) group |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
        for (size_t k = 0; k < 4; ++k) text += i + k <= bytes.size() ? Digits[(group >> (18 - 6 * k)) & 63] : '=';
    }
    return text;
}

// The live part: the file, the module and the page's script, in that order.
// A browser without scripts or WebAssembly keeps the static report.
std::string LiveScripts(const ReportPage::Live& live) {
    const std::string_view module = WebModuleScript(), script = WebPageScript();
    if (module.empty()) return "";
    std::string html = "<script type=\"application/octet-stream\" id=\"atmosphere-file\" data-name=\"" +
                       EscapeMarkup(live.configName) + "\" data-weather=\"" + EscapeMarkup(live.weather) +
                       "\" data-speed=\"" + ShortestRealText(live.speed) + "\" data-vehicle=\"" +
                       (live.inVehicle ? "1" : "0") + "\" data-game-wind=\"" + ShortestRealText(live.gameWind) + "\">" +
                       Base64(live.configBytes) + "</script>\n";
    if (!live.flightName.empty()) {
        html += "<script type=\"application/octet-stream\" id=\"atmosphere-flight\" data-name=\"" +
                EscapeMarkup(live.flightName) + "\">" + Base64(live.flightBytes) + "</script>\n";
    }
    for (const auto& [name, bytes] : live.besideFiles) {
        html += "<script type=\"application/octet-stream\" class=\"atmosphere-beside\" data-name=\"" +
                EscapeMarkup(name) + "\">" + Base64(bytes) + "</script>\n";
    }
    return html + "<script>" + std::string(module) + "</script>\n<script>" + std::string(script) + "</script>\n";
}

}  // namespace

std::string RenderZoneSection(const ZoneSummary& summary) {
    std::string html = "<div id=\"zone-section\">" + SummaryTable(summary);
    html += "<p class=\"note\">" + EscapeMarkup(WeatherFractionNote) +
            " Where the way up and the way down differ, the table gives both.</p>\n";
    html += IdleSettingsNote(summary);
    for (const ZoneSummary::LateWeather& late : summary.LateWeathers()) {
        html += "<p class=\"note\">Frame " + std::to_string(late.frame) + ": the game's weather became " +
                EscapeMarkup(late.weather) + " at altitude " + RoundedRealText(late.altitude) +
                ", above the normal zone: the module kept the " + EscapeMarkup(late.row) + " row.</p>\n";
    }
    if (!summary.LateWeathers().empty()) html += "<p class=\"note\">" + EscapeMarkup(LateWeatherNote) + "</p>\n";
    return html + "</div>\n";
}

std::string RenderWeatherSection(int weather, const std::string& chart) {
    return std::string("<section class=\"weather\" id=\"weather-") + WeatherNames[weather] + "\" data-weather=\"" +
           WeatherNames[weather] + "\"><h3>" + WeatherNames[weather] + "</h3>\n<div class=\"weather-body\">" +
           RenderLadder(weather) + WeatherSettingsTable(weather) + "</div>\n<div class=\"chart weather-chart\">" +
           (chart.find("<svg") == std::string::npos ? "<p>" + EscapeMarkup(chart) + "</p>" : Inline(chart)) +
           "</div></section>\n";
}

std::string RenderReportPage(const ReportPage& page) {
    const ZoneSummary& summary = *page.summary;
    const RunInfo& info = summary.Info();
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>Atmosphere preview: " +
        EscapeMarkup(info.configPath) + "</title>\n<style>" + Style + "</style></head><body>\n";
    html += "<h1>Atmosphere preview of " + EscapeMarkup(info.configPath) + "</h1>\n";
    // What a reader came for first: the verdict, the findings, the way around.
    html += Installation(page.installation);
    html += Findings(page.findings, info.configPath);
    html += Contents(page.findings);
    html += "<p>" + EscapeMarkup(info.flightName) + ", " + std::to_string(info.frameCount) +
            " frames. The module was " +
            (summary.DisabledFrames() == 0 ? std::string("on throughout")
                                           : "off for " + std::to_string(summary.DisabledFrames()) + " frames") +
            "; its debug overlay was " +
            (summary.DebugFrames() == 0 ? std::string("off")
                                        : "on for " + std::to_string(summary.DebugFrames()) + " frames") +
            ". File in use: ";
    std::string files;
    for (const std::string& file : summary.ConfigFiles()) files += (files.empty() ? "" : ", ") + file;
    html += EscapeMarkup(files.empty() ? info.configPath : files) + ".</p>\n";

    html += "<h2 id=\"flight\">The flight</h2>\n<div class=\"chart\" id=\"flight-chart\">" + Inline(page.chartSvg) +
            "</div>\n";
    if (!WebModuleScript().empty()) html += "<section id=\"live\" hidden></section>\n";
    html += "<h2 id=\"zones\">What the module did in each zone</h2>\n" + RenderZoneSection(summary);
    html +=
        "<h2 id=\"weathers\">Every weather</h2>\n<p class=\"note\">Each weather's ladder of zones drawn to scale from "
        "its thresholds, its settings (hover a name for its key; a setting that does nothing here says why), and a "
        "climb through its zones to a tenth above SpaceZoneStart and back, with the game's weather set to it at the "
        "start.</p>\n<div class=\"weathers\">\n";
    for (int weather = 0; weather < WeatherCount; ++weather) {
        html += RenderWeatherSection(weather, page.weatherCharts[static_cast<size_t>(weather)]);
    }
    html += "</div>\n";
    html += LiveScripts(page.live);
    html += "</body></html>\n";
    return html;
}

}  // namespace preview
