// The game's hash of each weather name, asked for once at start-up, and the
// lookups the zone ladder and the restore make in it.
#pragma once

#include <cstdint>

#include "config/settings.h"

// The game's hash of each lower-case weather name, by WeatherIndex; all 0
// until the first start-up has asked for them.
extern constinit uint32_t WeatherHashTable[WeatherCount];

// Asks the game for the 15 hashes, in WeatherIndex order.
void LoadWeatherHashes();

// The position of the first WeatherHashTable entry equal to `hash`, or
// `fallback` when none is.
WeatherIndex WeatherIndexOfHash(uint32_t hash, WeatherIndex fallback);

// True when `hash` is the hash of one of the first six weathers (EXTRASUNNY
// to SNOWLIGHT), whose clouds and wind the game keeps in the lower bands.
bool InFirstSixWeathers(uint32_t hash);

// The row whose NormalZoneClouds are loaded when the zone weather is none of
// the 15 (NEUTRAL).
inline constexpr WeatherIndex NeutralWeatherRow = 4;

// Puts every hash back to 0, as at load (for tests).
void ResetWeatherHashes();
