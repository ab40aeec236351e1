// How atmosphere-sim was asked to work, read from its arguments before the
// command-line parser sees them, and the one job a double-click or a drop
// asks for: check a file and preview it into a folder beside it.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "tools/preview/commands.h"

enum class Invocation {
    Command,         // a subcommand or an option (--help, --version): for the parser
    NoArgument,      // nothing at all: Explorer's double-click, or a bare call from a terminal
    OpenFile,        // a first argument that names a file (a drop) or looks like a path to one, then run's options
    UnknownCommand,  // a first word that is neither a subcommand, an option nor a path
};

// `arguments` without the program's name; `subcommands` and `options` (as
// typed: "--help", "-h", "--version") the parser's.
Invocation ClassifyArguments(const std::vector<std::string>& arguments, const std::vector<std::string>& subcommands,
                             const std::vector<std::string>& options);

// What a check and a preview leave for the person to look at.
struct PreviewResult {
    int status = 2;      // 0; 1 when the check found an error; 2 when there was nothing to preview
    std::string report;  // the report page, when one was written
};

// In a game's folder (it holds the script host or the module), checks the
// installation first. Then checks `request.configPath` (findings on `out`),
// flies the request with it and writes the preview into
// `request.outputDirectory`, or when that is empty into the folder "preview"
// beside the file (summary on `out`); the report shows the installation's
// findings at its top. Status 1 when either check found an error.
// Unless `weatherGiven`, the climb is in the first weather the file's errors
// concern (else its warnings; else the request's). Says on `err` which file
// it checks and where the preview went, and ends with the verdict, so that
// it is the last thing a window shows: "2 errors, 1 warning in
// atmosphere.ini: see preview/report.html". Status 2 when the file is
// missing or not a file, an option is bad or the preview cannot be written.
PreviewResult CheckAndPreview(preview::RunRequest request, bool weatherGiven, std::ostream& out, std::ostream& err);

// Ends a double-click or a drop, whose window closes with the tool: asks on
// `err` for Enter to close, or for O to open `report` first (when there is
// one; with none, for Enter alone) with `open`. `answer` gives the key
// pressed (EOF at the end of input).
void CloseOrOpen(const std::string& report, std::ostream& err, const std::function<int()>& answer,
                 const std::function<bool(const std::string&)>& open);
