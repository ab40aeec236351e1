// The overlay's printf-free formatting: "%.2f" against the C library over
// millions of floats, and the directives, escapes and cut of FormatText.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "debug/status_text.h"
#include "tests/debug/fixed2_check.h"

namespace {

std::string Fixed2(float value) {
    char text[Fixed2Capacity];
    FormatFixed2(value, text);
    return text;
}

TEST(StatusText, Fixed2MatchesPrintfOverMillionsOfFloats) {
    const Fixed2Report report = CompareFixed2WithPrintf(1021);
    EXPECT_GT(report.compared, 4000000u);
    EXPECT_EQ(report.mismatches, 0u) << report.first;
}

TEST(StatusText, Fixed2EdgeValues) {
    EXPECT_EQ(Fixed2(0.125f), "0.12");  // exact ties round to even
    EXPECT_EQ(Fixed2(0.375f), "0.38");
    EXPECT_EQ(Fixed2(-0.0f), "-0.00");
    EXPECT_EQ(Fixed2(-0.001f), "-0.00");
    EXPECT_EQ(Fixed2(2.0f), "2.00");
    EXPECT_EQ(Fixed2(1e30f), "1000000015047466219876688855040.00");
    EXPECT_EQ(Fixed2(std::numeric_limits<float>::max()), "340282346638528859811704183484516925440.00");
    EXPECT_EQ(Fixed2(std::numeric_limits<float>::denorm_min()), "0.00");
    EXPECT_EQ(Fixed2(std::numeric_limits<float>::infinity()), "inf");
    EXPECT_EQ(Fixed2(-std::numeric_limits<float>::infinity()), "-inf");
    EXPECT_EQ(Fixed2(std::numeric_limits<float>::quiet_NaN()), "nan");
    EXPECT_EQ(Fixed2(-std::numeric_limits<float>::quiet_NaN()), "-nan");
}

TEST(StatusText, FormatTextFillsDirectivesInOrder) {
    char out[128];
    EXPECT_EQ(FormatText(out, sizeof out, "%sa: %.2f\nb : %d%%\n%s", {"label\n", 2.5f, int32_t{-1}, "x.ini"}), 27u);
    EXPECT_STREQ(out, "label\na: 2.50\nb : -1%\nx.ini");
    FormatText(out, sizeof out, "%d %d", {std::numeric_limits<int32_t>::min(), int32_t{0}});
    EXPECT_STREQ(out, "-2147483648 0");
    // A directive without a value prints nothing.
    FormatText(out, sizeof out, "a%sb%s", {"1"});
    EXPECT_STREQ(out, "a1b");
}

TEST(StatusText, FormatTextCutsAtTheCapacity) {
    char out[8];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(FormatText(out, 6, "%s and more", {"abcdef"}), 5u);
    EXPECT_STREQ(out, "abcde");
    EXPECT_EQ(out[6], '#');
    EXPECT_EQ(FormatText(out, 4, "ab%.2f", {123.0f}), 3u);
    EXPECT_STREQ(out, "ab1");
    EXPECT_EQ(FormatText(out, 1, "anything", {}), 0u);
    EXPECT_STREQ(out, "");
}

}  // namespace
