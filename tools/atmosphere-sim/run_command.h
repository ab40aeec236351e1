// The `run` subcommand: fly the module in the simulated game and chart it.
#pragma once

#include <CLI/CLI.hpp>

// Registers `run [CONFIG] [options]` on `app`; the exit status goes to `exitCode`.
void AddRunCommand(CLI::App& app, int& exitCode);
