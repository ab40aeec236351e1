// Locale-free key-code and real parsing for the configuration reader.
#include "config/number_text.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

// The "C" locale's isspace, independent of the process locale.
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Decides the direction of a from_chars range error, which leaves its result
// untouched: strtof then returns an infinity for overflow and a zero for
// underflow. Only magnitudes far above 1 (beyond the float range) or far below
// it (under the smallest subnormal) get here, so the decimal or binary
// exponent of the leading significant digit settles it.
bool MagnitudeAboveOne(const char* digits, const char* end, bool hex) {
    const char exponentMark = hex ? 'p' : 'e';
    long position = 0;           // exponent of the first significant digit
    bool seenSignificant = false;
    bool afterPoint = false;
    const char* p = digits;
    for (; p < end; ++p) {
        const char c = *p;
        if (c == '.') { afterPoint = true; continue; }
        if ((c | 0x20) == exponentMark) break;
        const bool isZero = (c == '0');
        if (!seenSignificant) {
            if (isZero) {
                if (afterPoint) --position;
                continue;
            }
            seenSignificant = true;
            if (afterPoint) --position;
            continue;
        }
        if (!afterPoint) ++position;
    }
    long exponent = 0;
    if (p < end) {
        ++p;
        bool negative = false;
        if (p < end && (*p == '+' || *p == '-')) negative = (*p++ == '-');
        for (; p < end && IsDecimalDigit(*p); ++p) {
            if (exponent < 100000000) exponent = exponent * 10 + (*p - '0');
        }
        if (negative) exponent = -exponent;
    }
    if (hex) position *= 4;  // a hexadecimal digit is four binary places
    return position + exponent >= 0;
}

}  // namespace

int32_t ParseKeyCode(const char* text, size_t* used) {
    const char* p = text;
    while (IsCSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    // "0x" counts as a prefix only when a hexadecimal digit follows it;
    // otherwise the "0" alone is the number.
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && HexDigitValue(p[2]) >= 0) p += 2;
    // The magnitude saturates just past the 32-bit range: |INT32_MIN| is the
    // largest magnitude that still fits (negative only).
    constexpr uint64_t Limit = uint64_t{1} << 31;
    uint64_t magnitude = 0;
    const char* digits = p;
    for (int digit; (digit = HexDigitValue(*p)) >= 0; ++p) {
        magnitude = magnitude * 16 + static_cast<uint64_t>(digit);
        if (magnitude > Limit) magnitude = Limit + 1;
    }
    if (used != nullptr) *used = p == digits ? 0 : static_cast<size_t>(p - text);
    if (negative) {
        if (magnitude >= Limit) return std::numeric_limits<int32_t>::min();
        return -static_cast<int32_t>(magnitude);
    }
    if (magnitude >= Limit) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(magnitude);
}

float ParseReal(const char* text, size_t* used) {
    size_t ignored = 0;
    if (used == nullptr) used = &ignored;
    *used = 0;
    const char* p = text;
    while (IsCSpace(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    const char* end = p + std::strlen(p);

    bool hex = false;
    const char* digits = p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        // As with strtof, "0x" must be followed by a hexadecimal digit (or a
        // point and one) to start a hexadecimal number; else "0" is the number.
        const char* q = p + 2;
        const bool startsNumber = HexDigitValue(q[0]) >= 0 || (q[0] == '.' && HexDigitValue(q[1]) >= 0);
        if (!startsNumber) {  // the "0" was the number
            *used = static_cast<size_t>(p + 1 - text);
            return negative ? -0.0f : 0.0f;
        }
        hex = true;
        digits = q;
    } else if (!(IsDecimalDigit(*p) || *p == '.' || ((*p | 0x20) == 'i') || ((*p | 0x20) == 'n'))) {
        // No number at all (from_chars would also take a second sign, "+-1").
        return 0.0f;
    }

    float value = 0.0f;
    const std::from_chars_result result =
        std::from_chars(digits, end, value, hex ? std::chars_format::hex : std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return 0.0f;
    *used = static_cast<size_t>(result.ptr - text);
    if (result.ec == std::errc::result_out_of_range) {
        value = MagnitudeAboveOne(digits, result.ptr, hex) ? std::numeric_limits<float>::infinity() : 0.0f;
    }
    return negative ? -value : value;
}
