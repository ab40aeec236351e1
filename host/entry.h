// The library entry point, called by the loader (on Linux by the simulated host).
#pragma once

#include <cstdint>

#include "host/host_api.h"

inline constexpr uint32_t DllProcessDetach = 0;
inline constexpr uint32_t DllProcessAttach = 1;
inline constexpr uint32_t DllThreadAttach = 2;
inline constexpr uint32_t DllThreadDetach = 3;

// Always returns 1 (TRUE): the module never fails its load.
extern "C" int DllMain(ModuleHandle instance, uint32_t reason, void* reserved);
