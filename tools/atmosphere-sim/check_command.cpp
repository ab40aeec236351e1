// `atmosphere-sim check [CONFIG]`: one finding per line, FILE:LINE:
// error|warning|note: message, each saying what the module will do and how to
// fix it. Exit status 1 when an error was found, 2 when there was no file to
// check (a folder, a device), else 0.
#include "tools/atmosphere-sim/check_command.h"

#include <iostream>
#include <memory>
#include <string>

#include "config/settings.h"
#include "tools/preview/commands.h"

void AddCheckCommand(CLI::App& app, int& exitCode) {
    auto path = std::make_shared<std::string>(DefaultConfigFileName);
    CLI::App* command =
        app.add_subcommand("check", "Explain what the module will silently do with a configuration file");
    command->add_option("CONFIG", *path, "Configuration file")->capture_default_str();
    command->callback([path, &exitCode] { exitCode = preview::CheckCommand(*path, std::cout); });
}
