// The `check` subcommand: explain a configuration file as the module reads it.
#pragma once

#include <CLI/CLI.hpp>

// Registers `check [CONFIG]` on `app`; the exit status (1 when an error was
// found) goes to `exitCode`.
void AddCheckCommand(CLI::App& app, int& exitCode);
