// Draws a flight's timeline as a self-contained SVG chart: the altitude over
// the seven zones of the row in use, the blends the module applied, the wind
// and the module's arrival actions, frame by frame.
#pragma once

#include <string>

#include "tools/preview/timeline.h"

namespace preview {

// The whole SVG document for `timeline`; readable in any browser.
std::string RenderChart(const Timeline& timeline);

}  // namespace preview
