// A weather named by a person: the tools take "rain", "Rain" and "RAIN"
// alike, as the scenario language does. (The module itself, reading an
// override from the file, takes only the upper-case name.)
#pragma once

#include <string_view>

#include "config/settings.h"

// The weather's index, or -1 when `name` is none of the 15 in any case.
WeatherIndex FindWeatherIgnoringCase(std::string_view name);
