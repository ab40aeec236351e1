// How the tool was started, and its standard streams, on Linux: always from
// a terminal or a script.
#include <filesystem>
#include <istream>
#include <string>
#include <system_error>

#include "tools/atmosphere-sim/console.h"

bool OwnsConsoleWindow() { return false; }

std::string ExecutableDirectory() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? "" : self.parent_path().string();
}

void PrepareStandardStreams() {}

int ReadAnswer(std::istream& in) {
    std::string line;
    if (!std::getline(in, line)) return EOF;
    return line.empty() ? '\n' : static_cast<unsigned char>(line.front());
}

bool OpenWithDefaultProgram(const std::string&) { return false; }

std::string MoveOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return error ? error.message() : "";
}
