// The key-state table: the keyboard handler records, per virtual-key code, the
// latest message of each key; the script polls it once per frame for its
// hotkeys. The handler runs on the host's keyboard path and the poll on the
// script coroutine, so every field is a relaxed atomic: no lock, no ordering
// beyond each field's own value, and on x86-64 the same plain moves.
#pragma once

#include <atomic>
#include <cstdint>

inline constexpr uint32_t KeyStateSlots = 255;       // codes 0..254 have a slot
inline constexpr uint32_t KeyReleaseWindowMs = 100;  // a release counts this long

// One key's latest message. The module reads only the tick and the release
// flag; the slot keeps the alt and was-down flags as well because it is the
// record of the whole message as the host delivered it: a debugger or a test
// looking at the table sees what came in, the four words fill the slot's
// 16 bytes either way, and no hotkey rule has to be changed to use them.
struct KeyState {
    std::atomic<uint32_t> messageTick;    // TickCount() when the latest message came, ms
    std::atomic<uint32_t> withAlt;        // handler's fifth argument (alt held); stored, never read
    std::atomic<uint32_t> wasDownBefore;  // handler's sixth argument (key was down); stored, never read
    std::atomic<uint32_t> released;       // non-zero when the latest message was a key-up
};

// The handler and the poll never wait for each other: the fields must be
// plain lock-free words, four to a slot, as the table is laid out.
static_assert(std::atomic<uint32_t>::is_always_lock_free, "key-state fields must not take a lock");
static_assert(sizeof(KeyState) == 4 * sizeof(uint32_t), "a slot is four 32-bit fields");

extern KeyState KeyStateTable[KeyStateSlots];

// The keyboard handler registered with the host: overwrites the slot of `key`
// (codes of 255 and above are dropped). The second to fourth arguments are
// ignored.
void RecordKeyMessage(uint32_t key, uint16_t repeats, uint8_t scanCode, int32_t isExtended, int32_t isWithAlt,
                      int32_t wasDownBefore, int32_t isUpNow);

// True when the latest message of `key` is a release less than 100 ms old;
// a true result clears the slot, so each release is reported once.
bool ConsumeKeyRelease(uint32_t key);

// Zeroes every slot, as at load (for tests).
void ResetKeyStateTable();
