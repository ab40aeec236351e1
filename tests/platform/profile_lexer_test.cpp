// The profile lexer's lines: what is a header and what a key line, the line
// numbers under every kind of line end, what it reports as cut or quoted,
// and that any slicing of the bytes gives the same lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/profile_lexer.h"
#include "tests/config/test_files.h"

namespace {

using platform::ProfileLine;
using platform::ProfileLineKind;
using namespace std::string_literals;

struct Seen {
    uint32_t number;
    ProfileLineKind kind;
    std::u16string name;
    std::u16string value;
    size_t valueLength;
    bool hasEquals;
    bool nameCut;
    bool valueCut;
    bool quoted;
    bool operator==(const Seen&) const = default;
};

struct Collector {
    std::vector<Seen> lines;
    char wantedFirst = 0;  // 0: every key line
};

void Collect(const ProfileLine& line, void* context) {
    const size_t kept = std::min(line.valueLength, platform::ProfileValueCapacity);
    static_cast<Collector*>(context)->lines.push_back(
        {line.number, line.kind,
         std::u16string(line.name, line.name + std::min(line.nameLength, platform::ProfileNameCapacity)),
         line.kind == ProfileLineKind::Key ? std::u16string(line.value, line.value + kept) : u"", line.valueLength,
         line.hasEquals, line.nameCutAtNul, line.valueCutAtNul, line.valueQuoted});
}

bool Wants(platform::ProfileUnit first, void* context) {
    const char wanted = static_cast<Collector*>(context)->wantedFirst;
    return wanted == 0 || first == static_cast<unsigned char>(wanted);
}

// Lexes `bytes` fed in slices of `slice` bytes.
std::vector<Seen> Lex(std::string_view bytes, size_t slice = SIZE_MAX, char wantedFirst = 0) {
    Collector collector;
    collector.wantedFirst = wantedFirst;
    platform::ProfileLexer lexer{};
    platform::BeginProfile(lexer, {&collector, nullptr, Wants, Collect});
    for (size_t at = 0; at < bytes.size(); at += slice) {
        const size_t size = std::min(slice, bytes.size() - at);
        platform::FeedProfile(lexer, reinterpret_cast<const unsigned char*>(bytes.data()) + at, size);
    }
    platform::FinishProfile(lexer);
    return collector.lines;
}

std::vector<uint32_t> Numbers(const std::vector<Seen>& lines) {
    std::vector<uint32_t> numbers;
    for (const Seen& line : lines) numbers.push_back(line.number);
    return numbers;
}

TEST(ProfileLexer, LineNumbersUnderEveryLineEnd) {
    for (const char* end : {"\n", "\r\n", "\r"}) {
        const std::string e = end;
        const std::string file = "[s]" + e + "a=1" + e + e + "  " + e + "b=2" + e + "[t]";
        EXPECT_EQ(Numbers(Lex(file)), (std::vector<uint32_t>{1, 2, 5, 6})) << "line end " << testing::PrintToString(e);
    }
    // CRLF is one line end, LF CR two, and a run of them counts each.
    EXPECT_EQ(Numbers(Lex("[s]\r\na=1\n\rb=2\r\r\n\nc=3")), (std::vector<uint32_t>{1, 2, 4, 7}));
    // Lines the handler does not want are skipped, but their ends still count,
    // also one that a UTF-8 sequence was still waiting on when the skip began.
    for (size_t slice : {size_t{1}, SIZE_MAX}) {
        const std::vector<Seen> wanted = Lex("[s]\rxx=1\r\nyy\n\rb=2\nxxxx\r\r\nb=3", slice, 'b');
        EXPECT_EQ(Numbers(wanted), (std::vector<uint32_t>{1, 5, 8}));
        const std::vector<Seen> utf8 = Lex("\xEF\xBB\xBF\xC3\xA9\xF0\x9F\r[s]\n\xE9\xF2\nb=1", slice, 'b');
        EXPECT_EQ(Numbers(utf8), (std::vector<uint32_t>{2, 4})) << "slices of " << slice;
    }
}

TEST(ProfileLexer, HeadersKeyLinesAndWhatWasCut) {
    const std::vector<Seen> lines = Lex("[ sec ] junk\n[broken\n  k = v  \n=lone\nn\0x=1\nq='a b'\nr=\"\nt=ab\0cd\n"s);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], (Seen{1, ProfileLineKind::Section, u"sec", u"", 0, false, false, false, false}));
    EXPECT_EQ(lines[1], (Seen{2, ProfileLineKind::Key, u"[broken", u"", 0, false, false, false, false}));
    EXPECT_EQ(lines[2], (Seen{3, ProfileLineKind::Key, u"k", u"v", 1, true, false, false, false}));
    EXPECT_EQ(lines[3], (Seen{4, ProfileLineKind::Key, u"", u"lone", 4, true, false, false, false}));
    EXPECT_EQ(lines[4].name, u"n");
    EXPECT_TRUE(lines[4].nameCut);
    EXPECT_EQ(lines[5], (Seen{6, ProfileLineKind::Key, u"q", u"'a b'", 5, true, false, false, true}));
    EXPECT_FALSE(lines[6].quoted);  // a lone quote is no pair
    EXPECT_EQ(lines[7], (Seen{8, ProfileLineKind::Key, u"t", u"ab", 2, true, false, true, false}));
}

TEST(ProfileLexer, LongLinesKeepTheirFirstUnitsAndFullLength) {
    const std::string value(5000, 'v');
    const std::vector<Seen> lines = Lex("[" + std::string(3000, 's') + "]\nk=" + value + "\nnext=1");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].name.size(), platform::ProfileNameCapacity);
    EXPECT_EQ(lines[1].valueLength, 5000u);
    EXPECT_EQ(lines[1].value.size(), platform::ProfileValueCapacity);
    EXPECT_EQ(lines[2].number, 3u);
}

TEST(ProfileLexer, AnySlicingGivesTheSameLines) {
    const std::string shipped = ReadWholeFile(ATMOSPHERE_SOURCE_DIR "/atmosphere.ini");
    std::string utf16 = "\xFF\xFE";
    for (const char c : shipped.substr(0, 4000)) utf16 += std::string{c, '\0'};
    const std::string utf8 = "\xEF\xBB\xBF[s]\nk=\xC3\xA9\xF0\x9F\x98\x80\xE2\x82\nj=\xC3";
    for (const std::string& file : {shipped, utf16, utf8}) {
        const std::vector<Seen> whole = Lex(file);
        ASSERT_FALSE(whole.empty());
        for (size_t slice : {1, 2, 3, 7, 4096}) EXPECT_EQ(Lex(file, slice), whole) << "slices of " << slice;
    }
}

TEST(ProfileLexer, Utf16LinesAndAnOddLastByte) {
    const std::vector<Seen> little = Lex("\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xE9\0x"s);
    ASSERT_EQ(little.size(), 2u);
    EXPECT_EQ(little[1], (Seen{2, ProfileLineKind::Key, u"k", u"\u00E9", 1, true, false, false, false}));
    const std::vector<Seen> big =
        Lex("\xFE\xFF\0[\0s\0]\0\n\0k\0=\0"
            "1"s);
    ASSERT_EQ(big.size(), 2u);
    EXPECT_EQ(big[1].value, u"1");
}

}  // namespace
