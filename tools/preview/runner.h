// Runs the module, its real script with its loop and scriptWait, in the
// simulated host over a flight, and hands what the game looked like after
// every frame to the run's observers as the frame ends.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "sim/trace.h"
#include "tools/preview/flight.h"
#include "tools/preview/timeline.h"

namespace preview {

// Loads `configPath` as the module would (its directory as the game's
// folder, its file name as the configuration file name) into the settings
// record, without running the script: the built-in climb needs the space
// zone's start before the flight is made.
void PreloadConfiguration(const std::string& configPath);

struct RunOptions {
    std::vector<FrameObserver*> observers;  // each sample, as its frame ends
    sim::TraceSink* trace = nullptr;        // every event of the run, load and unload included
    // Called now and then with the frames done so far (for a progress line).
    std::function<void(size_t done)> progress;
    // Where the module's log (atmosphere.log) goes; empty: nowhere. Never
    // beside the file: that is the game's own log when the file is the
    // game's.
    std::string logFile;
};

// Loads the module beside the simulated game, flies `flight` from its first
// frame and unloads it. The module state is put back to its load-time values
// first, so runs do not leak into each other. Nothing is kept per frame.
void RunFlight(const std::string& configPath, Flight& flight, const RunOptions& options);

// The files beside the settings file `configPath` that the module may read
// in its place: the numbered files that the "fileindex" tag chooses
// (atmosphere*.ini) and the alternate file the file names. Their names,
// without the folder; the file's own is not among them.
std::vector<std::string> FilesBeside(const std::string& configPath);

// A whole run kept in memory, for tests and short flights.
struct PreviewRun {
    Timeline timeline;
    std::vector<sim::TraceEvent> trace;
};
PreviewRun RunFlight(const std::string& configPath, Flight& flight);

// The upper-case name of a weather hash of the game, or its hex spelling.
std::string WeatherNameOfHash(uint32_t hash);

}  // namespace preview
