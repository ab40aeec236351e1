// The preview's written outputs: the CSV timeline, the JSON-lines trace of
// every native call, and the per-zone summary printed on the terminal.
#pragma once

#include <ostream>
#include <vector>

#include "sim/trace.h"
#include "tools/preview/timeline.h"

namespace preview {

// One header line, then one row per frame: frame, altitude, zone label,
// weather from, to and fraction, forced weather, cloud set, opacity,
// modifier, strength, wind, effect level, flashes.
void WriteTimelineCsv(const Timeline& timeline, std::ostream& out);

// One JSON object per line for every event of the trace: frame, caller,
// kind, name, hash (natives only), decoded arguments and results.
void WriteTraceJsonLines(const std::vector<sim::TraceEvent>& trace, std::ostream& out);

// For each zone the flight reached: altitude range, frames spent and what the
// module set there.
void WriteSummary(const Timeline& timeline, std::ostream& out);

}  // namespace preview
