// `atmosphere-sim config PATH [--json]`: the directory of PATH becomes the
// module directory and its file name the configuration file name, and the
// module's own LoadConfiguration fills the record from the start values,
// following the alternate file as the module does. A missing file is what the
// module meets on a fresh install, so it is not an error: the defaults are
// printed and a note goes to standard error.
#include "tools/atmosphere-sim/config_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "config/configuration.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "tools/common/settings_dump.h"

namespace {

struct ConfigOptions {
    std::string path;
    bool json = false;
};

int RunConfig(const ConfigOptions& options) {
    const std::filesystem::path path(options.path);
    std::string directory = path.parent_path().string();
    directory = directory.empty() ? "./" : directory + "/";
    const std::string name = path.filename().string();

    ResetSettingsToStartValues();
    if (directory.size() >= sizeof ModuleDirectory) {
        // The module could not even hold this directory: it reads defaults.
        std::cerr << "atmosphere-sim: " << options.path << ": directory too long for the module, defaults used\n";
        ModuleDirectory[0] = '\0';
        LoadConfiguration("", false);
    } else {
        CopyText(ModuleDirectory, directory.c_str());
        CopyText(ConfigFileName, name.c_str());
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            std::cerr << "atmosphere-sim: " << options.path << ": file not found, the module reads the defaults\n";
        }
        LoadConfiguration(name.c_str(), true);
    }

    if (options.json) {
        std::cout << SettingsToJson(Settings) << "\n";
    } else {
        std::cout << SettingsToTable(Settings);
    }
    return 0;
}

}  // namespace

void AddConfigCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<ConfigOptions>();
    CLI::App* command = app.add_subcommand("config", "Load a configuration file as the module does and print the settings");
    command->add_option("PATH", options->path, "Configuration file (its directory plays the game directory)")->required();
    command->add_flag("--json", options->json, "Print the settings as one line of JSON");
    command->callback([options, &exitCode] { exitCode = RunConfig(*options); });
}
