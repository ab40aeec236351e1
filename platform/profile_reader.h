// The profile reader: answers key reads from a profile (INI) file with the
// results GetPrivateProfileIntA and GetPrivateProfileStringA give (as wine
// implements them, in the Western code page 1252) on everything a file can
// hold. A whole batch of reads is answered in one pass of the lexer
// (platform/profile_lexer.h) over the file: fixed buffers, no heap.
//
// Not re-entrant: a pass keeps its state in module-level buffers, and the
// module reads its configuration from one coroutine only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/profile_lexer.h"

namespace platform {

// A text read with a larger capacity is served as if its capacity were this
// (so at most ProfileMaxTextCapacity - 1 characters). The module reads 64.
inline constexpr size_t ProfileMaxTextCapacity = ProfileValueCapacity;
// Section and key names asked for may be at most this long; a longer name
// matches nothing.
inline constexpr size_t ProfileMaxNameLength = ProfileNameCapacity - 1;
// Reads served by one pass over the file; a larger batch takes more passes
// (and, from a file, more reads of it).
inline constexpr size_t ProfileReadsPerPass = 512;

// One key read. The reader fills the result fields of its kind: `number` for
// Integer, `text` for Text, and `line` for both.
enum class ProfileReadKind : uint8_t { Integer, Text };

struct ProfileRead {
    const char* section;  // section name, matched without regard to case
    const char* key;      // key name, matched without regard to case
    ProfileReadKind kind;
    int32_t defaultNumber;    // Integer: the result for an absent or empty key
    const char* defaultText;  // Text: the result for an absent key
    char* text;               // Text: destination, always NUL-terminated
    uint32_t capacity;        // Text: size of `text`, NUL included
    int32_t number;           // Integer: result
    uint32_t line;            // result: the line that gave it, 0 when the default did
};

// Answers the reads as if `size` bytes at `data` were the whole file.
void ReadProfileFromMemory(const unsigned char* data, size_t size, ProfileRead* reads, size_t count);

// What reading a file found.
struct ProfileFileResult {
    bool found;      // the file was there and read
    uint64_t bytes;  // bytes read (0 when not found)
    bool counted;    // `bytes` is known: a reader that cannot count leaves it false

    explicit operator bool() const { return found; }
};

// Answers the reads from the file at `path`, streamed through
// platform::ReadFileBytes: one read of the file per ProfileReadsPerPass
// reads. A file that cannot be read gives every read its default, as the
// profile functions give for an absent file.
ProfileFileResult ReadProfileFile(const char* path, ProfileRead* reads, size_t count);

// Answers the reads as the profile functions do when the file is absent.
void ReadProfileWithoutFile(ProfileRead* reads, size_t count);

// Reads of single lines, for a tool that walks the lexer's lines itself and
// must judge them exactly as a read of that key would.

// Whether the line's name is `name` (white space around `name` ignored), as
// a read's section or key name is matched.
bool ProfileNameIs(const ProfileLine& line, const char* name);

// The line's value as a text read with `capacity` bytes (NUL included) gives it.
void ReadProfileLineText(const ProfileLine& line, char* text, uint32_t capacity);

// The line's value as an integer read gives it, and how much of it was read.
struct ProfileIntegerReading {
    int32_t number;  // the result; `defaultNumber` when `empty`
    bool empty;      // nothing to read (an empty value, or only quotes): the default is used
    size_t length;   // units of the value after quotes came off
    size_t used;     // units the number took: leading blanks, sign, prefix and digits
    bool exact;      // the digits' value fits 32 bits: `number` is what was written
};
ProfileIntegerReading ReadProfileLineInteger(const ProfileLine& line, int32_t defaultNumber);

}  // namespace platform
