// The report page's live part, embedded into the tool when it is built: the
// module compiled to WebAssembly (build/web/atmosphere-web.js, preset web)
// and the page's script (web/live_page.js). A tool built without the web
// module writes the static page.
#pragma once

#include <string_view>

namespace preview {

// The module's script; empty when the tool was built without it.
std::string_view WebModuleScript();
// The page's script that drives it.
std::string_view WebPageScript();

}  // namespace preview
