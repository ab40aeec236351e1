// libFuzzer target for the configuration reader, all in memory: the module's
// own LoadConfiguration runs with this file's platform::ReadFileBytes, which
// serves the input as the file (and as the alternate file) in chunks whose
// size the input picks, so lines, UTF-8 sequences and byte-order marks fall
// across chunk ends. The lexer's lines from those chunks must be the lines
// of the whole input at once, and the input's first bytes pick names and
// buffer sizes for direct reads. Sanitizers catch any read or write outside
// a buffer; the checks below catch a record that no load may produce, a load
// that reads its file more than once, and a chunking that changes a line.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "config/configuration.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "platform/platform.h"
#include "platform/profile_lexer.h"
#include "platform/profile_reader.h"

namespace {

struct ServedFile {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t chunk = 1;  // bytes per sink call
    int reads = 0;     // ReadFileBytes calls since the last load began
} served;

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

// A digest of every line the lexer reports, in order.
struct LineDigest {
    uint64_t value = 1469598103934665603u;
    void Add(uint64_t part) { value = (value ^ part) * 1099511628211u; }
};

void DigestLine(const platform::ProfileLine& line, void* context) {
    auto& digest = *static_cast<LineDigest*>(context);
    digest.Add(line.number);
    digest.Add(static_cast<uint64_t>(line.kind) | uint64_t{line.hasEquals} << 8 | uint64_t{line.nameCutAtNul} << 9 |
               uint64_t{line.valueCutAtNul} << 10 | uint64_t{line.valueQuoted} << 11 | uint64_t{line.valueLast} << 16);
    digest.Add(line.nameLength);
    for (size_t i = 0; i < std::min(line.nameLength, platform::ProfileNameCapacity); ++i) digest.Add(line.name[i]);
    digest.Add(line.valueLength);
    for (size_t i = 0; i < std::min(line.valueLength, platform::ProfileValueCapacity); ++i) digest.Add(line.value[i]);
}

uint64_t LexInChunks(const uint8_t* data, size_t size, size_t chunk) {
    static platform::ProfileLexer lexer;
    LineDigest digest;
    platform::BeginProfile(lexer, {&digest, nullptr, nullptr, DigestLine});
    for (size_t at = 0; at < size;) {
        const size_t part = std::min(chunk, size - at);
        platform::FeedProfile(lexer, data + at, part);
        at += part;
    }
    platform::FinishProfile(lexer);
    return digest.value;
}

// Whether a load of the input follows its alternate file: the switch and
// the name, read on their own.
bool Redirects(const uint8_t* data, size_t size) {
    char name[SettingTextSize];
    platform::ProfileRead reads[] = {
        {"GLOBAL", "EnableAlternateConfigFile", platform::ProfileReadKind::Integer, 0, nullptr, nullptr, 0, 0, 0},
        {"GLOBAL", "AlternateConfigFile", platform::ProfileReadKind::Text, 0, DefaultConfigFileName, name, sizeof name,
         0, 0},
    };
    platform::ReadProfileFromMemory(data, size, reads, 2);
    return reads[0].number == 1 && std::strcmp(name, DefaultConfigFileName) != 0;
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
        reads[i] = {section.c_str(),
                    key.c_str(),
                    platform::ProfileReadKind::Text,
                    0,
                    "'d'",
                    buffers[i].get(),
                    capacities[i],
                    0,
                    0};
    }
    reads[std::size(capacities)] = {
        section.c_str(), key.c_str(), platform::ProfileReadKind::Integer, 7, nullptr, nullptr, 0, 0, 0};
    platform::ReadProfileFromMemory(data, size, reads, std::size(reads));
    for (size_t i = 0; i < std::size(capacities); ++i) {
        if (capacities[i] > 0) Require(IsTerminated(buffers[i].get(), capacities[i]));
    }
}

}  // namespace

// The platform's file read, served from the input. The stamp is served too:
// the load compares it around the read, and the real one would pull in the
// file functions this replaces.
namespace platform {
FileStamp ReadFileStamp(const char*) { return {true, served.size, 1}; }

bool ReadFileBytes(const char*, FileChunkSink sink, void* context) {
    ++served.reads;
    for (size_t at = 0; at < served.size;) {
        const size_t chunk = std::min(served.chunk, served.size - at);
        sink(served.data + at, chunk, context);
        at += chunk;
    }
    return true;
}
}  // namespace platform

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static constexpr size_t Chunks[] = {1, 2, 3, 5, 64, 4093, SIZE_MAX};
    served = {data, size, size > 0 ? Chunks[data[size - 1] % std::size(Chunks)] : 1, 0};

    CopyText(ModuleDirectory, "C:\\Games\\Fuzz\\");
    ResetSettingsToStartValues();
    LoadConfiguration(DefaultConfigFileName, true);
    CheckRecord();

    Require(served.reads == (Redirects(data, size) ? 2 : 1));
    Require(LexInChunks(data, size, served.chunk) == LexInChunks(data, size, SIZE_MAX));

    ReadDirectly(data, size);
    return 0;
}
