// The steps of a configuration load, for the code that must take one apart:
// the tools' checker answers the reads from bytes in memory, the Windows
// test program answers them with the system's profile functions. Every one
// of them stores through the same code as the module.
#pragma once

#include <cstddef>

#include "config/setting_keys.h"
#include "config/settings.h"
#include "platform/profile_reader.h"

// One load's reads: for every row of the key table, in its order (the global
// keys, then 21 per weather), the read and the text it fills. The reads point
// into the texts, so a batch is filled where it stays and never copied.
struct ConfigurationReads {
    ConfigurationReads() = default;
    ConfigurationReads(const ConfigurationReads&) = delete;
    ConfigurationReads& operator=(const ConfigurationReads&) = delete;

    platform::ProfileRead reads[ConfigurationReadCount];
    char texts[ConfigurationReadCount][SettingTextSize];
};

// The read of a global key (its row in GlobalSettingKeys) and of a weather's key.
constexpr size_t GlobalReadIndex(size_t row) { return row; }
constexpr size_t WeatherReadIndex(int weather, size_t row) {
    return GlobalSettingKeyCount + static_cast<size_t>(weather) * WeatherSettingKeyCount + row;
}

// Sets up every read (section, key, kind, default) with its result cleared.
void PrepareConfigurationReads(ConfigurationReads& batch);

// The alternate file that answered reads switch to: its name when the switch
// reads 1 and the name is not "atmosphere.ini", else nullptr (this file is
// read). Whether the switch is followed is the caller's choice.
const char* ConfigurationRedirect(const ConfigurationReads& batch);

// Stores every answered read into `record` by its key's kind, as a load
// does; an override that names no weather keeps the record's value.
void StoreConfigurationReads(const ConfigurationReads& batch, AtmosphereSettings& record);

// Answers every read of a batch from the file at `path`; returns whether the
// file was there and its size (a source that cannot tell says found, 0 bytes).
using ConfigurationSource = platform::ProfileFileResult (*)(const char* path, platform::ProfileRead* reads,
                                                            size_t count);

struct ExpectedStamps;  // config/configuration.h

// LoadConfiguration with its reads answered by `source`, and when `expected`
// is given, LoadConfigurationExpecting.
bool LoadConfigurationWith(ConfigurationSource source, const char* fileName, bool allowAlternate,
                           const ExpectedStamps* expected = nullptr);
