#include "tools/common/weather_name.h"

WeatherIndex FindWeatherIgnoringCase(std::string_view name) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    for (WeatherIndex i = 0; i < WeatherCount; ++i) {
        const std::string_view candidate = WeatherNames[i];
        if (candidate.size() != name.size()) continue;
        size_t at = 0;
        while (at < name.size() && upper(name[at]) == candidate[at]) ++at;
        if (at == name.size()) return i;
    }
    return -1;
}
