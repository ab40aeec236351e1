// Key codes and reals: fixed cases from the configuration rules, and the C
// library itself as the oracle over many generated texts (strtol clamped to
// 32 bits, strtof in the "C" locale).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#ifndef _WIN32
#include <locale.h>
#endif
#include <random>
#include <string>

#include "config/number_text.h"

namespace {

int32_t KeyCodeOracle(const char* text) {
    const long long value = std::strtoll(text, nullptr, 16);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// When nothing converts, the standard asks for zero; mingw's strtof gives
// -0 after a lone '-', glibc +0. The module's parser gives +0 everywhere.
float RealOracle(const char* text) {
    char* end = nullptr;
#ifdef _WIN32
    const float value = std::strtof(text, &end);  // the test process never leaves the "C" locale
#else
    static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const float value = strtof_l(text, &end, c);
#endif
    return end == text ? 0.0f : value;
}

std::string RandomText(std::mt19937& random, const char* alphabet, size_t maxLength) {
    const size_t alphabetLength = std::strlen(alphabet);
    std::string text(random() % (maxLength + 1), ' ');
    for (char& c : text) c = alphabet[random() % alphabetLength];
    return text;
}

::testing::AssertionResult SameFloat(const char* text, float got, float want) {
    const bool same = std::isnan(got) ? std::isnan(want) && std::signbit(got) == std::signbit(want)
                                      : std::memcmp(&got, &want, sizeof got) == 0;
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << text << "\": got " << got << ", strtof gives " << want;
}

TEST(KeyCode, ReadsBase16) {
    EXPECT_EQ(ParseKeyCode("46"), 0x46);  // not 46
    EXPECT_EQ(ParseKeyCode("2E"), 0x2E);
    EXPECT_EQ(ParseKeyCode("0x2E"), 0x2E);
    EXPECT_EQ(ParseKeyCode("0X2e"), 0x2E);
    EXPECT_EQ(ParseKeyCode(" \t+23"), 0x23);
    EXPECT_EQ(ParseKeyCode("-1"), -1);
    EXPECT_EQ(ParseKeyCode("2Ez"), 0x2E);
}

TEST(KeyCode, NoDigitsGivesZero) {
    for (const char* text : {"", "z", "0x", "0xg", "x1", "- 1", "+-1",
                             "\x01"
                             "1"}) {
        EXPECT_EQ(ParseKeyCode(text), 0) << text;
    }
}

TEST(KeyCode, ClampsAt32BitsLikeWindows) {
    // On a 64-bit long this would keep its low bits: 0x2E, the Delete key.
    EXPECT_EQ(ParseKeyCode("10000002E"), INT32_MAX);
    EXPECT_EQ(ParseKeyCode("7FFFFFFF"), INT32_MAX);
    EXPECT_EQ(ParseKeyCode("80000000"), INT32_MAX);
    EXPECT_EQ(ParseKeyCode("-80000000"), INT32_MIN);
    EXPECT_EQ(ParseKeyCode("-80000001"), INT32_MIN);
    EXPECT_EQ(ParseKeyCode("FFFFFFFFFFFFFFFFFFFFFFFF"), INT32_MAX);
}

TEST(KeyCode, AgreesWithClampedStrtol) {
    std::mt19937 random(1234);
    for (int i = 0; i < 20000; ++i) {
        const std::string text = RandomText(random, " \t\v+-0xX19afAFgG", 14);
        ASSERT_EQ(ParseKeyCode(text.c_str()), KeyCodeOracle(text.c_str())) << '"' << text << '"';
    }
}

TEST(Real, ReadsTheLongestNumberPrefix) {
    EXPECT_EQ(ParseReal("800.0"), 800.0f);
    EXPECT_EQ(ParseReal("0.015"), 0.015f);
    EXPECT_EQ(ParseReal("  -2.5e1xyz"), -25.0f);
    EXPECT_EQ(ParseReal("1,5"), 1.0f);  // the decimal point is always '.'
    EXPECT_EQ(ParseReal("0x1p3"), 8.0f);
    EXPECT_EQ(ParseReal("junk"), 0.0f);
    EXPECT_EQ(ParseReal(""), 0.0f);
    EXPECT_TRUE(std::isinf(ParseReal("inf")));
    EXPECT_TRUE(std::isnan(ParseReal("nan(0x1)")));
}

TEST(Real, AgreesWithStrtofInTheCLocale) {
    const char* cases[] = {"1e39",
                           "-1e39",
                           "1e-50",
                           "-1e-50",
                           "1e-40",
                           "7e-46",
                           "7.1e-46",
                           "3.40282357e38",
                           "1e99999999999",
                           "1e-99999999999",
                           "0x1p-150",
                           "0x1.8p-150",
                           "0x1.ffffffp127",
                           "0x.8p1",
                           "0x.p1",
                           "0xinf",
                           "0x",
                           "-0x",
                           "+-1",
                           "-+1",
                           "--1",
                           "+.5",
                           "-.e1",
                           "infinity",
                           "INFin",
                           "-NaN",
                           "nan(",
                           "nan()",
                           "1e+",
                           "00000000000000000000000000000000000000000000001e-45",
                           "0.000000000000000000000000000000000000000000001",
                           "123456789012345678901234567890123456789",
                           "\v\f\r\n 1",
                           "\x01"
                           "1",
                           "1.5.5",
                           ".",
                           "e5",
                           "0x54p+-2",
                           "16777217",      // the first integer a float cannot hold
                           "16777217e-10",  // and beside the one-operation path
                           "1677721.7",
                           "9999999999999999999",         // the most digits summed in 64 bits,
                           "18446744073709551615e-10",    // then one digit more,
                           "18446744073709551617.5e-20",  // and across the bound
                           "1e+-2"};                      // "+-2" is no exponent: 84 and 1
    for (const char* text : cases) EXPECT_TRUE(SameFloat(text, ParseReal(text), RealOracle(text)));

    std::mt19937 random(99);
    for (int i = 0; i < 50000; ++i) {
        const std::string text = RandomText(random, "0123456789..eE+-xXpPainfAINFty() \t", 16);
        ASSERT_TRUE(SameFloat(text.c_str(), ParseReal(text.c_str()), RealOracle(text.c_str())));
    }
}

// The hard cases for a converter: texts exactly halfway between two floats
// (ties go to the even one), a hair above halfway with the deciding digit far
// beyond the digits kept, and truncations just below, over normal,
// subnormal and the largest floats.
TEST(Real, RoundsHalfwayCasesLikeStrtof) {
    std::mt19937 random(7);
    for (int i = 0; i < 3000; ++i) {
        uint32_t bits = random() & 0x7FFFFFFFu;
        if (i % 3 == 1) bits &= 0x007FFFFFu;                  // subnormal
        if (i % 3 == 2) bits = 0x7F7FFFFFu - (bits & 0xFFu);  // near the largest float
        if (bits >= 0x7F800000u) continue;
        float low;
        std::memcpy(&low, &bits, sizeof low);
        const double halfway = (static_cast<double>(low) + std::nextafter(low, INFINITY)) / 2;  // exact in a double
        char exact[256];
        std::snprintf(exact, sizeof exact, "%.160e", halfway);  // every digit, then zeros
        const std::string text = exact;
        const size_t mark = text.find('e');
        const std::string above = text.substr(0, mark) + std::string(40, '0') + "1" + text.substr(mark);
        const std::string below = text.substr(0, 25) + text.substr(mark);
        for (const std::string& candidate : {text, above, below}) {
            ASSERT_TRUE(SameFloat(candidate.c_str(), ParseReal(candidate.c_str()), RealOracle(candidate.c_str())));
        }
    }
}

}  // namespace
