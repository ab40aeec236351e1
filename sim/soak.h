// A long random flight for soak tests, written as a scenario (sim/scenario.h)
// from a seed: an altitude walk with teleports across the zones, weather,
// wind and timecycle changes, getting into and out of the vehicle, the three
// hotkeys (tapped, held, released too late), the four entity tags, the
// configuration files rewritten between reloads, "fileindex" switching
// between numbered files, an alternate file, the clock wrapping. The same
// seed gives the same text on every platform (the generator is
// std::mt19937, fully specified, with no distribution objects).
#pragma once

#include <cstdint>
#include <string>

namespace sim {

// At least `frames` frames, the module loaded from the first step to the last.
std::string SoakScenario(uint32_t seed, uint32_t frames);

}  // namespace sim
