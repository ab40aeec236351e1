// Explains a configuration file as the module will read it: every value the
// module would silently take differently from what the author meant, every
// setting that does nothing as the file stands, and every missing key whose
// default differs from the shipped value, each as one finding
// "FILE:LINE: error|warning|note: message" with what the module does and the
// fix, in line order like a compiler's. A fix that is a value to write is
// also given as lines to write, and passes the check itself.
//
// The checker reads nothing itself: the module's own lexer and reader
// (platform/profile_lexer.h, platform/profile_reader.h) give it the lines and
// every value exactly as a load gives them, so it can never claim a value
// reads differently from how the module reads it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/configuration_reads.h"
#include "config/settings.h"
#include "tools/preview/setting_use.h"

namespace preview {

enum class Severity { Note, Warning, Error };

struct Finding {
    std::string file;
    int line = 0;  // 0 when the finding is about the whole file
    Severity severity = Severity::Note;
    std::string message;
    WeatherIndex weather = -1;  // the weather section it is about; -1 for none
    // The advice of the message as lines to write: each set of edits on its
    // own settles the finding. Empty where the advice is no value to write.
    std::vector<std::vector<SettingEdit>> fixes;
};

// Checks `path` and, when it redirects to an alternate file that the module
// would follow, that file too. When `unreadable` is given it is set to
// whether `path` held nothing to check at all (a folder, a device, a file
// that cannot be read): the one finding then says why.
std::vector<Finding> CheckConfiguration(const std::string& path, bool* unreadable = nullptr);

// An alternate file's content, or why there is none ("is not there", "is a
// folder", ...) in `problem`.
struct FileContent {
    std::string bytes;
    std::string problem;  // empty when the file was read
};

// What a check in memory found, and the settings the module loads from the
// file (its alternate file followed), from the start values, with the reads
// that gave them: which line gave each value (0: its default) and the text
// as written.
struct CheckedText {
    std::vector<Finding> findings;
    AtmosphereSettings settings;
    std::shared_ptr<const ConfigurationReads> reads;
};

// CheckConfiguration with the settings and the reads besides the findings.
CheckedText CheckConfigurationFile(const std::string& path, bool* unreadable = nullptr);

// Checks `bytes` as the content of the configuration file `file`;
// `readAlternate` gives the content of a file beside it by its path (the
// folder of `file` joined with the alternate name). Reads no file itself.
CheckedText CheckConfigurationText(const std::string& file, std::string_view bytes,
                                   const std::function<FileContent(const std::string& path)>& readAlternate);

// "FILE:LINE: severity: message", or "FILE: severity: message" without a line.
std::string FormatFinding(const Finding& finding);

bool HasErrors(const std::vector<Finding>& findings);

// The findings counted for a verdict: "2 errors, 1 warning", "3 notes", or
// "no problems".
std::string CountFindings(const std::vector<Finding>& findings);

// The weathers the findings of `severity` concern, in order, without repeats.
std::vector<WeatherIndex> WeathersConcerned(const std::vector<Finding>& findings, Severity severity);

}  // namespace preview
