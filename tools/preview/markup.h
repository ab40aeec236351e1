// The one escaper of text put into the report's HTML and the charts' SVG.
#pragma once

#include <string>

namespace preview {

// Text made safe inside SVG and HTML: markup characters escaped, control
// bytes (not allowed in XML) shown as '?'.
std::string EscapeMarkup(const std::string& text);

}  // namespace preview
