// Runs the module, its real script with its loop and scriptWait, in the
// simulated host over a flight, and records what the game looked like after
// every frame.
#pragma once

#include <string>
#include <vector>

#include "sim/trace.h"
#include "tools/preview/flight.h"
#include "tools/preview/timeline.h"

namespace preview {

struct PreviewRun {
    Timeline timeline;
    std::vector<sim::TraceEvent> trace;   // every call of the run, load and unload included
};

// Loads `configPath` as the module would (its directory as the game's
// folder, its file name as the configuration file name) into the settings
// record, without running the script: the built-in climb needs the space
// zone's start before the flight is made.
void PreloadConfiguration(const std::string& configPath);

// Loads the module beside the simulated game, flies `flight` frame by frame
// and unloads it. The module state is put back to its load-time values first,
// so runs do not leak into each other.
PreviewRun RunFlight(const std::string& configPath, const Flight& flight);

// The upper-case name of a weather hash of the game, or its hex spelling.
std::string WeatherNameOfHash(uint32_t hash);

}  // namespace preview
