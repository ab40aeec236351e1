// The wall clock, for scenarios that must run at a real frame pace (a
// writer in another process races the module's reads): milliseconds since
// an arbitrary start, and a sleep. wall_clock_posix.cpp and
// wall_clock_win32.cpp implement it; the build picks.
#pragma once

#include <cstdint>

namespace sim {

uint64_t WallMilliseconds();
void SleepMilliseconds(uint32_t milliseconds);

}  // namespace sim
