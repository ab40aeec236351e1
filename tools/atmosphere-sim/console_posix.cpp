// How the tool was started, and its standard streams, on Linux: always from
// a terminal or a script.
#include <filesystem>
#include <system_error>

#include "tools/atmosphere-sim/console.h"

bool OwnsConsoleWindow() { return false; }

std::string ExecutableDirectory() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? "" : self.parent_path().string();
}

void PrepareStandardStreams() {}
