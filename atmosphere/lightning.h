// The lightning scheduler: counts enabled frames and, above the normal zone,
// flashes lightning at random frame intervals drawn from the current
// weather's LightningFrequency. Driven by the zone evaluation only, which
// hands it the row's values.
#pragma once

#include <cstdint>

struct LightningModuleState {
    uint32_t lightningFrameCounter;  // enabled frames since the last draw
    int32_t lightningInterval;       // frames to exceed before the next draw; 0 at load
};

extern constinit LightningModuleState Lightning;

// Counts one enabled frame; the zone evaluation calls it first thing, in
// every zone.
void CountLightningFrame();

// One scheduler step, run last in every zone above the normal zone.
// `enabled` is the zone's lightning flag of the current row and `frequency`
// that row's LightningFrequency: when the counter has passed the interval, a
// flash is asked for only if `enabled`, but the counter is reset and a new
// interval drawn either way. A frequency of 0 gives no flash and draws
// nothing.
void LightningStep(bool enabled, int frequency);

// Puts Lightning back to its load-time values (for tests).
void ResetLightningState();
