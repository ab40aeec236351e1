// Whole pages of memory with a protection of their own, for the simulated
// game image: the one thing of the simulated host that differs between the
// operating systems. pages_posix.cpp (mmap, mprotect) and pages_win32.cpp
// (VirtualAlloc, VirtualProtect) implement it; the build picks the file.
#pragma once

#include <cstdint>

namespace sim {

enum class PageAccess : uint8_t { None, ReadOnly, ReadWrite };

// `size` bytes (a multiple of ImagePageSize) of fresh read-write pages;
// nullptr when the system refuses.
unsigned char* AllocatePages(uint32_t size);

// Gives the pages of [at, at + size) the access; both page-aligned.
void ProtectPages(unsigned char* at, uint32_t size, PageAccess access);

// Returns pages that AllocatePages gave, `size` as asked for then.
void FreePages(unsigned char* base, uint32_t size);

}  // namespace sim
