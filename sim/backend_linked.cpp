// The simulated host in a program that links the module in (the Linux tests
// and tools, and the tool on Windows): the module is entered through its
// DllMain, the game image is pages of our own, and the game's folder is a
// real directory shown to the module with backslashes.
#include <filesystem>
#include <string>

#include "host/host_api.h"
#include "sim/backend.h"
#include "sim/mapped_image.h"
#include "sim/path_text.h"

namespace sim::backend {

void AttachGame(const SessionOptions& options) { SessionImage().Arrange(options.image); }

void DetachGame() { SessionImage().Release(); }

int EnterModule(ModuleEntry entry, ModuleHandle instance, uint32_t reason) {
    return (entry != nullptr ? entry : DllMain)(instance, reason, nullptr);
}

void ArrangeImage(ImageMode mode) { SessionImage().Arrange(ImageSpec::ForMode(mode)); }

ImageReport ReportImage() { return SessionImage().Report(); }

std::string GameDirectory(const SessionOptions& options) {
    std::error_code error;
    std::filesystem::path directory =
        options.gameDirectory.empty() ? std::filesystem::current_path(error) : PathFromText(options.gameDirectory);
    directory = std::filesystem::absolute(directory, error).lexically_normal();
    std::string text = directory.generic_string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    // "/tmp/x" becomes "\tmp\x" ("C:\x" stays so): the module keeps
    // everything up to the last backslash, and the profile reader turns
    // backslashes back into slashes, which either system opens.
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
    return text == "\\" ? std::string() : text;
}

}  // namespace sim::backend
