// The profile reader against what the Windows functions, run under wine,
// return for the same bytes (each expectation here was first observed
// there). The whole-file differential test covers the same ground through
// LoadConfiguration; these pin down single rules.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "platform/profile_reader.h"
#include "tests/config/test_files.h"

namespace {

using platform::ProfileRead;
using platform::ProfileReadKind;

std::string Text(std::string_view file, const char* section, const char* key, uint32_t capacity = 64,
                 const char* fallback = "DEF") {
    std::vector<char> buffer(capacity + 1, '#');
    ProfileRead read{section, key, ProfileReadKind::Text, 0, fallback, buffer.data(), capacity, 0, 0};
    platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(file.data()), file.size(), &read, 1);
    return capacity == 0 ? std::string(buffer.data(), 1) : std::string(buffer.data());
}

int32_t Int(std::string_view file, const char* section, const char* key, int32_t fallback = 777) {
    ProfileRead read{section, key, ProfileReadKind::Integer, fallback, nullptr, nullptr, 0, 0, 0};
    platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(file.data()), file.size(), &read, 1);
    return read.number;
}

using namespace std::string_literals;

// "k" and a number: the name of the n-th key of a generated file.
std::string KeyName(size_t n) {
    std::string name = "k";
    name += std::to_string(n);
    return name;
}

TEST(ProfileSections, MatchedWithoutCaseAndWhiteSpace) {
    const std::string file =
        "[ a ]\nk=1\n[b\t]  \nk=2\n[c] junk\nk=3\n[d]]\nk=4\n[ [g]\nk=6\n[\x1Ah]\nk=7\n[j]x]\nk=9\n";
    EXPECT_EQ(Text(file, "A", "k"), "1");
    EXPECT_EQ(Text(file, " b ", " K "), "2");
    EXPECT_EQ(Text(file, "c", "k"), "3");   // text after the last ']' is ignored
    EXPECT_EQ(Text(file, "d]", "k"), "4");  // the name runs to the last ']'
    EXPECT_EQ(Text(file, "d", "k"), "DEF");
    EXPECT_EQ(Text(file, "[g", "k"), "6");
    EXPECT_EQ(Text(file, "h", "k"), "7");  // ^Z counts as white space
    EXPECT_EQ(Text(file, "j]x", "k"), "9");
}

TEST(ProfileSections, OnlyTheFirstOfARepeatedSectionCounts) {
    const std::string file = "[s]\nb=1\n[S]\nb=2\nc=3\n";
    EXPECT_EQ(Text(file, "s", "b"), "1");
    EXPECT_EQ(Text(file, "s", "c"), "DEF");
}

TEST(ProfileSections, HeadersWithoutBracketsAndKeysBeforeAnySection) {
    const std::string file = "top=1\n[s\nk=8\n[t]\n[\nk=5\n";
    EXPECT_EQ(Text(file, "", "top"), "1");
    EXPECT_EQ(Text(file, "s", "k"), "DEF");  // "[s" is a key line of the unnamed section
    EXPECT_EQ(Text(file, "", "[s"), "DEF");  // a key without '=' reads as its default
    EXPECT_EQ(Text(file, "", "k"), "8");
    EXPECT_EQ(Text(file, "t", "k"), "5");
}

TEST(ProfileSections, NamesEndAtANul) {
    const std::string file = "[e\0f]\nk=5\n[\0]\nk=6\n"s;
    EXPECT_EQ(Text(file, "e", "k"), "5");
    EXPECT_EQ(Text(file,
                   "e\x01"
                   "f",
                   "k"),
              "DEF");
}

TEST(ProfileKeys, FirstOccurrenceWinsAndALineWithoutEqualsShadows) {
    const std::string file = "[s]\nb = 2 \nb=3\nnoeq\n noeq = 5\n;c=1\nc=2\nk\0junk=7\n\0x=9\n"s;
    EXPECT_EQ(Text(file, "s", "B"), "2");
    EXPECT_EQ(Text(file, "s", "noeq"), "DEF");
    EXPECT_EQ(Int(file, "s", "noeq"), 777);
    EXPECT_EQ(Text(file, "s", ";c"), "1");  // no comment syntax: just a key named ";c"
    EXPECT_EQ(Text(file, "s", "c"), "2");
    EXPECT_EQ(Text(file, "s", "k"), "7");  // the name ends at the NUL
    EXPECT_EQ(Text(file, "s", ""), "9");
}

TEST(ProfileValues, TrimmedOfProfileWhiteSpaceOnly) {
    const std::string file = "[s]\na=\t\v\f\x1A v \x1A\t\nb=\xA0v\xA0\nc=\x01 12\nd=ab\0cd\ne= x \0 \n"s;
    EXPECT_EQ(Text(file, "s", "a"), "v");
    EXPECT_EQ(Text(file, "s", "b"), "\xA0v\xA0");  // no-break space is not trimmed
    EXPECT_EQ(Text(file, "s", "c"), "\x01 12");
    EXPECT_EQ(Text(file, "s", "d"), "ab");
    EXPECT_EQ(Text(file, "s", "e"), "x ");  // trimming stops at the NUL
}

TEST(ProfileValues, EveryByteAbove0x7FSurvivesAnAnsiFile) {
    std::string file = "[s]\nv=";
    for (int byte = 0x80; byte <= 0xFF; ++byte) file += static_cast<char>(byte);
    const std::string value = Text(file, "s", "v", 200);
    ASSERT_EQ(value.size(), 128u);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(static_cast<unsigned char>(value[i]), 0x80 + i);
}

TEST(ProfileValues, OnePairOfQuotesComesOff) {
    const std::string file = "[s]\nq1='abc'\nq2=\"abc\nq3=\"\nq4=''\nq5=\"a\"b\"\nd=\"abcdef\"x\n";
    EXPECT_EQ(Text(file, "s", "q1"), "abc");
    EXPECT_EQ(Text(file, "s", "q2"), "\"abc");
    EXPECT_EQ(Text(file, "s", "q3"), "\"");
    EXPECT_EQ(Text(file, "s", "q4"), "");
    EXPECT_EQ(Text(file, "s", "q5"), "a\"b");
    EXPECT_EQ(Text(file, "s", "d"), "\"abcdef\"x");
}

TEST(ProfileValues, QuotedValueCutByASmallBuffer) {
    // After the opening quote "abcdef'" has 7 units; a 7-unit buffer loses
    // one character more than a larger one, a smaller one keeps its cut.
    const std::string file = "[s]\nq='abcdef'\nu=abcdef\n";
    const char* quoted[] = {"", "", "a", "ab", "abc", "abcd", "abcde", "abcde", "abcdef", "abcdef"};
    const char* plain[] = {"", "", "a", "ab", "abc", "abcd", "abcde", "abcdef", "abcdef", "abcdef"};
    for (uint32_t capacity = 1; capacity <= 9; ++capacity) {
        EXPECT_EQ(Text(file, "s", "q", capacity), quoted[capacity]) << capacity;
        EXPECT_EQ(Text(file, "s", "u", capacity), plain[capacity]) << capacity;
    }
    EXPECT_EQ(Text(file, "s", "q", 0), "#");  // nothing written at all
}

TEST(ProfileValues, LongLinesAndValues) {
    const std::string longValue(100000, 'v');
    const std::string file = "[s]\nlong=" + longValue + "\n" + std::string(70000, ' ') + "after=1\n";
    EXPECT_EQ(Text(file, "s", "long"), longValue.substr(0, 63));
    EXPECT_EQ(Text(file, "s", "after"), "1");
    const std::string longName = std::string(300, 'n');
    EXPECT_EQ(Text("[s]\n" + longName + "=1\n", "s", longName.c_str()), "DEF");
}

TEST(ProfileLines, AnyRunOfCarriageReturnsAndLineFeeds) {
    const std::string file = "[s]\ra=1\r\rb=2\r\n\n\rc=3\n\r[t]\r\nd=4";
    EXPECT_EQ(Text(file, "s", "a"), "1");
    EXPECT_EQ(Text(file, "s", "b"), "2");
    EXPECT_EQ(Text(file, "s", "c"), "3");
    EXPECT_EQ(Text(file, "t", "d"), "4");
}

TEST(ProfileEncodings, Utf8WithAByteOrderMarkIsWrittenBackInCodePage1252) {
    const std::string file =
        "\xEF\xBB\xBF[s]\n"
        "e=\xC3\xA9\n"                   // é
        "a=\xC4\x80\xC4\x81\n"           // Āā: best fit to A and a
        "s=\xE2\x80\x80v\xE3\x80\x80\n"  // en quad and ideographic space: best fit to ' ', never trimmed
        "x=\xF0\x9F\x98\x80\n"           // outside the BMP: one '?' per surrogate
        "bad=\xC0\x80|\xE2\x82"
        "A|\xED\xA0\x80|\xF4\x90\x80\x80\n"
        "end=\xE2\x82";
    EXPECT_EQ(Text(file, "s", "e"), "\xE9");
    EXPECT_EQ(Text(file, "s", "a"), "Aa");
    EXPECT_EQ(Text(file, "s", "s"), " v ");
    EXPECT_EQ(Text(file, "s", "x"), "??");
    EXPECT_EQ(Text(file, "s", "bad"), "??|?A|??|???");
    EXPECT_EQ(Text(file, "s", "end"), "?");
    // A second mark is part of the first line, so "[s]" is no header there.
    EXPECT_EQ(Text("\xEF\xBB\xBF\xEF\xBB\xBF[s]\nk=1\n", "s", "k"), "DEF");
    // Without the full mark the file is ANSI: the bytes come back unchanged.
    EXPECT_EQ(Text("[s]\nk=\xC3\xA9\n", "s", "k"), "\xC3\xA9");
}

TEST(ProfileEncodings, Utf16InBothByteOrders) {
    const std::string little =
        "\xFF\xFE[\0s\0]\0\n\0a\0=\0"
        "1\0\xE9\0\0\xD8"s;
    const std::string big =
        "\xFE\xFF\0[\0s\0]\0\n\0a\0=\0"
        "1\0\xE9"s;
    EXPECT_EQ(Text(little, "s", "a"), "1\xE9?");
    EXPECT_EQ(Text(big, "S", "A"), "1\xE9");
    EXPECT_EQ(Int(big, "s", "a"), 1);
}

TEST(ProfileIntegers, ParsedLikeTheWindowsFunction) {
    const std::string file =
        "[s]\nhex=0x1F\nHEX=0X1F\noct=0o17\nbin=0b101\nplus=+5\nminusSpace=- 5\nneg=-5\nwrap=4294967297\n"
        "big=99999999999\nlow=-2147483649\nexp=1e3\njunk=12abc\nonlyPrefix=0x\nnegHex=-0x10\nquoted='7'\n"
        "thirty=000000000000000000000000000019\ntwentynine=00000000000000000000000000019\nctl=\x01 12\n"
        "empty=\nnul=\0 5\nemptyQuotes=\"\"\nword=true\n"s;
    EXPECT_EQ(Int(file, "s", "hex"), 31);
    EXPECT_EQ(Int(file, "s", "HEX"), 31);          // key names ignore case: this is "hex" again
    EXPECT_EQ(Int("[s]\nk=0X1F\n", "s", "k"), 0);  // prefixes are lower case only
    EXPECT_EQ(Int(file, "s", "oct"), 15);
    EXPECT_EQ(Int(file, "s", "bin"), 5);
    EXPECT_EQ(Int(file, "s", "plus"), 5);
    EXPECT_EQ(Int(file, "s", "minusSpace"), 0);
    EXPECT_EQ(Int(file, "s", "neg"), -5);
    EXPECT_EQ(Int(file, "s", "wrap"), 1);
    EXPECT_EQ(Int(file, "s", "big"), 1215752191);
    EXPECT_EQ(Int(file, "s", "low"), 2147483647);
    EXPECT_EQ(Int(file, "s", "exp"), 1);
    EXPECT_EQ(Int(file, "s", "junk"), 12);
    EXPECT_EQ(Int(file, "s", "onlyPrefix"), 0);
    EXPECT_EQ(Int(file, "s", "negHex"), -16);
    EXPECT_EQ(Int(file, "s", "quoted"), 7);
    EXPECT_EQ(Int(file, "s", "thirty"), 1);  // only 29 characters are read
    EXPECT_EQ(Int(file, "s", "twentynine"), 19);
    EXPECT_EQ(Int(file, "s", "ctl"), 12);
    EXPECT_EQ(Int(file, "s", "word"), 0);
    // An empty value gives the default, not 0.
    EXPECT_EQ(Int(file, "s", "empty"), 777);
    EXPECT_EQ(Int(file, "s", "nul"), 777);
    EXPECT_EQ(Int(file, "s", "emptyQuotes"), 777);
    EXPECT_EQ(Text(file, "s", "empty"), "");
}

TEST(ProfileFiles, AbsentFileAndDefaults) {
    ScratchDirectory directory;
    char text[64];
    ProfileRead reads[] = {
        {"s", "k", ProfileReadKind::Text, 0, "'quoted'  ", text, sizeof text, 0, 0},
        {"s", "n", ProfileReadKind::Integer, 42, nullptr, nullptr, 0, 0, 0},
    };
    EXPECT_FALSE(platform::ReadProfileFile((directory.path() + "missing.ini").c_str(), reads, 2));
    EXPECT_STREQ(text, "'quoted'");  // trailing spaces go, quotes stay without a file
    EXPECT_EQ(reads[1].number, 42);
    // With a file present the default goes through the quote rule too.
    EXPECT_EQ(Text("[s]\n", "s", "k", 64, "'quoted'  "), "quoted");
    EXPECT_EQ(Text("", "s", "k"), "DEF");
}

TEST(ProfileFiles, StreamingFromDiskMatchesTheWholeFileInMemory) {
    // Multi-byte sequences and line ends straddle the read chunks.
    std::string file = "\xEF\xBB\xBF[s]\n";
    for (int i = 0; i < 6000; ++i) file += KeyName(i) + "=\xC3\xA9\xF0\x9F\x98\x80\r\n";
    ScratchDirectory directory;
    directory.Write("big.ini", file);
    // Backslashes in the directory are the host's separators.
    std::string windowsStyle = directory.path() + "big.ini";
    for (char& c : windowsStyle) c = c == '/' ? '\\' : c;

    std::vector<std::string> keys;
    for (int i = 0; i < 6000; i += 29) keys.push_back(KeyName(i));
    std::vector<std::array<char, 64>> fromDisk(keys.size()), fromMemory(keys.size());
    std::vector<ProfileRead> diskReads, memoryReads;
    for (size_t i = 0; i < keys.size(); ++i) {
        diskReads.push_back({"s", keys[i].c_str(), ProfileReadKind::Text, 0, "", fromDisk[i].data(), 64, 0, 0});
        memoryReads.push_back({"s", keys[i].c_str(), ProfileReadKind::Text, 0, "", fromMemory[i].data(), 64, 0, 0});
    }
    EXPECT_TRUE(platform::ReadProfileFile(windowsStyle.c_str(), diskReads.data(), diskReads.size()));
    platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(file.data()), file.size(),
                                    memoryReads.data(), memoryReads.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_STREQ(fromDisk[i].data(), "\xE9??") << keys[i];
        EXPECT_STREQ(fromMemory[i].data(), "\xE9??") << keys[i];
    }
}

TEST(ProfileFiles, BatchesLargerThanOnePass) {
    std::string file = "[s]\n";
    const size_t count = platform::ProfileReadsPerPass * 2 + 3;
    for (size_t i = 0; i < count; ++i) file += KeyName(i) + "=" + std::to_string(i * 3) + "\n";
    std::vector<std::string> keys;
    for (size_t i = 0; i < count; ++i) keys.push_back(KeyName(i));
    std::vector<ProfileRead> reads;
    for (size_t i = 0; i < count; ++i)
        reads.push_back({"s", keys[i].c_str(), ProfileReadKind::Integer, -1, nullptr, nullptr, 0, 0, 0});
    platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(file.data()), file.size(), reads.data(),
                                    count);
    for (size_t i = 0; i < count; ++i) ASSERT_EQ(reads[i].number, static_cast<int32_t>(i * 3)) << i;
}

TEST(ProfileReads, ReportTheLineThatGaveTheirValue) {
    const std::string file = "[s]\r\nk=1\n\nnoeq\r[s]\nk=2\nlater=3\n";
    ProfileRead reads[] = {
        {"s", "k", ProfileReadKind::Integer, 0, nullptr, nullptr, 0, 0, 99},
        {"s", "noeq", ProfileReadKind::Integer, 7, nullptr, nullptr, 0, 0, 99},
        {"s", "later", ProfileReadKind::Integer, 7, nullptr, nullptr, 0, 0, 99},
        {"t", "k", ProfileReadKind::Integer, 7, nullptr, nullptr, 0, 0, 99},
    };
    platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(file.data()), file.size(), reads, 4);
    EXPECT_EQ(reads[0].line, 2u);
    EXPECT_EQ(reads[1].line, 4u);  // a key without '=' still decides the read
    EXPECT_EQ(reads[2].line, 0u);  // only in the repeated section: the default
    EXPECT_EQ(reads[3].line, 0u);
}

TEST(ProfileReads, SingleLinesReadLikeTheirKeys) {
    struct Case {
        const char* value;
        int32_t number;
        bool empty;
        size_t length;
        size_t used;
        bool exact;
    };
    const Case cases[] = {
        {"0x40", 64, false, 4, 4, true},
        {"0X40", 0, false, 4, 1, true},
        {"12abc", 12, false, 5, 2, true},
        {"'7'", 7, false, 1, 1, true},
        {"\"\"", 5, true, 0, 0, true},
        {"4294967297", 1, false, 10, 10, false},
        {"-2147483648", INT32_MIN, false, 11, 11, true},
        {"2147483648", INT32_MIN, false, 10, 10, false},
        {"000000000000000000000000000019", 1, false, 30, 29, true},
    };
    for (const Case& c : cases) {
        const std::string file = std::string("[s]\nk=") + c.value + "\n";
        struct Probe {
            platform::ProfileIntegerReading reading;
            ProfileRead read;
        } probe{};
        probe.read = {"s", "k", ProfileReadKind::Integer, 5, nullptr, nullptr, 0, 0, 0};
        platform::ProfileLexer lexer{};
        platform::BeginProfile(
            lexer, {&probe, nullptr, nullptr, [](const platform::ProfileLine& line, void* context) {
                        if (line.kind == platform::ProfileLineKind::Key && platform::ProfileNameIs(line, " K ")) {
                            static_cast<Probe*>(context)->reading = platform::ReadProfileLineInteger(line, 5);
                        }
                    }});
        platform::FeedProfile(lexer, reinterpret_cast<const unsigned char*>(file.data()), file.size());
        platform::FinishProfile(lexer);
        platform::ReadProfileFromMemory(reinterpret_cast<const unsigned char*>(file.data()), file.size(), &probe.read,
                                        1);
        const platform::ProfileIntegerReading& r = probe.reading;
        EXPECT_EQ(r.number, probe.read.number) << c.value;  // the same number as the key's read
        EXPECT_EQ(r.number, c.number) << c.value;
        EXPECT_EQ(r.empty, c.empty) << c.value;
        EXPECT_EQ(r.length, c.length) << c.value;
        EXPECT_EQ(r.used, c.used) << c.value;
        EXPECT_EQ(r.exact, c.exact) << c.value;
    }
}

#ifndef _WIN32
TEST(ProfileFiles, FoldersAndDevicesReadAsNoFile) {
    ScratchDirectory directory;
    directory.Write("folder.ini/inside", "");
    for (const std::string& path : {directory.path() + "folder.ini", std::string("/dev/zero")}) {
        ProfileRead read{"s", "k", ProfileReadKind::Integer, 42, nullptr, nullptr, 0, 0, 0};
        EXPECT_FALSE(platform::ReadProfileFile(path.c_str(), &read, 1)) << path;
        EXPECT_EQ(read.number, 42) << path;
    }
}
#endif

}  // namespace
