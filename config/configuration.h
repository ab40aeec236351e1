// The configuration reader: fills the settings record (config/settings.h)
// from a profile file beside the game executable.
#pragma once

#include <cstdint>

#include "platform/platform.h"

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
// true, loads that file instead (one level only). A file that changes while
// it is read is not taken: Settings stays as it was and LastLoad.changing
// says so. Always returns true.
bool LoadConfiguration(const char* fileName, bool allowAlternate);

// One file a load looked at.
struct ConfigurationFileReport {
    char path[ModuleDirectorySize];  // ModuleDirectory and the name; empty when the two do not fit
    bool found;                      // the file was there and read
    uint64_t bytes;                  // bytes read
    platform::FileStamp stamp;       // its size and last write as the read ended
    bool steady;                     // the same stamp before and after the read, and every byte of it read
};

// What the last load did, for the log and the watch on the files: which
// files it looked at, whether it took their settings, and how many settings
// the file gave and how many took their default.
struct LoadReport {
    ConfigurationFileReport file;           // the file asked for
    bool redirected;                        // it named an alternate file, which was read instead
    char alternateName[AlternateNameSize];  // that name, as written
    ConfigurationFileReport alternate;      // the alternate file, when redirected
    // A file changed while it was read (an editor saving it): the settings
    // in force were kept, and nothing of the half-written file applied.
    bool changing;
    uint32_t fromFile;      // settings the file read gave
    uint32_t fromDefaults;  // settings that took their default
};

extern LoadReport LastLoad;

// The stamps a watch saw its files hold still with: the file and the
// alternate file (a null path: none).
struct ExpectedStamps {
    const char* paths[2];
    platform::FileStamp stamps[2];
};

// LoadConfiguration(fileName, true) that takes the files only when they are
// read with the stamps the watch saw: a save begun since (the file
// truncated, part written) counts as a file changing. A file whose path is
// not among the watched ones is not compared.
bool LoadConfigurationExpecting(const char* fileName, const ExpectedStamps& expected);
