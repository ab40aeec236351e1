// Locale-free key-code and real parsing for the configuration reader.
#include "config/number_text.h"

#include <bit>
#include <cstdint>
#include <limits>

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

// Reals are converted here rather than by std::from_chars: the library's
// converter comes with the C++ exception runtime, and in the Windows build
// that runtime brings the threads library into the DLL (thread-local storage
// that is never released, a vectored exception handler), although the
// module starts no thread. The conversion is exact, rounding to nearest with
// ties to even, as strtof does.

// A non-negative integer in 32-bit limbs, least significant first, wide
// enough for every intermediate value below (at most about 430 bits).
struct WideNumber {
    static constexpr int Capacity = 20;
    uint32_t limb[Capacity];
    int size;  // limbs in use; the highest one is non-zero (0 for the value 0)
};

WideNumber Wide(uint64_t value) {
    WideNumber number{};
    number.limb[0] = static_cast<uint32_t>(value);
    number.limb[1] = static_cast<uint32_t>(value >> 32);
    number.size = value >> 32 != 0 ? 2 : value != 0 ? 1 : 0;
    return number;
}

// number = number * factor + addend
void MultiplyAdd(WideNumber& number, uint32_t factor, uint32_t addend) {
    uint64_t carry = addend;
    for (int i = 0; i < number.size; ++i) {
        const uint64_t product = uint64_t{number.limb[i]} * factor + carry;
        number.limb[i] = static_cast<uint32_t>(product);
        carry = product >> 32;
    }
    if (carry != 0 && number.size < WideNumber::Capacity) number.limb[number.size++] = static_cast<uint32_t>(carry);
    while (number.size > 0 && number.limb[number.size - 1] == 0) --number.size;
}

void MultiplyByPower(WideNumber& number, uint32_t base, int exponent) {
    for (; exponent > 0; --exponent) MultiplyAdd(number, base, 0);
}

void ShiftLeft(WideNumber& number, int bits) {
    for (; bits >= 32; bits -= 32) {
        if (number.size == 0 || number.size == WideNumber::Capacity) break;
        for (int i = number.size; i > 0; --i) number.limb[i] = number.limb[i - 1];
        number.limb[0] = 0;
        ++number.size;
    }
    if (bits > 0) MultiplyAdd(number, uint32_t{1} << bits, 0);
}

int BitLength(const WideNumber& number) {
    if (number.size == 0) return 0;
    return (number.size - 1) * 32 + static_cast<int>(std::bit_width(number.limb[number.size - 1]));
}

bool Bit(const WideNumber& number, int index) {
    const int limb = index / 32;
    return limb < number.size && ((number.limb[limb] >> (index % 32)) & 1) != 0;
}

int Compare(const WideNumber& a, const WideNumber& b) {
    if (a.size != b.size) return a.size < b.size ? -1 : 1;
    for (int i = a.size - 1; i >= 0; --i) {
        if (a.limb[i] != b.limb[i]) return a.limb[i] < b.limb[i] ? -1 : 1;
    }
    return 0;
}

// A positive value as q * 2^exponent, plus "a little more" when `sticky`:
// q carries at least two bits below the 24 a float keeps whenever sticky is
// set, so that the rounding below sees both the half and what lies beyond it.
struct ScaledValue {
    uint64_t q;
    int64_t exponent;
    bool sticky;
};

// The float nearest to the value, ties to even; an infinity above the largest
// float, a subnormal or zero below the smallest normal.
float RoundToFloat(ScaledValue value) {
    if (value.q == 0) return 0.0f;
    const int64_t topExponent = static_cast<int64_t>(std::bit_width(value.q)) - 1 + value.exponent;
    if (topExponent > 128) return std::numeric_limits<float>::infinity();
    // The lowest bit a float keeps: 23 below the top bit, never below 2^-149.
    const int64_t lowestKept = topExponent - 23 > -149 ? topExponent - 23 : -149;
    const int64_t shift = lowestKept - value.exponent;
    uint64_t mantissa = 0;
    if (shift <= 0) {
        mantissa = value.q << -shift;  // exact: fewer than 24 bits
    } else if (shift < 64) {
        mantissa = value.q >> shift;
        const uint64_t rest = value.q & ((uint64_t{1} << shift) - 1);
        const uint64_t half = uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (value.sticky || (mantissa & 1) != 0))) ++mantissa;
    }  // else: far below half the smallest subnormal
    int64_t exponent = lowestKept;
    if (mantissa == (uint64_t{1} << 24)) {  // rounded up to the next power of two
        mantissa >>= 1;
        ++exponent;
    }
    uint32_t bits = static_cast<uint32_t>(mantissa);  // subnormal: the mantissa is the encoding
    if (mantissa >= (uint64_t{1} << 23)) {
        const int64_t biased = exponent + 23 + 127;
        if (biased >= 255) return std::numeric_limits<float>::infinity();
        bits = static_cast<uint32_t>(biased) << 23 | static_cast<uint32_t>(mantissa - (uint64_t{1} << 23));
    }
    return std::bit_cast<float>(bits);
}

// The top 27 bits of a wide integer as q, the bits below them as sticky.
ScaledValue TopBits(const WideNumber& number) {
    const int length = BitLength(number);
    const int low = length > 27 ? length - 27 : 0;
    ScaledValue value{0, low, false};
    for (int i = length - 1; i >= low; --i) value.q = value.q << 1 | (Bit(number, i) ? 1 : 0);
    for (int i = 0; i < low && !value.sticky; ++i) value.sticky = Bit(number, i);
    return value;
}

// Saturates a written exponent far outside any float, so that it cannot overflow.
constexpr int64_t ExponentLimit = 100000;

// Reads "[+-]digits" after an exponent mark; leaves `p` alone when no digit follows.
int64_t ReadExponent(const char*& p) {
    const char* q = p;
    bool negative = false;
    if (*q == '+' || *q == '-') negative = (*q++ == '-');
    if (!IsDecimalDigit(*q)) return 0;
    int64_t exponent = 0;
    for (; IsDecimalDigit(*q); ++q) {
        if (exponent < ExponentLimit) exponent = exponent * 10 + (*q - '0');
    }
    p = q;
    return negative ? -exponent : exponent;
}

// Digits kept exactly. A float and every halfway point between two floats
// has at most 113 significant decimal digits, so the digits after these only
// matter as "zero or not": they become one more digit 1 when not.
constexpr int MaxDecimalDigits = 125;

// "digits[.digits][e[+-]digits]", starting with a digit or a point and a digit.
// Leaves `p` just past what it read.
float DecimalToFloat(const char*& p) {
    // The first digits are summed in 64 bits (any 19 fit), the rest, which
    // few values have, in a wide number.
    constexpr int HeadDigits = 19;
    uint64_t head = 0;
    WideNumber digits;
    int count = 0;         // significant digits kept
    int64_t exponent = 0;  // decimal exponent of the last digit kept
    bool droppedNonZero = false;
    bool afterPoint = false;
    for (;; ++p) {
        if (*p == '.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        if (!IsDecimalDigit(*p)) break;
        const uint32_t digit = static_cast<uint32_t>(*p - '0');
        if (count == 0 && digit == 0) {
            if (afterPoint) --exponent;  // a leading zero only moves the point
        } else if (count < MaxDecimalDigits) {
            if (count < HeadDigits) {
                head = head * 10 + digit;
            } else {
                if (count == HeadDigits) digits = Wide(head);
                MultiplyAdd(digits, 10, digit);
            }
            ++count;
            if (afterPoint) --exponent;
        } else {
            droppedNonZero = droppedNonZero || digit != 0;
            if (!afterPoint) ++exponent;
        }
    }
    if ((*p | 0x20) == 'e') {
        // An exponent mark without digits after it is not read.
        const char* mark = ++p;
        exponent += ReadExponent(p);
        if (p == mark) --p;
    }
    if (count == 0) return 0.0f;
    if (droppedNonZero) {
        MultiplyAdd(digits, 10, 1);
        ++count;
        --exponent;
    }
    // The leading digit's decimal exponent settles the far cases: 1e39 is
    // beyond the largest float, 1e-46 below half the smallest subnormal.
    const int64_t leading = exponent + count - 1;
    if (leading >= 39) return std::numeric_limits<float>::infinity();
    if (leading <= -47) return 0.0f;

    // The short values a file holds ("800.0", "0.25") take one float
    // operation: both operands are exact floats (digits below 2^24, powers of
    // ten up to 10^10), and one IEEE operation rounds its exact result to
    // nearest, ties to even, as the long way does.
    if (count <= HeadDigits && head <= (uint64_t{1} << 24) && exponent >= -10 && exponent <= 10) {
        static constexpr float ExactPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
        const auto value = static_cast<float>(head);
        return exponent >= 0 ? value * ExactPowersOfTen[exponent] : value / ExactPowersOfTen[-exponent];
    }
    if (count <= HeadDigits) digits = Wide(head);
    if (exponent >= 0) {
        MultiplyByPower(digits, 10, static_cast<int>(exponent));
        return RoundToFloat(TopBits(digits));
    }
    // digits / 10^k = (digits * 2^s / 5^k) * 2^(-s-k), with s chosen so that
    // the quotient has 26 or 27 bits.
    const int k = static_cast<int>(-exponent);
    WideNumber divisor = Wide(1);
    MultiplyByPower(divisor, 5, k);
    const int s = 26 - (BitLength(digits) - BitLength(divisor));
    if (s > 0) ShiftLeft(digits, s);
    if (s < 0) ShiftLeft(divisor, -s);
    uint64_t quotient = 0;
    for (int bit = 27; bit >= 0; --bit) {
        const uint32_t candidate = static_cast<uint32_t>(quotient | (uint64_t{1} << bit));
        WideNumber product = divisor;
        MultiplyAdd(product, candidate, 0);
        if (Compare(product, digits) <= 0) quotient = candidate;
    }
    WideNumber product = divisor;
    MultiplyAdd(product, static_cast<uint32_t>(quotient), 0);
    return RoundToFloat({quotient, -int64_t{s} - k, Compare(product, digits) != 0});
}

// "hexdigits[.hexdigits][p[+-]digits]" after the "0x", at least one digit.
float HexToFloat(const char*& p) {
    constexpr int MaxHexDigits = 15;  // 60 bits: room for the shifts of the rounding
    ScaledValue value{0, 0, false};
    int count = 0;
    bool afterPoint = false;
    for (;; ++p) {
        if (*p == '.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        const int digit = HexDigitValue(*p);
        if (digit < 0) break;
        if (count == 0 && digit == 0) {
            if (afterPoint) value.exponent -= 4;
        } else if (count < MaxHexDigits) {
            value.q = value.q << 4 | static_cast<uint64_t>(digit);
            ++count;
            if (afterPoint) value.exponent -= 4;
        } else {
            value.sticky = value.sticky || digit != 0;
            if (!afterPoint) value.exponent += 4;
        }
    }
    if ((*p | 0x20) == 'p') {
        const char* mark = ++p;
        value.exponent += ReadExponent(p);
        if (p == mark) --p;
    }
    return RoundToFloat(value);
}

bool StartsWithWord(const char* text, const char* lowerCaseWord) {
    for (; *lowerCaseWord != '\0'; ++text, ++lowerCaseWord) {
        if ((*text | 0x20) != *lowerCaseWord) return false;
    }
    return true;
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

    float value = 0.0f;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        // As with strtof, "0x" must be followed by a hexadecimal digit (or a
        // point and one) to start a hexadecimal number; else "0" is the number.
        const char* q = p + 2;
        if (HexDigitValue(q[0]) >= 0 || (q[0] == '.' && HexDigitValue(q[1]) >= 0)) {
            value = HexToFloat(q);
            p = q;
        } else {
            ++p;
        }
    } else if (IsDecimalDigit(p[0]) || (p[0] == '.' && IsDecimalDigit(p[1]))) {
        value = DecimalToFloat(p);
    } else if (StartsWithWord(p, "inf")) {
        value = std::numeric_limits<float>::infinity();
        p += StartsWithWord(p, "infinity") ? 8 : 3;
    } else if (StartsWithWord(p, "nan")) {
        value = std::numeric_limits<float>::quiet_NaN();  // a "(...)" payload is read past, not kept
        p += 3;
        if (*p == '(') {
            const char* q = p + 1;
            while (IsDecimalDigit(*q) || ((*q | 0x20) >= 'a' && (*q | 0x20) <= 'z') || *q == '_') ++q;
            if (*q == ')') p = q + 1;
        }
    } else {
        return 0.0f;  // no number at all ("junk", "+-1", "-."): +0, whatever the sign
    }
    *used = static_cast<size_t>(p - text);
    return negative ? -value : value;
}
