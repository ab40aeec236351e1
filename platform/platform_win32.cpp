// The platform seam on Windows: Win32 and the C runtime, nothing else.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// After <windows.h>, whose types it uses.
#include <psapi.h>

#include <cstdlib>

#include "platform/platform.h"

namespace platform {
namespace {

bool IsReadable(DWORD protect) {
    if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
    return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                       PAGE_EXECUTE_WRITECOPY)) != 0;
}

bool IsWritable(DWORD protect) {
    if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
    return (protect & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

}  // namespace

uint32_t GameExecutablePath(char* buffer, uint32_t capacity) { return GetModuleFileNameA(nullptr, buffer, capacity); }

uint32_t TickCount() { return GetTickCount(); }

int Random() { return std::rand(); }

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
