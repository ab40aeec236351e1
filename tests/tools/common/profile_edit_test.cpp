// The edit-preserving writer: each case edits a small file and names the
// exact bytes that must come out; then a series of edits on the shipped
// file must change, in the loaded settings, exactly the edited values.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "config/configuration_reads.h"
#include "config/settings.h"
#include "platform/profile_reader.h"
#include "tools/common/profile_edit.h"
#include "tools/common/settings_dump.h"

namespace {

struct EditCase {
    const char* name;
    std::string before;
    std::vector<ProfileEdit> edits;
    std::string after;
};

// 8-bit text as UTF-16 little-endian with its byte-order mark.
std::string Utf16(const std::string& text) {
    std::string out = "\xFF\xFE";
    for (const char c : text) out += std::string{c, '\0'};
    return out;
}

TEST(ProfileEdit, WritesOnlyTheEditedValue) {
    const std::vector<EditCase> cases = {
        {"no edit", "[A]\r\n K = 1 ; x\r\n", {}, "[A]\r\n K = 1 ; x\r\n"},
        {"spacing, case and comments stay", "; top\r\n[rain]\r\n\r\nnormalzoneend = 800 \r\n",
         {{"RAIN", "NormalZoneEnd", "500"}}, "; top\r\n[rain]\r\n\r\nnormalzoneend = 500 \r\n"},
        {"the line a load reads: first section, first line", "[A]\nK=1\nK=2\n[A]\nK=3\n", {{"A", "K", "9"}},
         "[A]\nK=9\nK=2\n[A]\nK=3\n"},
        {"a missing key after the section's last key", "[A]\nX=1\n\n; of B\n[B]\nK=0\n", {{"A", "K", "2"}},
         "[A]\nX=1\nK=2\n\n; of B\n[B]\nK=0\n"},
        {"a missing key at a last line without line end", "[A]\nX=1", {{"a", "K", "2"}}, "[A]\nX=1\nK=2"},
        {"a missing key under a bare header", "[A] ; note\r[B]\r", {{"A", "K", "1"}}, "[A] ; note\rK=1\r[B]\r"},
        {"a missing section at the end", "[A]\r\nX=1", {{"B", "K", "2"}}, "[A]\r\nX=1\r\n\r\n[B]\r\nK=2\r\n"},
        {"an empty file", "", {{"B", "K", "2"}}, "[B]\r\nK=2\r\n"},
        {"quotes stay", "[A]\nK = \"abc\"\n", {{"A", "K", "xyz"}}, "[A]\nK = \"xyz\"\n"},
        {"a key without '='", "[A]\nK  \nX=1\n", {{"A", "K", "5"}}, "[A]\nK=5  \nX=1\n"},
        {"an empty value", "[A]\nK=\n", {{"A", "K", "5"}}, "[A]\nK=5\n"},
        {"a UTF-8 byte-order mark", "\xEF\xBB\xBF[A]\nK=1\n", {{"A", "K", "2"}}, "\xEF\xBB\xBF[A]\nK=2\n"},
        {"UTF-16", Utf16("[A]\r\nK=1\r\n"), {{"A", "K", "25"}, {"B", "J", "3"}},
         Utf16("[A]\r\nK=25\r\n\r\n[B]\r\nJ=3\r\n")},
        {"UTF-16's odd last byte stays last", Utf16("[A]\n") + "x", {{"A", "K", "1"}}, Utf16("[A]\nK=1\n") + "x"},
        {"a later edit of the same key wins", "[A]\nK=1\n", {{"A", "K", "2"}, {"A", "K", "3"}}, "[A]\nK=3\n"},
        {"an edit with a line break is skipped", "[A]\nK=1\n", {{"A", "K", "2\n[B]"}}, "[A]\nK=1\n"},
    };
    for (const EditCase& c : cases) {
        EXPECT_EQ(ApplyProfileEdits(c.before, c.edits), c.after) << c.name;
    }
}

// What a load stores from `bytes`, as the JSON dump prints it.
nlohmann::json Loaded(const std::string& bytes) {
    auto batch = std::make_unique<ConfigurationReads>();
    PrepareConfigurationReads(*batch);
    platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), batch->reads,
                                    ConfigurationReadCount);
    auto record = std::make_unique<AtmosphereSettings>();
    ResetSettingsToStartValues(*record);
    StoreConfigurationReads(*batch, *record);
    return nlohmann::json::parse(SettingsToJson(*record));
}

TEST(ProfileEdit, SeriesOfEditsChangesExactlyTheEditedSettings) {
    std::ifstream in(ATMOSPHERE_SOURCE_DIR "/atmosphere.ini", std::ios::binary);
    std::stringstream shipped;
    shipped << in.rdbuf();
    const std::string original = shipped.str();
    const std::vector<ProfileEdit> edits = {
        {"RAIN", "NormalZoneEnd", "512.5"},      {"KEYS", "DebugKey", "0x71"},
        {"THUNDER", "NormalZoneClouds", "WISPY"}, {"DEBUG", "TextColorRed", "12"},
        {"SNOW", "LightningFrequency", "-3"},    {"RAIN", "NormalZoneEnd", "600"},
    };
    const std::string edited = ApplyProfileEdits(original, edits);

    nlohmann::json expected = Loaded(original);
    expected["Weather"]["RAIN"]["NormalZoneEnd"] = 600;
    expected["DebugKey"] = 0x71;
    expected["Weather"]["THUNDER"]["NormalZoneClouds"] = "Wispy";
    expected["TextColorRed"] = 12;
    expected["Weather"]["SNOW"]["LightningFrequency"] = -3;
    EXPECT_EQ(Loaded(edited), expected) << nlohmann::json::diff(Loaded(edited), expected);
    // Only those lines differ, and as many lines as before.
    EXPECT_EQ(std::count(edited.begin(), edited.end(), '\n'), std::count(original.begin(), original.end(), '\n'));
}

}  // namespace
