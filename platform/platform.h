// The platform seam: everything the module needs from the operating system,
// and nothing else. Windows implements it with Win32 (platform_win32.cpp); on
// Linux the simulated host implements it (sim/sim_platform.cpp), the log and
// the local time included, on the simulated game's clock. The file reads and
// stamps come with the module on every system (file_win32.cpp,
// file_posix.cpp). What the module makes of a file's bytes is portable
// (platform/profile_reader.h). No platform header leaks through here.
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

// A moment of the local calendar and clock, to the millisecond.
struct LocalTime {
    uint16_t year;         // four digits
    uint16_t month;        // 1..12
    uint16_t day;          // 1..31
    uint16_t hour;         // 0..23
    uint16_t minute;       // 0..59
    uint16_t second;       // 0..59
    uint16_t millisecond;  // 0..999
};

// The local time now: the system's clock in Windows, the simulated game's
// own clock in the simulator.
LocalTime LocalTimeNow();

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

// The size and last-write time of a file: what tells that it changed,
// without reading it.
struct FileStamp {
    bool exists;         // a file is there (a folder or a device is not one)
    uint64_t size;       // bytes
    uint64_t writeTime;  // last write, in the system's own units; only compared
};

inline bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.exists == b.exists && a.size == b.size && a.writeTime == b.writeTime;
}

// The stamp of the file at `path` (Windows separators allowed), in one cheap
// call that never opens the file; {false, 0, 0} when there is none.
FileStamp ReadFileStamp(const char* path);

// The module's log: one file at a time, written a line at a time.
//
// Opens the file at `path` (Windows separators allowed) for writing at its
// end, emptied first when `empty` is true, created when missing; shared for
// reading, writing and deleting, so that an editor or the tool can read it
// (and a player delete it) while the game runs. Returns whether it is open;
// a log that cannot be opened (read-only folder, locked file) is simply not
// written.
bool OpenLogFile(const char* path, bool empty);
// Appends `size` bytes in one write that reaches the system at once, so a
// crash of the game loses nothing already written. Returns whether every
// byte was written.
bool AppendLogFile(const char* bytes, size_t size);
// Closes the log; nothing when none is open.
void CloseLogFile();

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
