// The Windows half of the configuration differential test: loads each file
// named on the command line twice, exactly as the module does on Windows
// (the profile reader over the bytes that platform_win32.cpp reads) and with
// the system's own GetPrivateProfileIntA / GetPrivateProfileStringA answering
// every read, key by key, as the module once did. Writes the settings JSON of
// the n-th file to OUTPUT_DIR/<n>.json and OUTPUT_DIR/<n>.profile.json
// (numbers, since file names may differ only in case).
// Usage: config_dump OUTPUT_DIR FILE...
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "config/configuration.h"
#include "config/configuration_reads.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "tools/common/settings_dump.h"

namespace {

// The oracle: every read answered by the system's profile functions.
platform::ProfileFileResult ReadWithProfileFunctions(const char* path, platform::ProfileRead* reads, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        platform::ProfileRead& read = reads[i];
        if (read.kind == platform::ProfileReadKind::Integer) {
            read.number = static_cast<int32_t>(GetPrivateProfileIntA(read.section, read.key, read.defaultNumber, path));
        } else {
            GetPrivateProfileStringA(read.section, read.key, read.defaultText, read.text, read.capacity, path);
        }
    }
    return {true, 0, false};  // the profile functions cannot tell
}

// Splits a full path at its last separator: ModuleDirectory keeps the
// separator, as the module's own start-up leaves it.
bool LoadAsModule(const char* argument, ConfigurationSource source) {
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
    LoadConfigurationWith(source, name.c_str(), true);
    return true;
}

bool WriteJson(const std::string& output) {
    std::FILE* file = std::fopen(output.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "config_dump: cannot write %s\n", output.c_str());
        return false;
    }
    const std::string json = SettingsToJson(Settings) + "\n";
    std::fwrite(json.data(), 1, json.size(), file);
    std::fclose(file);
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
        const std::string stem = std::string(argv[1]) + "/" + std::to_string(i - 1);
        if (!LoadAsModule(argv[i], platform::ReadProfileFile)) {
            std::fprintf(stderr, "config_dump: cannot use path %s\n", argv[i]);
            ++failures;
            continue;
        }
        if (!WriteJson(stem + ".json")) ++failures;
        LoadAsModule(argv[i], ReadWithProfileFunctions);
        if (!WriteJson(stem + ".profile.json")) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
