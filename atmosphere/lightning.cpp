// Lightning scheduler: frame counter, interval draws from the platform's
// never-seeded rand(), and the flash native.
#include "atmosphere/lightning.h"

#include "host/natives.h"
#include "platform/platform.h"

constinit LightningModuleState Lightning{};

void CountLightningFrame() { ++Lightning.lightningFrameCounter; }

void LightningStep(bool enabled, int frequency) {
    // The interval is never negative (rand() is not), so comparing unsigned
    // loses nothing and lets the counter run the full 32 bits.
    if (Lightning.lightningFrameCounter <= static_cast<uint32_t>(Lightning.lightningInterval)) return;

    // With no frequency there is no interval to draw; the counter keeps
    // running, so a reload that sets one draws on the next step.
    if (frequency == 0) return;

    if (enabled) natives::FlashLightning();
    Lightning.lightningFrameCounter = 0;
    // Truncating division and a remainder with the dividend's sign, so a
    // negative frequency (a file value above 127) acts like its magnitude.
    const int span = 2000 / frequency;
    Lightning.lightningInterval = platform::Random() % span;
}

void ResetLightningState() { Lightning = LightningModuleState{}; }
