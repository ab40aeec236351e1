// Key-state table: written by the keyboard handler, polled by the script.
#include "host/key_state.h"

#include "platform/platform.h"

KeyState KeyStateTable[KeyStateSlots];

namespace {

void ClearSlot(KeyState& slot) {
    slot.messageTick.store(0, std::memory_order_relaxed);
    slot.withAlt.store(0, std::memory_order_relaxed);
    slot.wasDownBefore.store(0, std::memory_order_relaxed);
    slot.released.store(0, std::memory_order_relaxed);
}

}  // namespace

void RecordKeyMessage(uint32_t key, uint16_t, uint8_t, int32_t, int32_t isWithAlt, int32_t wasDownBefore,
                      int32_t isUpNow) {
    if (key >= KeyStateSlots) return;
    KeyState& slot = KeyStateTable[key];
    slot.messageTick.store(platform::TickCount(), std::memory_order_relaxed);
    slot.withAlt.store(static_cast<uint32_t>(isWithAlt), std::memory_order_relaxed);
    slot.wasDownBefore.store(static_cast<uint32_t>(wasDownBefore), std::memory_order_relaxed);
    slot.released.store(static_cast<uint32_t>(isUpNow), std::memory_order_relaxed);
}

bool ConsumeKeyRelease(uint32_t key) {
    if (key >= KeyStateSlots) return false;
    const uint32_t now = platform::TickCount();
    KeyState& slot = KeyStateTable[key];
    // The elapsed time, modulo 2^32, stays right across the wrap of the tick
    // count, where "now < tick + 100" would not.
    const uint32_t elapsed = now - slot.messageTick.load(std::memory_order_relaxed);
    if (elapsed >= KeyReleaseWindowMs || slot.released.load(std::memory_order_relaxed) == 0) return false;
    ClearSlot(slot);
    return true;
}

void ResetKeyStateTable() {
    for (KeyState& slot : KeyStateTable) ClearSlot(slot);
}
