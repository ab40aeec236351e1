// The configuration reader: one batch of profile reads per load, driven by the
// key table (config/setting_keys.h), then every value stored by its kind.
// The alternate-file keys are read in the same batch as the rest; when the
// file redirects, the rest of that batch is simply not used.
#include "config/configuration.h"

#include <cstring>

#include "config/number_text.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "config/text_copy.h"
#include "platform/platform.h"

char ModuleDirectory[ModuleDirectorySize] = "";
char ConfigFileName[ConfigFileNameSize] = "atmosphere.ini";

namespace {

// The name that never redirects, whatever file is being read.
constexpr char DefaultConfigFileName[] = "atmosphere.ini";

// One batch: the reads and the texts they fill. Module-level, like the
// record: a load runs on the script coroutine only, and a nested load for the
// alternate file starts only once this one needs nothing more of its batch.
platform::ProfileRead Reads[ConfigurationReadCount];
char ReadTexts[ConfigurationReadCount][SettingTextSize];

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

void PrepareRead(size_t index, const char* section, const SettingKey& key) {
    platform::ProfileRead& read = Reads[index];
    read.section = section;
    read.key = key.key;
    read.kind = IsIntegerKind(key.kind) ? platform::ProfileReadKind::Integer : platform::ProfileReadKind::Text;
    read.defaultNumber = key.defaultNumber;
    read.defaultText = key.defaultText;
    read.text = ReadTexts[index];
    read.capacity = SettingTextSize;
    read.number = 0;
    ReadTexts[index][0] = '\0';
}

// What an absent file gives: every read its default.
void UseDefaults(platform::ProfileRead& read) {
    if (read.kind == platform::ProfileReadKind::Integer) {
        read.number = read.defaultNumber;
    } else {
        CopyText(read.text, read.capacity, read.defaultText);
    }
}

template <typename Record>
void Store(Record& record, const SettingKey& key, const platform::ProfileRead& read) {
    switch (key.kind) {
    case SettingKind::Flag:
        SettingField<bool>(record, key) = read.number == 1;
        break;
    case SettingKind::Integer:
        SettingField<int32_t>(record, key) = read.number;
        break;
    case SettingKind::SmallInteger:
        SettingField<int8_t>(record, key) = static_cast<int8_t>(static_cast<uint8_t>(read.number & 0xFF));
        break;
    case SettingKind::KeyCode:
        SettingField<int32_t>(record, key) = ParseKeyCode(read.text);
        break;
    case SettingKind::Real:
        SettingField<float>(record, key) = ParseReal(read.text);
        break;
    case SettingKind::Text:
        CopyText(&SettingField<char>(record, key), SettingTextSize, read.text);
        break;
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

bool LoadConfiguration(const char* fileName, bool allowAlternate) {
    size_t index = 0;
    for (const SettingKey& key : GlobalSettingKeys) PrepareRead(index++, key.section, key);
    for (int weather = 0; weather < WeatherCount; ++weather) {
        for (const SettingKey& key : WeatherSettingKeys) PrepareRead(index++, WeatherNames[weather], key);
    }

    char path[ModuleDirectorySize];
    if (JoinPath(path, fileName)) {
        platform::ReadProfile(path, Reads, ConfigurationReadCount);
    } else {
        for (platform::ProfileRead& read : Reads) UseDefaults(read);
    }

    if (Reads[AlternateSwitchRow].number == 1) {
        char alternate[SettingTextSize];
        CopyText(alternate, Reads[AlternateNameRow].text);
        if (allowAlternate && std::strcmp(alternate, DefaultConfigFileName) != 0) {
            LoadConfiguration(alternate, false);
            return true;
        }
    }

    index = 0;
    for (const SettingKey& key : GlobalSettingKeys) {
        if (key.offset != NotStored) Store(Settings, key, Reads[index]);
        ++index;
    }
    for (WeatherSettings& row : Settings.Weather) {
        for (const SettingKey& key : WeatherSettingKeys) Store(row, key, Reads[index++]);
    }
    return true;
}
