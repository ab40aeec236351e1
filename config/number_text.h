// Numbers from configuration text, parsed the same way on every platform and
// whatever locale the game process has set: the C library's own functions
// depend on the locale and on the width of long, so these are our own.
#pragma once

#include <cstddef>
#include <cstdint>

// A key code: strtol(text, nullptr, 16) as on Windows, where long is 32 bits:
// leading C white space, an optional sign, an optional "0x"/"0X", hexadecimal
// digits up to the first other character. No digits gives 0; a value outside
// the 32-bit range clamps to INT32_MAX (or INT32_MIN when negative). When
// `used` is given it receives the characters the number took (0: none).
int32_t ParseKeyCode(const char* text, size_t* used = nullptr);

// A real: strtof(text, nullptr) in the "C" locale: leading C white space, an
// optional sign, then the longest prefix that reads as a decimal or "0x"
// hexadecimal number, "inf", "infinity" or "nan[(...)]" (any case). No number
// gives 0; overflow gives an infinity and underflow a zero of the same sign.
// When `used` is given it receives the characters the number took (0: none).
float ParseReal(const char* text, size_t* used = nullptr);
