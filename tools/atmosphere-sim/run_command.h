// The `run` subcommand: fly the module in the simulated game and chart it.
#pragma once

#include <CLI/CLI.hpp>

#include "tools/preview/commands.h"

// Registers `run [CONFIG] [options]` on `app`; the exit status goes to `exitCode`.
void AddRunCommand(CLI::App& app, int& exitCode);

// The options of `run` after its CONFIG (--output, --weather, --speed,
// --vehicle, --game-wind, --flight, --trace), filling `request`: a file
// given alone takes them too.
void AddRunOptions(CLI::App& command, preview::RunRequest& request);
