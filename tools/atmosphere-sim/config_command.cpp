// `atmosphere-sim config PATH [--json]`: the directory of PATH becomes the
// module directory and its file name the configuration file name, and the
// module's own LoadConfiguration fills the record from the start values,
// following the alternate file as the module does; the table marks the
// values that came from a default. A missing file is what the
// module meets on a fresh install, so it is not an error: the defaults are
// printed and a note goes to standard error. A folder or a device is no
// configuration at all: exit status 2.
#include "tools/atmosphere-sim/config_command.h"

#include <iostream>
#include <memory>
#include <string>

#include "config/settings.h"
#include "tools/common/configuration_path.h"
#include "tools/common/settings_dump.h"
#include "tools/preview/checker.h"

namespace {

struct ConfigOptions {
    std::string path;
    bool json = false;
};

int RunConfig(const ConfigOptions& options) {
    const PathLoad load = LoadConfigurationFromPath(options.path);
    switch (load) {
    case PathLoad::Loaded: break;
    case PathLoad::FileMissing:
        std::cerr << "atmosphere-sim: " << options.path << ": file not found, the module reads the defaults\n";
        break;
    case PathLoad::NotAFile:
        // A mistyped path, not a configuration: nothing to print.
        std::cerr << "atmosphere-sim: " << options.path << ": " << DescribeNonFile(options.path)
                  << ", not a configuration file\n";
        return 2;
    case PathLoad::DirectoryTooLong:
        // The module could not even hold this directory: it reads defaults.
        std::cerr << "atmosphere-sim: " << options.path << ": directory too long for the module, defaults used\n";
        break;
    }

    if (options.json) {
        std::cout << SettingsToJson(Settings) << "\n";
        return 0;
    }
    // Which value came from a default, and what the file wrote: the
    // checker reads the file as the module does.
    const preview::CheckedText checked = preview::CheckConfigurationFile(options.path);
    std::cout << SettingsToTable(Settings, load == PathLoad::DirectoryTooLong ? nullptr : checked.reads.get());
    return 0;
}

}  // namespace

void AddConfigCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<ConfigOptions>();
    CLI::App* command =
        app.add_subcommand("config", "Load a configuration file as the module does and print the settings");
    command->add_option("PATH", options->path, "Configuration file (its directory plays the game directory)")
        ->required();
    command->add_flag("--json", options->json, "Print the settings as one line of JSON");
    command->callback([options, &exitCode] { exitCode = RunConfig(*options); });
}
