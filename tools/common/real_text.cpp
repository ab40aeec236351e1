#include "tools/common/real_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// NaN and the infinities, spelled the same everywhere; false for a finite value.
bool AppendNonFinite(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "nan";
        return true;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-inf" : "inf";
        return true;
    }
    return false;
}

}  // namespace

void AppendExactReal(std::string& out, float value) {
    if (AppendNonFinite(out, value)) return;
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::general, 9);
    out.append(buffer, result.ptr);
}

std::string ExactRealText(float value) {
    std::string text;
    AppendExactReal(text, value);
    return text;
}

void AppendShortestReal(std::string& out, float value) {
    if (AppendNonFinite(out, value)) return;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

std::string ShortestRealText(float value) {
    std::string text;
    AppendShortestReal(text, value);
    return text;
}

std::string RoundedRealText(double value, int digits) {
    std::string text;
    if (AppendNonFinite(text, value)) return text;
    if (value == 0) return "0";  // -0 too
    char buffer[64];
    const double magnitude = std::fabs(value);
    if (magnitude < 1e-3 || magnitude >= 1e6) {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
        return std::string(buffer, result.ptr);
    }
    // Decimals that keep `digits` significant digits; a value that rounds up
    // to the next power of ten (9.996 to 10.0) keeps one fewer.
    const int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    const double unit = std::pow(10.0, exponent - (digits - 1));
    const double rounded = std::round(value / unit) * unit;
    const int decimals = std::max(0, digits - 1 - exponent);
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, decimals);
    text.assign(buffer, result.ptr);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}
