// The platform seam: everything the module needs from the operating system,
// and nothing else. Windows implements it with Win32 (platform_win32.cpp); on
// Linux the simulated host implements it (sim/sim_platform.cpp), with the
// portable profile reader (platform/portable_profile.h) for the file reads.
// No platform header leaks through here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Writes the full path of the game executable into buffer (capacity bytes,
// NUL included) and returns its length. A path that does not fit is cut
// and the result is capacity (the caller treats that as unusable); 0 when
// the path cannot be had.
uint32_t GameExecutablePath(char* buffer, uint32_t capacity);

// Milliseconds since an arbitrary start; wraps modulo 2^32.
uint32_t TickCount();

// A pseudo-random number in 0..32767 from the C runtime's never-seeded
// generator (on Linux a deterministic stand-in for it).
int Random();

// One key read of a configuration load. The reader fills the result field
// of its kind: `number` for Integer, `text` for Text.
enum class ProfileReadKind : uint8_t { Integer, Text };

struct ProfileRead {
    const char* section;       // section name, matched without regard to case
    const char* key;           // key name, matched without regard to case
    ProfileReadKind kind;
    int32_t defaultNumber;     // Integer: the result for an absent or empty key
    const char* defaultText;   // Text: the result for an absent key
    char* text;                // Text: destination, always NUL-terminated
    uint32_t capacity;         // Text: size of `text`, NUL included
    int32_t number;            // Integer: result
};

// Performs `count` profile reads from the file at `path`, each exactly as the
// Windows profile functions would (GetPrivateProfileIntA for Integer,
// GetPrivateProfileStringA for Text). An absent or unreadable file gives
// every read its default. The batch lets a platform without those functions
// parse the file once per load.
void ReadProfile(const char* path, ProfileRead* reads, size_t count);

// A stretch of bytes of the game executable's image.
struct MemoryRange {
    const unsigned char* begin;
    const unsigned char* end;  // one past the last byte; begin == end when empty
};

// The whole image of the game executable as loaded; empty when unknown.
MemoryRange GameImage();

// The readable, committed bytes from `address` on, up to `limit`: empty when
// the page at `address` cannot be read. A scan calls it to step over holes.
MemoryRange ReadableRangeAt(const unsigned char* address, const unsigned char* limit);

// Writes one byte when `address` lies inside the game image and its page is
// writable; otherwise does nothing. Returns whether the byte was written.
bool WriteImageByte(unsigned char* address, unsigned char value);

}  // namespace platform
