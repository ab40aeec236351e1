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

LocalTime LocalTimeNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

namespace {

HANDLE logFile = INVALID_HANDLE_VALUE;  // the open log, or none

}  // namespace

bool OpenLogFile(const char* path, bool empty) {
    CloseLogFile();
    // Every sharing flag: a player may read the log in an editor, or delete
    // it, while the game runs, and neither may fail the module.
    logFile = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          empty ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return logFile != INVALID_HANDLE_VALUE;
}

bool AppendLogFile(const char* bytes, size_t size) {
    if (logFile == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    // WriteFile hands the bytes to the system before it returns: they reach
    // the disk even when the game crashes a moment later.
    return WriteFile(logFile, bytes, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

void CloseLogFile() {
    if (logFile != INVALID_HANDLE_VALUE) CloseHandle(logFile);
    logFile = INVALID_HANDLE_VALUE;
}

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
