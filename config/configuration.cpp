// The configuration reader: one batch of reads per load, driven by the key
// table (config/setting_keys.h) and answered in one pass over the file's
// bytes, then every value stored by its kind. The alternate-file keys are
// read in the same batch as the rest; when the file redirects, the rest of
// that batch is simply not used.
#include "config/configuration.h"

#include <cstring>

#include "config/configuration_reads.h"
#include "config/number_text.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "platform/profile_reader.h"

char ModuleDirectory[ModuleDirectorySize] = "";
char ConfigFileName[ConfigFileNameSize] = "atmosphere.ini";  // DefaultConfigFileName
LoadReport LastLoad{};

// A load reads its file once: every read must fit one pass of the reader.
static_assert(ConfigurationReadCount <= platform::ProfileReadsPerPass);
static_assert(AlternateNameSize == SettingTextSize, "the alternate name is read as any text");

namespace {

// The batch of a load. Module-level, like the record: a load runs on the
// script coroutine only, and a nested load for the alternate file starts only
// once this one needs nothing more of its batch.
ConfigurationReads Batch;

size_t BoundedLength(const char* text, size_t capacity) {
    const void* end = std::memchr(text, '\0', capacity);
    return end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - text) : capacity;
}

// Joins the directory and the name into `path` (ModuleDirectorySize bytes).
// A join that does not fit is refused rather than cut: a cut path could name
// another file.
bool JoinPath(char (&path)[ModuleDirectorySize], const char* fileName) {
    const size_t directoryLength = BoundedLength(ModuleDirectory, ModuleDirectorySize);
    const size_t nameLength = std::strlen(fileName);
    if (directoryLength >= ModuleDirectorySize || nameLength >= ModuleDirectorySize - directoryLength) return false;
    std::memcpy(path, ModuleDirectory, directoryLength);
    std::memcpy(path + directoryLength, fileName, nameLength + 1);
    return true;
}

void PrepareRead(ConfigurationReads& batch, size_t index, const char* section, const SettingKey& key) {
    platform::ProfileRead& read = batch.reads[index];
    read.section = section;
    read.key = key.key;
    read.kind = IsIntegerKind(key.kind) ? platform::ProfileReadKind::Integer : platform::ProfileReadKind::Text;
    read.defaultNumber = key.defaultNumber;
    read.defaultText = key.defaultText;
    read.text = batch.texts[index];
    read.capacity = SettingTextSize;
    read.number = 0;
    read.line = 0;
    batch.texts[index][0] = '\0';
}

// What an absent file gives: every read its default.
void UseDefaults(platform::ProfileRead& read) {
    if (read.kind == platform::ProfileReadKind::Integer) {
        read.number = read.defaultNumber;
    } else {
        CopyText(read.text, read.capacity, read.defaultText);
    }
}

template <typename Record> void Store(Record& record, const SettingKey& key, const platform::ProfileRead& read) {
    switch (key.kind) {
    case SettingKind::Flag: SettingField<bool>(record, key) = read.number == 1; break;
    case SettingKind::Integer: SettingField<int32_t>(record, key) = read.number; break;
    case SettingKind::SmallInteger:
        SettingField<int8_t>(record, key) = static_cast<int8_t>(static_cast<uint8_t>(read.number & 0xFF));
        break;
    case SettingKind::KeyCode: SettingField<int32_t>(record, key) = ParseKeyCode(read.text); break;
    case SettingKind::Real: SettingField<float>(record, key) = ParseReal(read.text); break;
    case SettingKind::Text: CopyText(&SettingField<char>(record, key), SettingTextSize, read.text); break;
    case SettingKind::CloudName:
        CopyText(&SettingField<char>(record, key), SettingTextSize, FindCloudSetByName(read.text));
        break;
    case SettingKind::WeatherName: {
        const WeatherIndex weather = FindWeatherByName(read.text);
        if (weather >= 0) SettingField<WeatherIndex>(record, key) = weather;
        break;
    }
    }
}

}  // namespace

void PrepareConfigurationReads(ConfigurationReads& batch) {
    size_t index = 0;
    for (const SettingKey& key : GlobalSettingKeys) PrepareRead(batch, index++, key.section, key);
    for (int weather = 0; weather < WeatherCount; ++weather) {
        for (const SettingKey& key : WeatherSettingKeys) PrepareRead(batch, index++, WeatherNames[weather], key);
    }
}

const char* ConfigurationRedirect(const ConfigurationReads& batch) {
    if (batch.reads[AlternateSwitchRow].number != 1) return nullptr;
    const char* name = batch.texts[AlternateNameRow];
    return std::strcmp(name, DefaultConfigFileName) != 0 ? name : nullptr;
}

void StoreConfigurationReads(const ConfigurationReads& batch, AtmosphereSettings& record) {
    size_t index = 0;
    for (const SettingKey& key : GlobalSettingKeys) {
        if (key.offset != NotStored) Store(record, key, batch.reads[index]);
        ++index;
    }
    for (WeatherSettings& row : record.Weather) {
        for (const SettingKey& key : WeatherSettingKeys) Store(row, key, batch.reads[index++]);
    }
}

namespace {

// Reads one file into the batch and tells what it found. The file's stamp
// before and after the read, and the bytes read against its size, tell a
// file that an editor was writing meanwhile (truncated, then written).
void ReadInto(ConfigurationSource source, const char* fileName, ConfigurationFileReport& report) {
    PrepareConfigurationReads(Batch);
    report = ConfigurationFileReport{};
    report.steady = true;
    if (!JoinPath(report.path, fileName)) {
        for (platform::ProfileRead& read : Batch.reads) UseDefaults(read);
        return;
    }
    const platform::FileStamp before = platform::ReadFileStamp(report.path);
    const platform::ProfileFileResult result = source(report.path, Batch.reads, ConfigurationReadCount);
    report.stamp = platform::ReadFileStamp(report.path);
    report.found = result.found;
    report.bytes = result.bytes;
    // A reader that cannot count (the system's profile functions, in a test)
    // is judged by the stamps alone.
    const bool whole = !result.counted || (result.found == report.stamp.exists &&
                                           (!report.stamp.exists || result.bytes == report.stamp.size));
    report.steady = before == report.stamp && whole;
}

// How many stored settings the batch's file gave, and how many defaulted.
void CountSources(const ConfigurationReads& batch, LoadReport& report) {
    report.fromFile = 0;
    report.fromDefaults = 0;
    size_t index = 0;
    const auto count = [&](const SettingKey& key) {
        if (key.offset != NotStored) ++(batch.reads[index].line != 0 ? report.fromFile : report.fromDefaults);
        ++index;
    };
    for (const SettingKey& key : GlobalSettingKeys) count(key);
    for (int weather = 0; weather < WeatherCount; ++weather) {
        for (const SettingKey& key : WeatherSettingKeys) count(key);
    }
}

}  // namespace

bool LoadConfigurationWith(ConfigurationSource source, const char* fileName, bool allowAlternate,
                           const ExpectedStamps* expected) {
    LastLoad.redirected = false;
    LastLoad.alternateName[0] = '\0';
    LastLoad.alternate = ConfigurationFileReport{};
    ReadInto(source, fileName, LastLoad.file);
    LastLoad.changing = !LastLoad.file.steady;
    if (const char* redirect = ConfigurationRedirect(Batch); redirect != nullptr && allowAlternate) {
        // The alternate file's read reuses the batch: keep the name apart first.
        CopyText(LastLoad.alternateName, redirect);
        LastLoad.redirected = true;
        // One level only: whatever the alternate file says of another file
        // is not followed.
        ReadInto(source, LastLoad.alternateName, LastLoad.alternate);
        LastLoad.changing = LastLoad.changing || !LastLoad.alternate.steady;
    }
    if (expected != nullptr) {
        const ConfigurationFileReport* files[2] = {&LastLoad.file, &LastLoad.alternate};
        for (int i = 0; i < 2; ++i) {
            const bool watched = expected->paths[i] != nullptr && std::strcmp(files[i]->path, expected->paths[i]) == 0;
            if (watched && files[i]->path[0] != '\0' && !(files[i]->stamp == expected->stamps[i])) {
                LastLoad.changing = true;
            }
        }
    }
    CountSources(Batch, LastLoad);
    // A half-written file would give every setting after the cut its
    // default: the settings in force stay until the file is whole again.
    if (!LastLoad.changing) StoreConfigurationReads(Batch, Settings);
    return true;
}

bool LoadConfigurationExpecting(const char* fileName, const ExpectedStamps& expected) {
    return LoadConfigurationWith(platform::ReadProfileFile, fileName, true, &expected);
}

bool LoadConfiguration(const char* fileName, bool allowAlternate) {
    return LoadConfigurationWith(platform::ReadProfileFile, fileName, allowAlternate);
}
