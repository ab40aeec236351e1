// Arguments as people type them, rewritten into what the command-line
// parser reads. "/Games/my.ini" is a path on Windows too (rooted at the
// current drive; under wine, every Unix path), not an option: the parser
// takes no Windows-style options at all, and main reads "/?" as "--help".
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

// An argument that starts with "-" but is none of
// `command`'s options, while a file or folder of that name exists, is a
// path: it becomes an option's value ("--flight=-x.csv") where it follows an
// option that takes one, else a positional argument after "--".
std::vector<std::string> ReadAsTyped(const CLI::App& command, const std::vector<std::string>& arguments);

// Parses `arguments` (without the program's name) with `app`, which must
// have been set up with no Windows-style options.
void ParseArguments(CLI::App& app, const std::vector<std::string>& arguments);
