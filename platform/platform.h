// The platform seam: everything the module needs from the operating system,
// and nothing else. Windows implements it with Win32 (platform_win32.cpp); on
// Linux the simulated host implements it (sim/sim_platform.cpp). The file
// reads come with the module on every system (file_win32.cpp, file_posix.cpp). What the module makes of a file's bytes
// is portable (platform/profile_reader.h). No platform header leaks through
// here.
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

// Receives the bytes of a file in order, a chunk at a time.
using FileChunkSink = void (*)(const unsigned char* bytes, size_t size, void* context);

// Reads the file at `path` (Windows separators allowed) once, from start to
// end, handing every chunk to `sink`, and returns true. Shares the file with
// every other opener, so an editor that holds it open is never blocked and
// never blocks the read. Returns false, having called nothing, when there is
// no file to read there (none, a folder; on Linux also a device or a pipe,
// which need not ever end). A read that fails part way ends the file there.
bool ReadFileBytes(const char* path, FileChunkSink sink, void* context);

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
