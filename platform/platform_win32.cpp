// The platform seam on Windows: Win32 and the C runtime, nothing else.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <psapi.h>

#include <cstdlib>

#include "platform/platform.h"

namespace platform {
namespace {

bool IsReadable(DWORD protect) {
    if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
    return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                       PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

bool IsWritable(DWORD protect) {
    if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
    return (protect & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

}  // namespace

uint32_t GameExecutablePath(char* buffer, uint32_t capacity) {
    return GetModuleFileNameA(nullptr, buffer, capacity);
}

uint32_t TickCount() { return GetTickCount(); }

int Random() { return std::rand(); }

bool ReadFileBytes(const char* path, FileChunkSink sink, void* context) {
    // Every sharing flag: an editor holding the file open, even for writing
    // or deleting, must neither block this read nor be blocked by it.
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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

MemoryRange GameImage() {
    MODULEINFO info{};
    if (!K32GetModuleInformation(GetCurrentProcess(), GetModuleHandleA(nullptr), &info, sizeof info)) {
        info = MODULEINFO{};
    }
    const auto* base = static_cast<const unsigned char*>(info.lpBaseOfDll);
    return {base, base + info.SizeOfImage};
}

MemoryRange ReadableRangeAt(const unsigned char* address, const unsigned char* limit) {
    MEMORY_BASIC_INFORMATION region{};
    if (address >= limit || VirtualQuery(address, &region, sizeof region) != sizeof region) return {address, address};
    if (region.State != MEM_COMMIT || !IsReadable(region.Protect)) return {address, address};
    const auto* regionEnd = static_cast<const unsigned char*>(region.BaseAddress) + region.RegionSize;
    return {address, regionEnd < limit ? regionEnd : limit};
}

bool WriteImageByte(unsigned char* address, unsigned char value) {
    const MemoryRange image = GameImage();
    if (address < image.begin || address >= image.end) return false;
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(address, &region, sizeof region) != sizeof region) return false;
    if (region.State != MEM_COMMIT || !IsWritable(region.Protect)) return false;
    *address = value;
    return true;
}

}  // namespace platform
