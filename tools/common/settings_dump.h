// The settings record as text, outside the module: JSON for tools and tests
// (the Linux command-line tool and the Windows differential test program
// print the same bytes), and a readable table for people. Walks the key table
// of config/setting_keys.h, so every field appears, named after its key.
#pragma once

#include <string>

#include "config/settings.h"

// The whole record as one line of JSON: global fields, then "Weather" with
// one object per weather name. Booleans as true/false; key codes, colours and
// LightningFrequency (signed) as decimal integers; floats as "%.9g" in the
// "C" locale, NaN and infinities as the strings "nan", "inf" and "-inf";
// overrides as upper-case weather names; texts as JSON strings in which every
// byte of 0x80 and above is written \u00XX.
std::string SettingsToJson(const AtmosphereSettings& settings);

// The record as an aligned, readable listing: one block per section.
std::string SettingsToTable(const AtmosphereSettings& settings);
