// The configuration reader: fills the settings record (config/settings.h)
// from a profile file beside the game executable.
#pragma once

#include <cstdint>

inline constexpr int ModuleDirectorySize = 260;  // MAX_PATH, NUL included
inline constexpr int ConfigFileNameSize = 64;
inline constexpr int AlternateNameSize = 64;  // the alternate file's name, as read

// Directory of the game executable with its trailing backslash; empty until
// the script's start-up fills it (or when the path is unusable).
extern char ModuleDirectory[ModuleDirectorySize];
// The file every load reads; DefaultConfigFileName until a "fileindex" entity tag
// selects a numbered file.
extern char ConfigFileName[ConfigFileNameSize];

// Loads ModuleDirectory + fileName into Settings, every absent key taking its
// default. When the file switches to an alternate file and allowAlternate is
// true, loads that file instead (one level only). Always returns true.
bool LoadConfiguration(const char* fileName, bool allowAlternate);

// One file a load looked at.
struct ConfigurationFileReport {
    char path[ModuleDirectorySize];  // ModuleDirectory and the name; empty when the two do not fit
    bool found;                      // the file was there and read
    uint64_t bytes;                  // bytes read
};

// What the last load did, for the log: which files it looked at, and how
// many settings the file gave and how many took their default.
struct LoadReport {
    ConfigurationFileReport file;         // the file asked for
    bool redirected;                      // it named an alternate file, which was read instead
    char alternateName[AlternateNameSize];  // that name, as written
    ConfigurationFileReport alternate;    // the alternate file, when redirected
    uint32_t fromFile;                    // settings the file read gave
    uint32_t fromDefaults;                // settings that took their default
};

extern LoadReport LastLoad;
