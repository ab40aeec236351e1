// Pages of the simulated game image on Linux: an anonymous mapping whose
// pages mprotect guards, so that a stray read or write faults for real.
#include <sys/mman.h>

#include "sim/pages.h"

namespace sim {

unsigned char* AllocatePages(uint32_t size) {
    void* mapping = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return mapping == MAP_FAILED ? nullptr : static_cast<unsigned char*>(mapping);
}

void ProtectPages(unsigned char* at, uint32_t size, PageAccess access) {
    const int protection = access == PageAccess::None       ? PROT_NONE
                           : access == PageAccess::ReadOnly ? PROT_READ
                                                            : PROT_READ | PROT_WRITE;
    mprotect(at, size, protection);
}

void FreePages(unsigned char* base, uint32_t size) { munmap(base, size); }

}  // namespace sim
