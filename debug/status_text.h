// Formatting of the overlay's status text without printf. The overlay needs
// only "%s", "%d" and "%.2f", and the C library's float conversion is most of
// a pass's cost; these give printf's exact text (C99 rules, round half to
// even on exact ties) for every value, so Linux and Windows agree byte for
// byte whatever C library is underneath.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

// One value for a directive; it is written by its own kind, so a "%s" given
// a float still prints the float as "%.2f".
struct TextValue {
    enum class Kind : uint8_t { Text, Integer, Real };
    Kind kind;
    const char* text;  // Text: NUL-terminated
    int32_t integer;   // Integer, as "%d"
    float real;        // Real, as "%.2f"

    TextValue(const char* value) : kind(Kind::Text), text(value), integer(0), real(0.0f) {}
    TextValue(int32_t value) : kind(Kind::Integer), text(nullptr), integer(value), real(0.0f) {}
    TextValue(float value) : kind(Kind::Real), text(nullptr), integer(0), real(value) {}
};

// Longest "%.2f" of a float: a sign, 39 integer digits, the point and two
// decimals, and the NUL.
inline constexpr size_t Fixed2Capacity = 48;

// Writes `value` as printf's "%.2f" would into `out` (Fixed2Capacity bytes)
// and returns the length.
size_t FormatFixed2(float value, char (&out)[Fixed2Capacity]);

// Writes `format` into `out` (`capacity` bytes, at least 1), replacing each
// "%s", "%d" or "%.2f" by the next of `values` and "%%" by "%". The text is
// cut at capacity - 1 characters and always NUL-terminated. Returns the
// length written.
size_t FormatText(char* out, size_t capacity, const char* format, std::initializer_list<TextValue> values);
