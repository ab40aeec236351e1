// What a hotkey's virtual-key code means on a Windows keyboard, for the
// checker's messages: "0x46, the F key".
#pragma once

#include <cstdint>
#include <string>

#include "host/key_names.h"

struct KeyCodeMeaning {
    KeyCodeUse use;
    std::string name;  // "the F key", "numeric keypad 5", "the left mouse button", "an unassigned code"
};

KeyCodeMeaning DescribeKeyCode(int32_t code);

// "0x2E" for a code in 0..0xFE, else its decimal value.
std::string KeyCodeText(int32_t code);
