// What the C++ library of the web build's compiler lacks of C++20, given to
// every source of that build by `-include` (web/CMakeLists.txt), so that the
// module, the simulator and the tools compile unchanged: std::bit_cast,
// std::make_shared_for_overwrite, and std::to_chars and std::from_chars for
// reals. That library declares the
// real overloads deleted, so the calls are steered by a macro to functions
// of another name that serve integers through the library and reals here.
// Reals go through the C library's printf and strtod, which round exactly in
// the "C" locale; the shortest form is the fewest digits that read back.
#pragma once

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>

#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
    requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

#if !defined(__cpp_lib_smart_ptr_for_overwrite)
namespace std {
template <class T>
    requires(!is_array_v<T>)
shared_ptr<T> make_shared_for_overwrite() {
    return shared_ptr<T>(new T);  // default-initialised, as the library's own leaves it
}
template <class T>
    requires(!is_array_v<T>)
unique_ptr<T> make_unique_for_overwrite() {
    return unique_ptr<T>(new T);
}
}  // namespace std
#endif

namespace std {
namespace web_compat {

inline to_chars_result Written(char* first, char* last, const char* text) {
    const size_t length = strlen(text);
    if (static_cast<size_t>(last - first) < length) return {last, errc::value_too_large};
    memcpy(first, text, length);
    return {first + length, errc{}};
}

// The shortest text of `value` that reads back to it: %e's digits with the
// fewest that round-trip, then the fixed or the scientific spelling,
// whichever is shorter (fixed on a tie), as std::to_chars chooses.
template <class Real> to_chars_result Shortest(char* first, char* last, Real value) {
    char text[64];
    if (!(value == value) || value - value != 0) {  // NaN or an infinity
        snprintf(text, sizeof text, "%g", static_cast<double>(value));
        return Written(first, last, text);
    }
    const int most = is_same_v<Real, float> ? 9 : 17;
    char scientific[64];
    for (int digits = 1; digits <= most; ++digits) {
        snprintf(scientific, sizeof scientific, "%.*e", digits - 1, static_cast<double>(value));
        const Real back = is_same_v<Real, float> ? static_cast<Real>(strtof(scientific, nullptr))
                                                 : static_cast<Real>(strtod(scientific, nullptr));
        if (back == value) break;
    }
    // scientific: [-]d[.ddd]e[+-]XX
    const char* mark = strchr(scientific, 'e');
    const int exponent = atoi(mark + 1);
    string mantissa;
    for (const char* c = scientific; c < mark; ++c) {
        if (*c >= '0' && *c <= '9') mantissa += *c;
    }
    const bool negative = scientific[0] == '-';
    string fixed = negative ? "-" : "";
    const int count = static_cast<int>(mantissa.size());
    if (exponent < 0) {
        fixed += "0.";
        fixed.append(static_cast<size_t>(-exponent - 1), '0');
        fixed += mantissa;
    } else if (exponent + 1 >= count) {
        fixed += mantissa;
        fixed.append(static_cast<size_t>(exponent + 1 - count), '0');
    } else {
        fixed += mantissa.substr(0, static_cast<size_t>(exponent + 1));
        fixed += '.';
        fixed += mantissa.substr(static_cast<size_t>(exponent + 1));
    }
    return Written(first, last, fixed.size() <= strlen(scientific) ? fixed.c_str() : scientific);
}

inline to_chars_result Formatted(char* first, char* last, double value, chars_format format, int precision) {
    char text[512];
    const char* spelling = format == chars_format::scientific ? "%.*e" : format == chars_format::fixed ? "%.*f" : "%.*g";
    snprintf(text, sizeof text, spelling, precision, value);
    return Written(first, last, text);
}

// strtod's reading of a real, held to what std::from_chars accepts: no
// leading white space or '+', no hexadecimal prefix (only its "0" is read).
template <class Real> from_chars_result Parse(const char* first, const char* last, Real& value) {
    char text[128];
    size_t length = static_cast<size_t>(last - first);
    if (length >= sizeof text) length = sizeof text - 1;
    memcpy(text, first, length);
    text[length] = '\0';
    const char* digits = text[0] == '-' ? text + 1 : text;
    if (length == 0 || *digits == '+' || *digits == '-' || isspace(static_cast<unsigned char>(*digits)))
        return {first, errc::invalid_argument};
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) const_cast<char*>(digits)[1] = '\0';
    char* end = nullptr;
    errno = 0;
    const Real parsed = is_same_v<Real, float> ? static_cast<Real>(strtof(text, &end)) : static_cast<Real>(strtod(text, &end));
    if (end == text) return {first, errc::invalid_argument};
    const char* stop = first + (end - text);
    if (errno == ERANGE) return {stop, errc::result_out_of_range};
    value = parsed;
    return {stop, errc{}};
}

}  // namespace web_compat

template <class Integer>
    requires is_integral_v<Integer>
to_chars_result web_to_chars(char* first, char* last, Integer value, int base = 10) {
    return to_chars(first, last, value, base);
}
// A flight's timeline writes the same few thousand values again and again,
// and each search above costs up to nine rounds of printf and strtof in long
// double arithmetic, which WebAssembly emulates: it was most of an edit's
// redraw. The last text of each of 16384 slots, keyed by the value's bits.
inline to_chars_result web_to_chars(char* first, char* last, float value) {
    struct Slot {
        uint32_t bits;
        uint8_t length;  // 0: empty
        char text[23];
    };
    static Slot slots[16384];
    const uint32_t bits = __builtin_bit_cast(uint32_t, value);
    Slot& slot = slots[(bits * 2654435761u) >> 18];
    if (slot.length != 0 && slot.bits == bits) {
        if (static_cast<size_t>(last - first) < slot.length) return {last, errc::value_too_large};
        memcpy(first, slot.text, slot.length);
        return {first + slot.length, errc{}};
    }
    char text[sizeof slot.text];
    const to_chars_result result = web_compat::Shortest(text, text + sizeof text, value);
    const size_t length = static_cast<size_t>(result.ptr - text);
    if (result.ec != errc{}) return web_compat::Shortest(first, last, value);
    slot = Slot{bits, static_cast<uint8_t>(length), {}};
    memcpy(slot.text, text, length);
    if (static_cast<size_t>(last - first) < length) return {last, errc::value_too_large};
    memcpy(first, text, length);
    return {first + length, errc{}};
}
inline to_chars_result web_to_chars(char* first, char* last, double value) {
    return web_compat::Shortest(first, last, value);
}
inline to_chars_result web_to_chars(char* first, char* last, double value, chars_format format, int precision) {
    return web_compat::Formatted(first, last, value, format, precision);
}

template <class Integer>
    requires is_integral_v<Integer>
from_chars_result web_from_chars(const char* first, const char* last, Integer& value, int base = 10) {
    return from_chars(first, last, value, base);
}
inline from_chars_result web_from_chars(const char* first, const char* last, float& value) {
    return web_compat::Parse(first, last, value);
}
inline from_chars_result web_from_chars(const char* first, const char* last, double& value) {
    return web_compat::Parse(first, last, value);
}

}  // namespace std

#define to_chars web_to_chars
#define from_chars web_from_chars
