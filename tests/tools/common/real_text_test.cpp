// Real-number text for the tools: exact where a value must read back, and
// rounded for a person where it is a range to read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

#include "tools/common/real_text.h"

namespace {

TEST(RealText, ExactShortestAndRounded) {
    EXPECT_EQ(ExactRealText(0.03f), "0.0299999993");
    EXPECT_EQ(ShortestRealText(0.03f), "0.03");
    EXPECT_EQ(ShortestRealText(1e-45f), "1e-45");
    for (const float value : {0.03f, 0.00999999f, 0.999995f, 1234.5677f, 3.4e38f, -1e-45f}) {
        EXPECT_EQ(std::strtof(ShortestRealText(value).c_str(), nullptr), value) << ShortestRealText(value);
    }
    const struct {
        double value;
        const char* text;
    } rounded[] = {
        {0.00999999, "0.01"}, {0.999995, "1"}, {3298.5, "3300"},   {9.996, "10"},         {1.5051, "1.51"},
        {-0.0049, "-0.0049"}, {-0.0, "0"},     {0.00001, "1e-05"}, {1234567, "1.23e+06"}, {800, "800"},
    };
    for (const auto& c : rounded) EXPECT_EQ(RoundedRealText(c.value), c.text) << c.value;
    EXPECT_EQ(RoundedRealText(std::numeric_limits<double>::quiet_NaN()), "nan");
    EXPECT_EQ(ShortestRealText(-std::numeric_limits<float>::infinity()), "-inf");
}

}  // namespace
