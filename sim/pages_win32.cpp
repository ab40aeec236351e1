// Pages of the simulated game image on Windows: committed virtual memory
// whose pages VirtualProtect guards, so that a stray read or write faults for
// real, as it would in the game.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "sim/pages.h"

namespace sim {

unsigned char* AllocatePages(uint32_t size) {
    return static_cast<unsigned char*>(VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

void ProtectPages(unsigned char* at, uint32_t size, PageAccess access) {
    const DWORD protection = access == PageAccess::None       ? PAGE_NOACCESS
                             : access == PageAccess::ReadOnly ? PAGE_READONLY
                                                              : PAGE_READWRITE;
    DWORD previous = 0;
    VirtualProtect(at, size, protection, &previous);
}

void FreePages(unsigned char* base, uint32_t) { VirtualFree(base, 0, MEM_RELEASE); }

}  // namespace sim
