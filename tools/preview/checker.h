// Explains a configuration file as the module will read it: every value the
// module would silently take differently from what the author meant, each as
// one finding "FILE:LINE: error|warning|note: message" with what the module
// does and the fix.
#pragma once

#include <string>
#include <vector>

namespace preview {

enum class Severity { Note, Warning, Error };

struct Finding {
    std::string file;
    int line = 0;          // 0 when the finding is about the whole file
    Severity severity = Severity::Note;
    std::string message;
};

// Checks `path` and, when it redirects to an alternate file that the module
// would follow, that file too.
std::vector<Finding> CheckConfiguration(const std::string& path);

// "FILE:LINE: severity: message", or "FILE: severity: message" without a line.
std::string FormatFinding(const Finding& finding);

bool HasErrors(const std::vector<Finding>& findings);

}  // namespace preview
