// libFuzzer target for the configuration reader: every input is written as a
// configuration file and loaded through LoadConfiguration and the portable
// profile reader, then read again directly with names and buffer sizes taken
// from the input. Sanitizers catch any read or write outside a buffer; the
// checks below catch a record that no load may produce.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <iterator>

#include "config/configuration.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "platform/portable_profile.h"

namespace {

const std::string& ScratchDirectory() {
    static const std::string directory = [] {
        char pattern[] = "/tmp/atmosphere-fuzz-XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        return std::string(pattern) + "/";
    }();
    return directory;
}

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

bool IsTerminated(const char* text, size_t capacity) { return std::memchr(text, '\0', capacity) != nullptr; }

void CheckRecord() {
    for (const WeatherSettings& row : Settings.Weather) {
        bool knownCloudSet = false;
        for (const char* name : CloudSetNames) knownCloudSet |= std::strcmp(row.NormalZoneClouds, name) == 0;
        Require(knownCloudSet);
        Require(row.AboveCloudsZoneWeatherOverride >= 0 && row.AboveCloudsZoneWeatherOverride < WeatherCount);
        Require(row.SpaceZoneWeatherOverride >= 0 && row.SpaceZoneWeatherOverride < WeatherCount);
        for (const char* text : {row.NormalZoneTimecycleModifier, row.CloudZoneTimecycleModifier,
                                 row.AboveCloudsZoneTimecycleModifier, row.SpaceZoneTimecycleModifier}) {
            Require(IsTerminated(text, SettingTextSize));
        }
    }
}

// Direct reads: the first bytes of the input name a section and a key, and
// pick the buffer sizes, so small and odd capacities meet every value.
void ReadDirectly(const uint8_t* data, size_t size) {
    if (size < 4) return;
    const char* names = reinterpret_cast<const char*>(data + 3);
    const size_t available = size - 3;
    const std::string section(names, strnlen(names, std::min<size_t>(data[0] % 12, available)));
    const std::string key(names, strnlen(names, std::min<size_t>(data[1] % 12, available)));
    const uint32_t capacities[] = {0, 1, 2, 3, static_cast<uint32_t>(data[2] % 70), 30, 64, 2000};
    std::unique_ptr<char[]> buffers[std::size(capacities)];
    platform::ProfileRead reads[std::size(capacities) + 1];
    for (size_t i = 0; i < std::size(capacities); ++i) {
        // Exactly the capacity, so that one byte too many is an overflow.
        buffers[i].reset(new char[capacities[i] == 0 ? 1 : capacities[i]]);
        reads[i] = {section.c_str(), key.c_str(), platform::ProfileReadKind::Text, 0, "'d'", buffers[i].get(), capacities[i], 0};
    }
    reads[std::size(capacities)] = {section.c_str(), key.c_str(), platform::ProfileReadKind::Integer, 7, nullptr, nullptr, 0, 0};
    platform::ReadProfileFromMemory(data, size, reads, std::size(reads));
    for (size_t i = 0; i < std::size(capacities); ++i) {
        if (capacities[i] > 0) Require(IsTerminated(buffers[i].get(), capacities[i]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& directory = ScratchDirectory();
    const std::string path = directory + "atmosphere.ini";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CopyText(ModuleDirectory, directory.c_str());
    ResetSettingsToStartValues();
    LoadConfiguration("atmosphere.ini", true);
    CheckRecord();

    ReadDirectly(data, size);
    return 0;
}
