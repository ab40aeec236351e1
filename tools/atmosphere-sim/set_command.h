// The `set` subcommand: writes values into a configuration file and changes
// nothing else in it.
#pragma once

#include <CLI/CLI.hpp>

// Registers `set FILE SECTION.Key=VALUE... [--in-place]` on `app`; the exit
// status (2 for any bad input) goes to `exitCode`.
void AddSetCommand(CLI::App& app, int& exitCode);
