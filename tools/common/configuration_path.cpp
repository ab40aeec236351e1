// Loading a configuration file by its path, for the tools.
#include "tools/common/configuration_path.h"

#include <filesystem>

#include "config/configuration.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "sim/path_text.h"

PathLoad LoadConfigurationFromPath(const std::string& path) {
    const std::filesystem::path file = PathFromText(path);
    std::string directory = file.parent_path().string();
    directory = directory.empty() ? "./" : directory + "/";
    const std::string name = file.filename().string();

    ResetSettingsToStartValues();
    if (directory.size() >= sizeof ModuleDirectory) {
        ModuleDirectory[0] = '\0';
        LoadConfiguration("", false);
        return PathLoad::DirectoryTooLong;
    }
    CopyText(ModuleDirectory, directory.c_str());
    CopyText(ConfigFileName, name.c_str());
    std::error_code error;
    const bool present = std::filesystem::is_regular_file(file, error);
    LoadConfiguration(name.c_str(), true);
    return present ? PathLoad::Loaded : PathLoad::FileMissing;
}
