// The settings record as text, outside the module: JSON for tools and tests
// (the Linux command-line tool and the Windows differential test program
// print the same bytes), and a readable table for people. Walks the key table
// of config/setting_keys.h, so every field appears, named after its key.
#pragma once

#include <string>

#include "config/configuration_reads.h"
#include "config/setting_keys.h"
#include "config/settings.h"

// The whole record as one line of JSON: global fields, then "Weather" with
// one object per weather name. Booleans as true/false; key codes, colours and
// LightningFrequency (signed) as decimal integers; floats as "%.9g" in the
// "C" locale, NaN and infinities as the strings "nan", "inf" and "-inf";
// overrides as upper-case weather names; texts as JSON strings in which every
// byte of 0x80 and above is written \u00XX.
std::string SettingsToJson(const AtmosphereSettings& settings);

// The record as an aligned, readable listing: one block per section, each
// real as the shortest text that reads back to it, each cloud set as the
// file names it beside the game's name. With `reads`, the reads of the load
// that filled the record (config/configuration_reads.h), a value that came
// from a default is marked so, and a cloud set is shown as written.
std::string SettingsToTable(const AtmosphereSettings& settings, const ConfigurationReads* reads = nullptr);

// The value of `key` in `record` (AtmosphereSettings for a global key,
// WeatherSettings for a per-weather key) as a file writes it: 0.03, 0x2E,
// NO_CLOUDS, EXTRASUNNY, nextgen.
std::string SettingFileText(const AtmosphereSettings& record, const SettingKey& key);
std::string SettingFileText(const WeatherSettings& record, const SettingKey& key);

// Whether `key` holds the same value in `a` and `b` (reals bit for bit).
bool SameSettingValue(const AtmosphereSettings& a, const AtmosphereSettings& b, const SettingKey& key);
bool SameSettingValue(const WeatherSettings& a, const WeatherSettings& b, const SettingKey& key);

// The configuration's name for a cloud set the game knows ("Snowy 01" is
// NO_CLOUDS), or nullptr for a set the file cannot name ("horsey").
const char* CloudNameOfSet(const std::string& cloudSet);
