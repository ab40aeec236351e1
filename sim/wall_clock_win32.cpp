// The wall clock on Windows.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "sim/wall_clock.h"

namespace sim {

uint64_t WallMilliseconds() { return GetTickCount64(); }

void SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace sim
