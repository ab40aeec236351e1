// What a Windows virtual-key code means on a keyboard, in words a player
// reads: "the Delete key", "the F key", "numeric keypad 5". The log names
// the hotkeys with it, and the tools explain key codes with it.
#pragma once

#include <cstddef>
#include <cstdint>

enum class KeyCodeUse : uint8_t {
    Key,          // a key sends it
    MouseButton,  // a mouse button: no keyboard message carries it
    Unassigned,   // no standard key sends it (0 and the reserved codes)
    OutOfRange,   // below 0 or above 0xFE: the module never tests it
};

// Writes what `code` means into `name` (`capacity` bytes, NUL included; 48
// hold every name) and returns its use.
KeyCodeUse NameKeyCode(int32_t code, char* name, size_t capacity);
