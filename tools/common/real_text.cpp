#include "tools/common/real_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

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
    // Rounded by to_chars, which rounds the binary value exactly (the same
    // on every system, unlike arithmetic through pow), then written out
    // without the exponent: "3.30e+03" is 3300.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits - 1);
    const std::string scientific(buffer, result.ptr);
    const size_t mark = scientific.find('e');
    const int exponent = std::stoi(scientific.substr(mark + 1));
    std::string mantissa;
    for (const char c : scientific.substr(0, mark)) {
        if (c >= '0' && c <= '9') mantissa += c;
    }
    if (value < 0) text += '-';
    if (exponent < 0) {
        text += "0.";
        text.append(static_cast<size_t>(-exponent - 1), '0');
        text += mantissa;
    } else {
        const size_t whole = static_cast<size_t>(exponent) + 1;
        if (mantissa.size() < whole) mantissa.append(whole - mantissa.size(), '0');
        text += mantissa.substr(0, whole);
        if (mantissa.size() > whole) {
            text += '.';
            text.append(mantissa, whole);
        }
    }
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

void AppendCoordinate(std::string& out, double value) {
    if (AppendNonFinite(out, value)) return;
    if (std::fabs(value) >= 1e15) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.1f", value);
        out += buffer;
        return;
    }
    const long long tenths = std::llround(value * 10);
    if (tenths < 0) out += '-';
    const unsigned long long magnitude = static_cast<unsigned long long>(tenths < 0 ? -tenths : tenths);
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude / 10);
    out.append(buffer, result.ptr);
    out += '.';
    out += static_cast<char>('0' + magnitude % 10);
}

std::string CoordinateText(double value) {
    std::string text;
    AppendCoordinate(text, value);
    return text;
}

std::string GeneralRealText(double value) {
    std::string text;
    if (AppendNonFinite(text, value)) return text;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}
