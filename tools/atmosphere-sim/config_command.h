// The `config` subcommand: load a configuration file exactly as the module
// would and print the resulting settings record.
#pragma once

#include <CLI/CLI.hpp>

// Registers `config PATH [--json]` on `app`; the command's exit status is
// written to `exitCode` when it runs.
void AddConfigCommand(CLI::App& app, int& exitCode);
