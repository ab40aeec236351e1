// A portable reader of Windows profile (INI) files, giving the same results
// as GetPrivateProfileIntA and GetPrivateProfileStringA (as wine implements
// them, in the Western code page 1252) on everything a file can hold. It
// implements platform::ReadProfile wherever the Windows functions are
// missing: one streaming pass over the file per batch, fixed buffers, no heap.
//
// Not re-entrant: a pass keeps its state in module-level buffers, and the
// module reads its configuration from one coroutine only.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace platform {

// A text read with a larger capacity is served as if its capacity were this
// (so at most ProfileMaxTextCapacity - 1 characters). The module reads 64.
inline constexpr size_t ProfileMaxTextCapacity = 1024;
// Section and key names asked for may be at most this long; a longer name
// matches nothing.
inline constexpr size_t ProfileMaxNameLength = 255;
// Reads served by one pass over the file; a larger batch takes more passes.
inline constexpr size_t ProfileReadsPerPass = 512;
// Longest path accepted, NUL included; a longer one reads as an absent file.
inline constexpr size_t ProfilePathCapacity = 1024;

// The same reads over a file's bytes already in memory, as if `size` bytes
// at `data` were the whole file (tests, fuzzing and the benchmark use it).
void ReadProfileFromMemory(const unsigned char* data, size_t size, ProfileRead* reads, size_t count);

}  // namespace platform
