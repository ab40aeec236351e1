// The preview tool's two commands, apart from their command-line parsing:
// `run` flies a flight and writes the chart, the timeline, the trace and the
// report page; `check` explains a configuration file.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "config/settings.h"
#include "tools/preview/checker.h"

namespace preview {

struct RunRequest {
    std::string configPath = DefaultConfigFileName;
    std::string outputDirectory = "preview";
    std::string weather = "CLOUDS";  // weather name of the built-in climb, any case
    float speed = 2.0f;              // units per frame, built-in climb
    bool inVehicle = false;
    float gameWind = 3.0f;       // the game's own wind speed
    std::string flightFile;      // a flight file instead of the built-in climb
    bool trace = false;          // also write trace.jsonl
    bool progress = false;       // show progress on `err` (a terminal) during a long run
    bool findingsShown = false;  // the caller has printed the check's findings: the run need not mention them
    // What the installation check found in the file's folder, for the
    // report's top; empty when it was not examined.
    std::vector<Finding> installation;
};

// Runs the flight and writes report.html, chart.svg, timeline.csv (and
// trace.jsonl) into the output folder as it flies, printing the summary to
// `out` and where the files went to `err`, the report first; and on `err`,
// unless `request.findingsShown`, that the file has errors or warnings. Every input is checked before
// anything is written: on bad input it prints the reason to `err`, writes
// nothing and returns 2. Returns 0 on success; on a failed write nothing of
// the run is left behind.
int RunPreviewCommand(const RunRequest& request, std::ostream& out, std::ostream& err);

// The small chart of one weather's climb for the report: from the ground to a
// tenth above `spaceZoneStart` (that weather's, as the file had it before the
// climb) and back, the game's weather set to it; or why there is none.
std::string WeatherClimbChart(const std::string& configPath, int weather, float spaceZoneStart, bool inVehicle,
                              float gameWind);

// Whether standard error is a terminal, where a progress line is welcome.
bool StandardErrorIsTerminal();

// Prints every finding about `configPath` to `out`, one per line, and hands
// them to `findings` when given; returns 2 when there was no file to check
// (a folder, a device), 1 when a finding is an error, else 0.
int CheckCommand(const std::string& configPath, std::ostream& out, std::vector<Finding>* findings = nullptr);

}  // namespace preview
