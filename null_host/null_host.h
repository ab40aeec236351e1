// A host that answers every native the module uses and records nothing: the
// eight host functions and the platform seam with fixed, settable answers.
// It backs the allocation test and the pass benchmark, where a recording
// host would measure itself. One backend of the host binding and the
// platform seam, like the simulated host (sim/): a program links the module
// library with one of the two, never both.
#pragma once

#include <cstdint>

namespace null_host {

// The altitude the entity position native reports, in world units.
void SetAltitude(float altitude);

// The weather transition the game reports: weather names in lower case, as
// the module hashes them, and the fraction.
void SetWeatherTransition(const char* fromName, const char* toName, float fraction);

// Delivers the release of `key` to the keyboard handler the module
// registered (at process attach); the clock stands still, so the next pass
// sees it.
void ReleaseKey(uint32_t key);

}  // namespace null_host
