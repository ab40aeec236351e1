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
    const std::filesystem::file_status status = std::filesystem::status(file, error);
    LoadConfiguration(name.c_str(), true);
    if (!std::filesystem::exists(status)) return PathLoad::FileMissing;
    return std::filesystem::is_regular_file(status) ? PathLoad::Loaded : PathLoad::NotAFile;
}

std::string DescribeNonFile(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    switch (fs::status(PathFromText(path), error).type()) {
    case fs::file_type::directory: return "a folder";
    case fs::file_type::character:
    case fs::file_type::block: return "a device";
    case fs::file_type::fifo: return "a pipe";
    case fs::file_type::socket: return "a socket";
    default: return "no regular file";
    }
}
