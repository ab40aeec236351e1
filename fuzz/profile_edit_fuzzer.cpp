// libFuzzer target for the edit-preserving writer, all in memory: random
// files times random edits. The input's first bytes pick up to four edits
// (sections and keys from the key table or short names of their own, short
// values); the rest is the file. After every edit, a read of the edited key
// must give the new value, every other read of the key table must give what
// it gave before, and an edit the writer refuses must leave the bytes alone.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "config/configuration_reads.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "platform/profile_reader.h"
#include "tools/common/profile_edit.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

bool SameName(const char* a, const std::string& b) {
    if (std::strlen(a) != b.size()) return false;
    for (size_t i = 0; i < b.size(); ++i) {
        const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// Printable ASCII of up to `limit` characters; the writer writes other bytes
// as they are, which a Unicode file decodes otherwise.
std::string ShortText(FuzzedDataProvider& input, size_t limit) {
    std::string text = input.ConsumeRandomLengthString(limit);
    for (char& c : text) c = static_cast<char>(0x20 + static_cast<unsigned char>(c) % 0x5F);
    return text;
}

ProfileEdit PickEdit(FuzzedDataProvider& input) {
    ProfileEdit edit;
    const bool weather = input.ConsumeBool();
    if (input.ConsumeBool()) {
        edit.section = ShortText(input, 8);
        edit.key = ShortText(input, 8);
    } else if (weather) {
        edit.section = WeatherNames[input.ConsumeIntegralInRange<int>(0, WeatherCount - 1)];
        edit.key = WeatherSettingKeys[input.ConsumeIntegralInRange<size_t>(0, WeatherSettingKeyCount - 1)].key;
    } else {
        const SettingKey& key = GlobalSettingKeys[input.ConsumeIntegralInRange<size_t>(0, GlobalSettingKeyCount - 1)];
        edit.section = key.section;
        edit.key = key.key;
    }
    edit.value = input.ConsumeBool() ? std::string(1, static_cast<char>(input.ConsumeIntegral<uint8_t>()))
                                     : ShortText(input, 12);
    return edit;
}

struct Reads {
    ConfigurationReads batch;
};

std::unique_ptr<Reads> ReadAll(const std::string& bytes) {
    auto reads = std::make_unique<Reads>();
    PrepareConfigurationReads(reads->batch);
    platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                    reads->batch.reads, ConfigurationReadCount);
    return reads;
}

std::string ReadText(const std::string& bytes, const ProfileEdit& edit) {
    char text[platform::ProfileMaxTextCapacity];
    platform::ProfileRead read{};
    read.section = edit.section.c_str();
    read.key = edit.key.c_str();
    read.kind = platform::ProfileReadKind::Text;
    read.defaultText = "";
    read.text = text;
    read.capacity = sizeof text;
    platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &read, 1);
    return text;
}

// A value that reads back as written: ASCII (a Unicode file decodes other
// bytes otherwise), no white space around it that the reader trims, no
// quote it may take off.
bool ReadsAsWritten(const std::string& value) {
    if (value.empty()) return true;
    for (const char c : value) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    const auto space = [](char c) { return platform::IsProfileSpace(static_cast<unsigned char>(c)); };
    return !space(value.front()) && !space(value.back()) && value[0] != '"' && value[0] != '\'';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<ProfileEdit> edits(input.ConsumeIntegralInRange<size_t>(0, 4));
    for (ProfileEdit& edit : edits) edit = PickEdit(input);
    std::string bytes = input.ConsumeRemainingBytesAsString();
    Require(ApplyProfileEdits(bytes, {}) == bytes);

    for (const ProfileEdit& edit : edits) {
        const std::string edited = ApplyProfileEdits(bytes, {edit});
        if (!ProfileEditProblem(edit).empty()) {
            Require(edited == bytes);
            continue;
        }
        if (ReadsAsWritten(edit.value)) {
            Require(ReadText(edited, edit) == edit.value);
        }
        uint32_t lastLine = 1;
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' || (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))) ++lastLine;
        }
        const bool openLastLine = !bytes.empty() && bytes.back() != '\r' && bytes.back() != '\n';
        const auto before = ReadAll(bytes);
        const auto after = ReadAll(edited);
        for (size_t i = 0; i < ConfigurationReadCount; ++i) {
            const platform::ProfileRead& was = before->batch.reads[i];
            const platform::ProfileRead& now = after->batch.reads[i];
            if (SameName(was.section, edit.section) && SameName(was.key, edit.key)) continue;
            // A UTF-8 sequence cut off by the end of the file reads as one
            // U+FFFD there, and as more once a line follows it: the bytes
            // stay, their reading may not.
            if (was.line == lastLine && openLastLine) continue;
            Require(was.number == now.number);
            Require(std::strcmp(before->batch.texts[i], after->batch.texts[i]) == 0);
        }
        bytes = edited;
    }
    return 0;
}
