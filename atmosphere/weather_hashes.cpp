#include "atmosphere/weather_hashes.h"

#include "host/natives.h"

constinit uint32_t WeatherHashTable[WeatherCount] = {};

namespace {

// What the game hashes: the names of WeatherNames in lower case.
constexpr const char* LowerCaseWeatherNames[WeatherCount] = {"extrasunny", "clear", "clouds",   "smog", "neutral",
                                                             "snowlight",  "foggy", "overcast", "rain", "thunder",
                                                             "clearing",   "snow",  "blizzard", "xmas", "halloween"};

}  // namespace

void LoadWeatherHashes() {
    for (WeatherIndex index = 0; index < WeatherCount; ++index) {
        WeatherHashTable[index] = natives::WeatherNameHash(LowerCaseWeatherNames[index]);
    }
}

WeatherIndex WeatherIndexOfHash(uint32_t hash, WeatherIndex fallback) {
    for (WeatherIndex index = 0; index < WeatherCount; ++index) {
        if (WeatherHashTable[index] == hash) return index;
    }
    return fallback;
}

bool InFirstSixWeathers(uint32_t hash) {
    for (WeatherIndex index = 0; index < 6; ++index) {
        if (WeatherHashTable[index] == hash) return true;
    }
    return false;
}

void ResetWeatherHashes() {
    for (uint32_t& hash : WeatherHashTable) hash = 0;
}
