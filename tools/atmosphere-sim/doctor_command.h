// Registers `doctor [FOLDER]` on the command line.
#pragma once

#include <CLI/CLI.hpp>

// The exit status goes to `exitCode`.
void AddDoctorCommand(CLI::App& app, int& exitCode);
