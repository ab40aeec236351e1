// The configuration reader: fills the settings record (config/settings.h)
// from a profile file beside the game executable.
#pragma once

inline constexpr int ModuleDirectorySize = 260;  // MAX_PATH, NUL included
inline constexpr int ConfigFileNameSize = 64;

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
