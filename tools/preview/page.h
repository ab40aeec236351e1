// The report page: one self-contained HTML file (nothing loaded from the
// network or from other files). It opens with the checker's verdict and
// findings and a contents list that links every weather, then the flight's
// chart and per-zone summary, and every weather's ladder, settings and climb.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "tools/preview/checker.h"
#include "tools/preview/report.h"

namespace preview {

struct ReportPage {
    const ZoneSummary* summary = nullptr;  // the flight's
    std::string chartSvg;                  // the flight's chart
    std::vector<Finding> findings;         // about the configuration file
    std::vector<Finding> installation;     // about the game's folder, when it was examined
    // Per weather, a small chart of the climb through its zones, or an
    // explanation of why there is none.
    std::array<std::string, 15> weatherCharts;
    // What the page's live part starts from: the file's bytes and the climb
    // the run flew. The live part is there only when the tool was built with
    // the web module (tools/preview/web_module.h).
    struct Live {
        std::string configBytes;
        std::string configName = "atmosphere.ini";  // the file's name, without its folder
        std::string weather = "CLOUDS";             // of the climb; the start of a flight file
        float speed = 2.0f;
        bool inVehicle = false;
        float gameWind = 3.0f;
        std::string flightName;   // the flight file as the tool was given it; empty: the climb
        std::string flightBytes;  // its text
        // The files beside it that the module may read in its place (name,
        // bytes): the alternate file it names, the numbered files.
        std::vector<std::pair<std::string, std::string>> besideFiles;
    } live;
};

// The page; the settings of every weather are read from the settings record,
// which must hold the configuration as loaded.
std::string RenderReportPage(const ReportPage& page);

// The parts the live page draws again after an edit: what the module did in
// each zone of the flight ("zone-section"), and one weather's ladder,
// settings and climb ("weather-NAME", given its climb's chart or why there
// is none). Settings as for the page.
std::string RenderZoneSection(const ZoneSummary& summary);
std::string RenderWeatherSection(int weather, const std::string& chart);

// The SVG ladder of one settings row, drawn to scale from its thresholds.
std::string RenderLadder(int weather);

}  // namespace preview
