// The configuration checker: the same answer whatever the line ends and the
// encoding, an answer for every input, advice that is right and passes the
// check itself, and never a value read otherwise than the module reads it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/settings.h"
#include "tools/common/settings_dump.h"
#include "tools/preview/checker.h"
#include "tools/preview/commands.h"

namespace {

namespace fs = std::filesystem;
using preview::Finding;
using preview::Severity;
using namespace std::string_literals;

const std::string ShippedIni = ATMOSPHERE_SOURCE_DIR "/atmosphere.ini";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

preview::CheckedText Check(std::string_view bytes) {
    return preview::CheckConfigurationText("test.ini", bytes, [](const std::string&) {
        return preview::FileContent{"", "is not there"};
    });
}

// The findings as "LINE: severity: message", the form compared across variants.
std::vector<std::string> Lines(const std::vector<Finding>& findings) {
    std::vector<std::string> lines;
    for (const Finding& finding : findings) {
        std::string text = preview::FormatFinding(finding);
        lines.push_back(text.substr(text.find(':') + 1));
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

// Rewrites every line end (CRLF, CR or LF) of `text` as `end`; "mixed" cycles
// through all three.
std::string WithLineEnds(const std::string& text, const std::string& end) {
    static const char* const cycle[] = {"\r\n", "\n", "\r"};
    std::string out;
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            out += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        out += end == "mixed" ? cycle[count++ % 3] : end;
    }
    return out;
}

std::string Utf16(const std::string& ascii, bool littleEndian) {
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : ascii) out += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
    return out;
}

// A file with a problem of every kind, blank lines included.
const std::string Troubled =
    "Stray=1\r\n\r\n[GLOBAL]\r\nDefaultWind=true\r\n\r\n[KEYS]\r\nReloadKey=46\r\nOnOffKey=0x46\r\n[CLOUD]\r\n"
    "[CLOUDS]\r\nNormalZoneEnd=800,5\r\nCloudZoneStart = 500.0   ; lower clouds\r\n\r\n\r\nLightningFrequency=300\r\n"
    "[RAIN\r\nNormalZoneEnd=1\r\nUnknownKey=2\r\n[THUNDER]\r\nNormalZoneClouds=Puffs\r\n";

TEST(CheckerInput, LineEndsAndEncodingsDoNotChangeTheAnswer) {
    for (const std::string& file : {ReadAll(ShippedIni), Troubled}) {
        const std::vector<std::string> expected = Lines(Check(file).findings);
        for (const char* end : {"\n", "\r", "mixed"}) {
            EXPECT_EQ(Join(Lines(Check(WithLineEnds(file, end)).findings)), Join(expected))
                << "line ends " << testing::PrintToString(std::string(end));
        }
        EXPECT_EQ(Join(Lines(Check("\xEF\xBB\xBF" + file).findings)), Join(expected)) << "UTF-8 with its mark";
        EXPECT_EQ(Join(Lines(Check(Utf16(file, true)).findings)), Join(expected)) << "UTF-16 little endian";
        EXPECT_EQ(Join(Lines(Check(Utf16(WithLineEnds(file, "\n"), false)).findings)), Join(expected))
            << "UTF-16 big endian";
    }
    EXPECT_TRUE(Check(ReadAll(ShippedIni)).findings.empty()) << Join(Lines(Check(ReadAll(ShippedIni)).findings));
    EXPECT_EQ(Lines(Check(Troubled).findings).size(), 16u) << Join(Lines(Check(Troubled).findings));
}

TEST(CheckerInput, EveryInputGetsABoundedAnswer) {
    std::mt19937 random(7);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::string longLine =
        "[CLOUDS]\nNormalZoneClouds=" + std::string(2 << 20, 'x') + "\n" + std::string(1 << 20, 'y');
    std::string manyKeys;
    for (int i = 0; i < 200000; ++i) manyKeys += "NormalZoneEndd=" + std::to_string(i) + "\n";
    const std::string inputs[] = {"",
                                  "\0\0\0"s,
                                  noise,
                                  longLine,
                                  "[CLOUDS]\n" + manyKeys,
                                  manyKeys,
                                  std::string(1 << 20, '\r'),
                                  "\xFF\xFE" + noise.substr(0, 1 << 20),
                                  std::string(100000, '[')};
    for (const std::string& input : inputs) {
        const preview::CheckedText checked = Check(input);
        // Findings beyond a thousand lines' per file are only counted.
        EXPECT_LE(std::count_if(checked.findings.begin(), checked.findings.end(),
                                [](const Finding& f) { return f.line > 0; }),
                  1000);
        EXPECT_TRUE(std::is_sorted(checked.findings.begin(), checked.findings.end(),
                                   [](const Finding& a, const Finding& b) { return a.line < b.line; }));
    }
    // 200000 unknown keys and the two keys [CLOUDS] lacks, less the 1000 shown.
    const std::vector<Finding> many = Check("[CLOUDS]\n" + manyKeys).findings;
    EXPECT_NE(many.front().message.find("199002 more findings not shown"), std::string::npos) << many.front().message;
}

// Valid UTF-8 without control characters: what a terminal or a page shows as it is.
bool IsPrintable(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x20 || lead == 0x7F ? 0
                              : lead < 0x80               ? 1
                              : lead >= 0xF5              ? 0
                              : lead >= 0xF0              ? 4
                              : lead >= 0xE0              ? 3
                              : lead >= 0xC2              ? 2
                                                          : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

// Inputs the checker fuzzer once failed on, and files of every encoding
// with text to quote: every finding prints as it is.
TEST(CheckerInput, FindingsAreSafeToPrint) {
    std::vector<std::string> inputs = {"[CLOUDS]\nNormalZoneClouds=\x1B[31mred\x07\n"s,
                                       "[CLOUDS]\nNormalZoneClouds=\xC3\xA9\xE9\xFF\n"s,
                                       Utf16("[CLOUDS]\nNormalZoneClouds=\x01\n", true)};
    for (const auto& entry : fs::directory_iterator(ATMOSPHERE_SOURCE_DIR "/tests/tools/preview/checker_regressions")) {
        inputs.push_back(ReadAll(entry.path().string()));
    }
    for (const std::string& input : inputs) {
        const std::vector<Finding> findings = Check(input).findings;
        EXPECT_FALSE(findings.empty());
        for (const Finding& finding : findings)
            EXPECT_TRUE(IsPrintable(preview::FormatFinding(finding))) << finding.message;
    }
}

int CommandStatus(const std::string& path, std::string& output) {
    std::ostringstream out;
    const int status = preview::CheckCommand(path, out);
    output = out.str();
    return status;
}

TEST(CheckerInput, FoldersDevicesAndPipesAreNoConfiguration) {
    const fs::path folder = fs::temp_directory_path() / ("checker-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string pipe = (folder / "pipe.ini").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string output;
    for (const std::string& path : {folder.string(), std::string("/dev/zero"), pipe}) {
        EXPECT_EQ(CommandStatus(path, output), 2) << path;
        EXPECT_NE(output.find("there is no configuration to check"), std::string::npos) << output;
    }
    EXPECT_NE(output.find("is a pipe"), std::string::npos) << output;
    EXPECT_EQ(CommandStatus((folder / "absent.ini").string(), output), 1);
    EXPECT_EQ(CommandStatus(ShippedIni, output), 0);
    EXPECT_EQ(output, ShippedIni + ": no problems found\n");
    fs::remove_all(folder);
}

// The findings about `line` of `file`, one per line; "" when there is none.
std::string FindingAt(const std::string& file, int line) {
    std::string found;
    for (const Finding& finding : Check(file).findings) {
        if (finding.line == line) found += preview::FormatFinding(finding) + "\n";
    }
    return found;
}

TEST(CheckerAdvice, SaysWhatTheModuleDoesAndWhatToWrite) {
    struct Case {
        const char* line;      // in [RAIN], or a [KEYS] line when it starts with a hotkey
        const char* expected;  // part of the finding on it; "" for none
    };
    const Case cases[] = {
        {"LightningFrequency=0x40", ""},
        {"LightningFrequency=0o17", ""},
        {"LightningFrequency=0X40", "reads as 0 and ignores \"X40\"; the prefixes 0x, 0o and 0b must be lower case"},
        {"LightningFrequency=128",
         "-128 (as a signed number), which flashes as often as 127 does, the most often; write 127"},
        {"LightningFrequency=4294967297", "does not fit 32 bits: it reads as 1"},
        {"ReloadKey=46", "0x46, the F key, not as the decimal 46 (0x2E, the Delete key)"},
        {"ReloadKey=0x70", ""},
        {"ReloadKey=2E", ""},
        {"ReloadKey=07", "0x07, a code no standard key sends: this hotkey never fires"},
        {"ReloadKey=0x2E ; Delete",
         "a \";\" after a value starts no comment; the module reads the code, 0x2E, the Delete key, and ignores the "
         "rest"},
        {"CloudZoneStart = 850.0   ; lower clouds",
         "a \";\" after a value starts no comment; the module reads the number, 850, and ignores the rest"},
        {"CloudZoneWindMultiplier = ; none",
         "error: CloudZoneWindMultiplier = \"; none\": a \";\" after a value starts no comment; the module reads the "
         "number, 0;"},
        {"NormalZoneTimecycleModifier = nextgen # default", "takes all of \"nextgen # default\" as the name"},
        {"NormalZoneTimecycleModifier = next;gen", ""},
        {"NormalZoneTimecycleModifier='  spaced  '", ""},
        {"CloudZoneWindMultiplier=2.5e0", ""},
        {"CloudZoneWindMultiplier=2.5x", "reads as 2.5 and ignores \"x\"; write the number alone"},
    };
    for (const Case& c : cases) {
        const std::string line = c.line;
        const bool hotkey = line.rfind("ReloadKey", 0) == 0;
        const std::string file =
            std::string(hotkey ? "[KEYS]\n" : "[RAIN]\nEnableLightningAboveClouds=1\n") + line + "\n";
        const std::string finding = FindingAt(file, hotkey ? 2 : 3);
        if (std::string(c.expected).empty()) {
            EXPECT_EQ(finding, "") << line;
        } else {
            EXPECT_EQ(std::count(finding.begin(), finding.end(), '\n'), 1) << finding;
            EXPECT_NE(finding.find(c.expected), std::string::npos) << line << "\n" << finding;
        }
    }
    // A NUL ends the value: said once.
    EXPECT_EQ(FindingAt("[RAIN]\nCloudZoneWindMultiplier=12\0 34\n"s, 2),
              "test.ini:2: warning: CloudZoneWindMultiplier = \"12\" is followed by a NUL byte: the module reads up to "
              "it and "
              "ignores the rest of the line; save the file as plain text\n");
}

TEST(CheckerAdvice, AFlagThatReadsOffSaysWhatOffMeans) {
    const std::pair<const char*, const char*> cases[] = {
        {"[GLOBAL]\nAutoReload=yes\n",
         "AutoReload = \"yes\" reads as 0, which is off (a saved edit then waits for the reload key): only the "
         "number 1 switches it on"},
        {"[GLOBAL]\nAutoReload=\n",
         "AutoReload is empty: the module uses its default, 0, which is off (a saved edit "
         "then waits for the reload key); write 1 (on) or 0 (off)"},
        {"[DEBUG]\nLog=\n", "Log is empty: the module uses its default, 1, which is on;"},
        {"[DEBUG]\nLog=on\n", "which is off (the module then writes no atmosphere.log)"},
        {"[RAIN]\nEnableLightningInSpace=true\n", "which is off (no flashes in space)"},
    };
    for (const auto& [file, expected] : cases) {
        const std::string finding = FindingAt(file, 2);
        EXPECT_NE(finding.find(expected), std::string::npos) << file << "\n" << finding;
    }
}

TEST(CheckerAdvice, TheAdvisedFrequencyFlashesAlikeAndPassesTheCheck) {
    for (const int written : {128, 129, 200, 255, 261, 300, 383, 1000, -1, -5, -100, -128}) {
        const std::string file =
            "[THUNDER]\nEnableLightningAboveClouds=1\nLightningFrequency=" + std::to_string(written) + "\n";
        const std::string finding = FindingAt(file, 3);
        const size_t at = finding.find("; write ");
        ASSERT_NE(at, std::string::npos) << finding;
        const int advised = std::stoi(finding.substr(at + 8));
        EXPECT_GE(advised, 1) << finding;
        EXPECT_LE(advised, 127) << finding;
        EXPECT_NE(advised, written) << finding;
        // The scheduler draws intervals below 2000 / frequency, whatever its sign.
        const int stored = Check(file).settings.Weather[9].LightningFrequency;
        EXPECT_EQ(2000 / std::abs(stored), 2000 / advised) << finding;
        EXPECT_EQ(
            FindingAt("[THUNDER]\nEnableLightningAboveClouds=1\nLightningFrequency=" + std::to_string(advised) + "\n",
                      3),
            "");
        EXPECT_EQ(std::count(finding.begin(), finding.end(), '\n'), 1) << finding;
    }
}

// A setting that does nothing as the file stands is noted where it differs
// from the shipped file, and so is a key whose absence changes the game.
TEST(CheckerAdvice, NotesSettingsThatDoNothingAndKeysWhoseDefaultDiffers) {
    struct Case {
        const char* file;
        int line;
        const char* expected;  // part of the findings on that line; "" for none
    };
    const Case cases[] = {
        {"[CLOUDS]\nCloudZoneWindMultiplier=5.0\n", 2,
         "note: CloudZoneWindMultiplier does nothing in [CLOUDS]: in the first six weathers (EXTRASUNNY to "
         "SNOWLIGHT) the module leaves the wind of the cloud bands to the game"},
        {"[RAIN]\nCloudZoneWindMultiplier=5.0\n", 2, ""},
        {"[CLOUDS]\nCloudZoneWindMultiplier=2.0\n", 2, ""},  // as shipped
        {"[RAIN]\nSpaceZoneWindMultiplier=1\n", 2, "the wind in space is always 0"},
        {"[GLOBAL]\nDefaultWind=1\n[RAIN]\nAboveCloudsZoneWindMultiplier=1\n", 4,
         "AboveCloudsZoneWindMultiplier does nothing in [RAIN]: DefaultWind=1 leaves the wind to the game; write "
         "DefaultWind=0 in [GLOBAL] for it to count"},
        {"[RAIN]\nLightningFrequency=20\n", 2,
         "EnableLightningAboveClouds is off and EnableLightningInSpace is off; write EnableLightningAboveClouds=1, or "
         "EnableLightningInSpace=1 for it to count"},
        {"[RAIN]\nEnableLightningInSpace=1\nLightningFrequency=20\n", 3, ""},
        // The frequency's own warning says why the flag does nothing.
        {"[RAIN]\nEnableLightningInSpace=1\nLightningFrequency=0\n", 2, ""},
        {"[CLOUDS]\nNormalZoneEnd=800\n", 1,
         "LightningFrequency is missing from [CLOUDS]: the module then uses its default, 5, where the shipped file "
         "has 0; write LightningFrequency=0 for the shipped value"},
        {"[FOGGY]\nNormalZoneEnd=800\n", 1, "its default, \"nextgen\", where the shipped file has \"cloudzone\""},
        {"[DEBUG]\nPosX=0.03\n", 1, "PosY is missing from [DEBUG]: the module then uses its default, 0.5, where"},
        {"[KEYS]\nReloadKey=0x2E\n", 1, ""},
    };
    for (const Case& c : cases) {
        const std::string found = FindingAt(c.file, c.line);
        if (std::string(c.expected).empty()) {
            EXPECT_EQ(found, "") << c.file;
        } else {
            EXPECT_NE(found.find(c.expected), std::string::npos) << c.file << "\n" << found;
        }
    }
}

// `file` with `edits` written in: a key's line replaced in its section,
// else added under the section's header, else in a new section at the end.
std::string WithEdits(std::string file, const std::vector<preview::SettingEdit>& edits) {
    for (const preview::SettingEdit& edit : edits) {
        const std::string line = edit.key + "=" + edit.value + "\n";
        const size_t header = file.find("[" + edit.section + "]\n");
        if (header == std::string::npos) {
            file += "[" + edit.section + "]\n" + line;
            continue;
        }
        const size_t body = file.find('\n', header) + 1;
        const size_t next = file.find("\n[", body - 1);
        const size_t end = next == std::string::npos ? file.size() : next + 1;
        const size_t at = file.find("\n" + edit.key + "=", body - 1);
        if (at != std::string::npos && at < end) {
            file.replace(at + 1, file.find('\n', at + 1) - at, line);
        } else {
            file.insert(body, line);
        }
    }
    return file;
}

// Every value the checker advises, written in, settles its finding and
// raises no new one.
TEST(CheckerAdvice, EveryValueItAdvisesPassesTheCheck) {
    const std::string files[] = {
        "[RAIN]\nNormalZoneEnd=800\nCloudZoneStart=500\n",
        "[RAIN]\nCloudZoneEnd=100\nAboveCloudsZoneStart=200\n",
        "[RAIN]\nAboveCloudsZoneEnd=1400\n",
        "[RAIN]\nNormalZoneEnd=3500\n",
        "[RAIN]\nSpaceZoneStart=nan\nNormalZoneEnd=-inf\n",
        "[SNOW]\nNormalZoneEnd=5\nCloudZoneStart=4\nCloudZoneEnd=3\nAboveCloudsZoneStart=2\n"
        "AboveCloudsZoneEnd=1\nSpaceZoneStart=0\n",
        "[FOGGY]\nNormalZoneEnd=900.25\nCloudZoneStart=900.25\n",
        "[KEYS]\nReloadKey=0x46\nOnOffKey=0x46\nDebugKey=0x46\n",
        "[KEYS]\nReloadKey=0x73\nOnOffKey=0x73\nDebugKey=0x78\n",
        "[GLOBAL]\nDefaultWind=1\n[RAIN]\nCloudZoneWindMultiplier=3\nAboveCloudsZoneWindMultiplier=1\n",
        "[CLOUDS]\nLightningFrequency=20\n",
        "[THUNDER]\nLightningFrequency=300\n[DEBUG]\nPosX=0.5\n",
    };
    size_t tried = 0;
    for (const std::string& file : files) {
        const std::vector<Finding> before = Check(file).findings;
        std::set<std::string> messages;
        for (const Finding& finding : before) messages.insert(finding.message);
        for (const Finding& finding : before) {
            for (const auto& edits : finding.fixes) {
                const std::string fixed = WithEdits(file, edits);
                for (const Finding& after : Check(fixed).findings) {
                    EXPECT_NE(after.message, finding.message) << fixed;
                    EXPECT_TRUE(messages.count(after.message)) << "new after the advice:\n" << fixed << after.message;
                }
                ++tried;
            }
        }
    }
    EXPECT_GE(tried, 20u);
}

std::vector<Finding> WithoutNotes(std::vector<Finding> findings) {
    std::erase_if(findings, [](const Finding& finding) { return finding.severity == Severity::Note; });
    return findings;
}

TEST(CheckerAdvice, ABrokenHeaderIsNamedOnceNotItsKeys) {
    const std::string file =
        "[CLOUDS]\nNormalZoneEnd=700\n[RAIN\nNormalZoneEnd=1\nCloudZoneStart=950\nTypo=1\n"
        "LightningFrequency=10\n[THUNDER]\nBadKey=1\n";
    const std::vector<Finding> findings = WithoutNotes(Check(file).findings);
    ASSERT_EQ(findings.size(), 2u) << Join(Lines(findings));
    EXPECT_EQ(findings[0].line, 3);
    EXPECT_EQ(findings[0].severity, Severity::Error);
    EXPECT_NE(findings[0].message.find("\"[RAIN\" is no section header: it lacks its \"]\""), std::string::npos);
    // CloudZoneStart and LightningFrequency are new to [CLOUDS]: the module takes them from there.
    EXPECT_NE(findings[0].message.find("it takes CloudZoneStart, LightningFrequency from there for [CLOUDS]"),
              std::string::npos)
        << findings[0].message;
    EXPECT_NE(findings[0].message.find("write \"[RAIN]\""), std::string::npos);
    EXPECT_EQ(findings[1].line, 9);
}

TEST(CheckerAdvice, FindingsComeInLineOrderAcrossKinds) {
    // A zone error found last (from the record) sorts among the line findings.
    // The notes about the keys [CLOUDS] lacks stand at its header.
    const std::vector<Finding> findings =
        Check("[CLOUDS]\nDefaultWind=1\nCloudZoneStart=100\n[KEYS]\nReloadKey=xyz\n").findings;
    ASSERT_EQ(findings.size(), 5u) << Join(Lines(findings));
    EXPECT_EQ(findings[0].line, 1);
    EXPECT_EQ(findings[1].line, 1);
    EXPECT_EQ(findings[2].line, 2);
    EXPECT_EQ(findings[3].line, 3);
    EXPECT_EQ(findings[3].severity, Severity::Error);
    EXPECT_EQ(findings[4].line, 5);
}

// `atmosphere-sim config --json` on `path`: the module's own load.
std::string ModuleJson(const std::string& path) {
    const std::string command = std::string(ATMOSPHERE_SIM_TOOL) + " config '" + path + "' --json 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    pclose(pipe);
    return out;
}

TEST(CheckerAgreement, ReadsEveryCorpusFileAsTheModuleLoadsIt) {
    std::vector<std::string> files = {ShippedIni};
    for (const auto& entry : fs::directory_iterator(ATMOSPHERE_SOURCE_DIR "/tests/config/corpus")) {
        if (entry.is_regular_file()) files.push_back(entry.path().string());
    }
    ASSERT_GT(files.size(), 30u);
    for (const std::string& path : files) {
        const std::string folder = fs::path(path).parent_path().string();
        const preview::CheckedText checked =
            preview::CheckConfigurationText(path, ReadAll(path), [](const std::string& alternate) {
                return fs::is_regular_file(alternate) ? preview::FileContent{ReadAll(alternate), ""}
                                                      : preview::FileContent{"", "is not there"};
            });
        EXPECT_EQ(SettingsToJson(checked.settings) + "\n", ModuleJson(path)) << path;
    }
}

}  // namespace
