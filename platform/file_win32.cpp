// The file reads and stamps of the platform seam on Windows, apart from the rest of it
// (platform_win32.cpp) so that the tool, which takes the rest from the
// simulated host, reads files as the module does. kernel32 only.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "platform/platform.h"

namespace platform {

bool ReadFileBytes(const char* path, FileChunkSink sink, void* context) {
    // Every sharing flag: an editor holding the file open, even for writing
    // or deleting, must neither block this read nor be blocked by it.
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    // Static: the module keeps off the heap, and a load never nests a read.
    // 32 KiB takes the documented configuration file in one call.
    static unsigned char chunk[32 * 1024];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        sink(chunk, got, context);
        // A disk file returns less than asked only at its end; stopping here
        // saves the call that would return nothing.
        if (got < sizeof chunk) break;
    }
    CloseHandle(file);
    return true;
}

FileStamp ReadFileStamp(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {false, 0, 0};
    }
    const uint64_t size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    const uint64_t written =
        static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    return {true, size, written};
}

}  // namespace platform
