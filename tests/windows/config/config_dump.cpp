// The Windows half of the configuration differential test: loads each file
// named on the command line exactly as the module does on Windows (the real
// GetPrivateProfileIntA / GetPrivateProfileStringA, through
// platform_win32.cpp) and writes the settings JSON of the n-th file to
// OUTPUT_DIR/<n>.json (numbers, since file names may differ only in case).
// Usage: config_dump OUTPUT_DIR FILE...
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "config/configuration.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "tools/common/settings_dump.h"

namespace {

// Splits a full path at its last separator: ModuleDirectory keeps the
// separator, as the module's own start-up leaves it.
bool LoadAsModule(const char* argument) {
    char full[MAX_PATH * 4];
    const DWORD length = GetFullPathNameA(argument, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return false;
    char* lastSeparator = std::strrchr(full, '\\');
    if (char* slash = std::strrchr(full, '/'); slash != nullptr && slash > lastSeparator) lastSeparator = slash;
    if (lastSeparator == nullptr) return false;
    const std::string directory(full, lastSeparator + 1);
    const std::string name(lastSeparator + 1);
    if (directory.size() >= sizeof ModuleDirectory) return false;
    ResetSettingsToStartValues();
    CopyText(ModuleDirectory, directory.c_str());
    CopyText(ConfigFileName, name.c_str());
    LoadConfiguration(name.c_str(), true);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: config_dump OUTPUT_DIR FILE...\n");
        return 2;
    }
    int failures = 0;
    for (int i = 2; i < argc; ++i) {
        if (!LoadAsModule(argv[i])) {
            std::fprintf(stderr, "config_dump: cannot use path %s\n", argv[i]);
            ++failures;
            continue;
        }
        const std::string output = std::string(argv[1]) + "/" + std::to_string(i - 1) + ".json";
        std::FILE* file = std::fopen(output.c_str(), "wb");
        if (file == nullptr) {
            std::fprintf(stderr, "config_dump: cannot write %s\n", output.c_str());
            ++failures;
            continue;
        }
        const std::string json = SettingsToJson(Settings) + "\n";
        std::fwrite(json.data(), 1, json.size(), file);
        std::fclose(file);
    }
    return failures == 0 ? 0 : 1;
}
