// Exact "%.2f" by integer arithmetic: a finite float is m * 2^e with m below
// 2^24. When e >= 0 the float is an integer below 2^128; otherwise 100 times
// it is m * 100 / 2^-e, and rounding that to an integer is exact in 64 bits.
#include "debug/status_text.h"

#include <bit>
#include <cstring>

namespace {

constexpr int MantissaBits = 23;
constexpr uint32_t ExponentMask = 0xFFu;
constexpr int ExponentBias = 150;  // e = exponent field - 150 for normal floats
constexpr int SubnormalExponent = -149;

// Writes `value` in decimal backwards, ending just before `end`; returns the
// first character.
template <typename Unsigned> char* WriteDecimalBackwards(Unsigned value, char* end) {
    do {
        *--end = static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    } while (value != 0);
    return end;
}

// m * 100 / 2^shift rounded to an integer, half to even as printf rounds in
// the default rounding mode.
uint64_t RoundedHundredths(uint64_t mantissa, int shift) {
    const uint64_t scaled = mantissa * 100;  // below 2^31
    if (shift >= 32) return 0;               // below a half
    const uint64_t whole = scaled >> shift;
    const uint64_t rest = scaled - (whole << shift);
    const uint64_t half = uint64_t{1} << (shift - 1);
    return whole + ((rest > half || (rest == half && (whole & 1) != 0)) ? 1 : 0);
}

size_t CopyOut(const char* text, char (&out)[Fixed2Capacity]) {
    size_t length = 0;
    for (; text[length] != '\0'; ++length) out[length] = text[length];
    out[length] = '\0';
    return length;
}

}  // namespace

size_t FormatFixed2(float value, char (&out)[Fixed2Capacity]) {
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    const bool negative = (bits >> 31) != 0;
    const uint32_t exponentField = (bits >> MantissaBits) & ExponentMask;
    const uint32_t mantissaField = bits & ((1u << MantissaBits) - 1);
    if (exponentField == ExponentMask) {
        // Spelled as glibc spells them, so that both platforms agree.
        if (mantissaField != 0) return CopyOut(negative ? "-nan" : "nan", out);
        return CopyOut(negative ? "-inf" : "inf", out);
    }
    const int exponent = exponentField == 0 ? SubnormalExponent : static_cast<int>(exponentField) - ExponentBias;
    const uint64_t mantissa = exponentField == 0 ? mantissaField : (mantissaField | (1u << MantissaBits));

    char digits[Fixed2Capacity];
    char* const end = digits + sizeof digits - 1;
    *end = '\0';
    end[-3] = '.';
    char* start;
    if (exponent >= 0) {
        end[-2] = '0';
        end[-1] = '0';
        start = WriteDecimalBackwards(static_cast<unsigned __int128>(mantissa) << exponent, end - 3);
    } else {
        const uint64_t hundredths = RoundedHundredths(mantissa, -exponent);
        end[-2] = static_cast<char>('0' + hundredths / 10 % 10);
        end[-1] = static_cast<char>('0' + hundredths % 10);
        start = WriteDecimalBackwards(hundredths / 100, end - 3);
    }
    // printf keeps the sign of a negative value that rounds to zero: "-0.00".
    if (negative) *--start = '-';
    return CopyOut(start, out);
}

size_t FormatText(char* out, size_t capacity, const char* format, std::initializer_list<TextValue> values) {
    size_t length = 0;
    // Appends whole runs at a time; the overlay formats some 500 characters a frame.
    const auto put = [&](const char* text, size_t count) {
        const size_t room = capacity - 1 - length;
        if (count > room) count = room;
        std::memcpy(out + length, text, count);
        length += count;
    };
    const TextValue* next = values.begin();
    char number[Fixed2Capacity];
    const char* at = format;
    for (;;) {
        const char* percent = std::strchr(at, '%');
        if (percent == nullptr) {
            put(at, std::strlen(at));
            break;
        }
        put(at, static_cast<size_t>(percent - at));
        at = percent + 1;
        if (*at == '%') {
            put(at++, 1);
            continue;
        }
        // The directive ends at its conversion letter: "s", "d" or ".2f".
        while (*at != '\0' && *at != 's' && *at != 'd' && *at != 'f') ++at;
        if (*at != '\0') ++at;
        if (next == values.end()) continue;
        const TextValue& value = *next++;
        switch (value.kind) {
        case TextValue::Kind::Text: put(value.text, std::strlen(value.text)); break;
        case TextValue::Kind::Integer: {
            const int64_t integer = value.integer;
            char* const numberEnd = number + sizeof number;
            char* start = WriteDecimalBackwards(static_cast<uint64_t>(integer < 0 ? -integer : integer), numberEnd);
            if (integer < 0) *--start = '-';
            put(start, static_cast<size_t>(numberEnd - start));
            break;
        }
        case TextValue::Kind::Real: put(number, FormatFixed2(value.real, number)); break;
        }
    }
    out[length] = '\0';
    return length;
}
