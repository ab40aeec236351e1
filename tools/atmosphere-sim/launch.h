// How atmosphere-sim was asked to work, read from its arguments before the
// command-line parser sees them, and the one job a double-click or a drop
// asks for: check a file and preview it into a folder beside it.
#pragma once

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

// In a game's folder (it holds the script host or the module), checks the
// installation first; then checks `request.configPath` (findings on `out`),
// flies the request with it and writes the preview into
// `request.outputDirectory`, or when that is empty into the folder "preview"
// beside the file (summary on `out`); says on `err` which file it checks and
// where the preview went. Returns 0, 1 when the installation check or the
// file's check found an error, 2 when the file is missing or not a file, an
// option is bad or the preview cannot be written.
int CheckAndPreview(preview::RunRequest request, std::ostream& out, std::ostream& err);

// Asks for Enter on `err` and returns when a line or the end of `in` comes.
void WaitForEnter(std::istream& in, std::ostream& err);
