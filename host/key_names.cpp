// Windows virtual-key codes and the keys that send them (US layout where
// the punctuation keys differ between layouts).
#include "host/key_names.h"

#include <cstdio>

namespace {

struct Named {
    int32_t code;
    KeyCodeUse use;
    const char* name;
};

constexpr Named NamedCodes[] = {
    {0x01, KeyCodeUse::MouseButton, "the left mouse button"},
    {0x02, KeyCodeUse::MouseButton, "the right mouse button"},
    {0x03, KeyCodeUse::Key, "Ctrl+Break"},
    {0x04, KeyCodeUse::MouseButton, "the middle mouse button"},
    {0x05, KeyCodeUse::MouseButton, "the first extra mouse button"},
    {0x06, KeyCodeUse::MouseButton, "the second extra mouse button"},
    {0x08, KeyCodeUse::Key, "the Backspace key"},
    {0x09, KeyCodeUse::Key, "the Tab key"},
    {0x0C, KeyCodeUse::Key, "the Clear key (keypad 5 without Num Lock)"},
    {0x0D, KeyCodeUse::Key, "the Enter key"},
    {0x10, KeyCodeUse::Key, "the Shift key"},
    {0x11, KeyCodeUse::Key, "the Ctrl key"},
    {0x12, KeyCodeUse::Key, "the Alt key"},
    {0x13, KeyCodeUse::Key, "the Pause key"},
    {0x14, KeyCodeUse::Key, "the Caps Lock key"},
    {0x15, KeyCodeUse::Key, "the IME Kana/Hangul key"},
    {0x16, KeyCodeUse::Key, "the IME On key"},
    {0x17, KeyCodeUse::Key, "the IME Junja key"},
    {0x18, KeyCodeUse::Key, "the IME Final key"},
    {0x19, KeyCodeUse::Key, "the IME Hanja/Kanji key"},
    {0x1A, KeyCodeUse::Key, "the IME Off key"},
    {0x1B, KeyCodeUse::Key, "the Esc key"},
    {0x1C, KeyCodeUse::Key, "the IME Convert key"},
    {0x1D, KeyCodeUse::Key, "the IME Nonconvert key"},
    {0x1E, KeyCodeUse::Key, "the IME Accept key"},
    {0x1F, KeyCodeUse::Key, "the IME Mode Change key"},
    {0x20, KeyCodeUse::Key, "the Space bar"},
    {0x21, KeyCodeUse::Key, "the Page Up key"},
    {0x22, KeyCodeUse::Key, "the Page Down key"},
    {0x23, KeyCodeUse::Key, "the End key"},
    {0x24, KeyCodeUse::Key, "the Home key"},
    {0x25, KeyCodeUse::Key, "the Left arrow key"},
    {0x26, KeyCodeUse::Key, "the Up arrow key"},
    {0x27, KeyCodeUse::Key, "the Right arrow key"},
    {0x28, KeyCodeUse::Key, "the Down arrow key"},
    {0x29, KeyCodeUse::Key, "the Select key"},
    {0x2A, KeyCodeUse::Key, "the Print key"},
    {0x2B, KeyCodeUse::Key, "the Execute key"},
    {0x2C, KeyCodeUse::Key, "the Print Screen key"},
    {0x2D, KeyCodeUse::Key, "the Insert key"},
    {0x2E, KeyCodeUse::Key, "the Delete key"},
    {0x2F, KeyCodeUse::Key, "the Help key"},
    {0x5B, KeyCodeUse::Key, "the left Windows key"},
    {0x5C, KeyCodeUse::Key, "the right Windows key"},
    {0x5D, KeyCodeUse::Key, "the Menu key"},
    {0x5F, KeyCodeUse::Key, "the Sleep key"},
    {0x6A, KeyCodeUse::Key, "numeric keypad *"},
    {0x6B, KeyCodeUse::Key, "numeric keypad +"},
    {0x6C, KeyCodeUse::Key, "the keypad separator key"},
    {0x6D, KeyCodeUse::Key, "numeric keypad -"},
    {0x6E, KeyCodeUse::Key, "numeric keypad ."},
    {0x6F, KeyCodeUse::Key, "numeric keypad /"},
    {0x90, KeyCodeUse::Key, "the Num Lock key"},
    {0x91, KeyCodeUse::Key, "the Scroll Lock key"},
    {0xA0, KeyCodeUse::Key, "the left Shift key"},
    {0xA1, KeyCodeUse::Key, "the right Shift key"},
    {0xA2, KeyCodeUse::Key, "the left Ctrl key"},
    {0xA3, KeyCodeUse::Key, "the right Ctrl key"},
    {0xA4, KeyCodeUse::Key, "the left Alt key"},
    {0xA5, KeyCodeUse::Key, "the right Alt key"},
    {0xA6, KeyCodeUse::Key, "the Browser Back key"},
    {0xA7, KeyCodeUse::Key, "the Browser Forward key"},
    {0xA8, KeyCodeUse::Key, "the Browser Refresh key"},
    {0xA9, KeyCodeUse::Key, "the Browser Stop key"},
    {0xAA, KeyCodeUse::Key, "the Browser Search key"},
    {0xAB, KeyCodeUse::Key, "the Browser Favorites key"},
    {0xAC, KeyCodeUse::Key, "the Browser Home key"},
    {0xAD, KeyCodeUse::Key, "the Volume Mute key"},
    {0xAE, KeyCodeUse::Key, "the Volume Down key"},
    {0xAF, KeyCodeUse::Key, "the Volume Up key"},
    {0xB0, KeyCodeUse::Key, "the Next Track key"},
    {0xB1, KeyCodeUse::Key, "the Previous Track key"},
    {0xB2, KeyCodeUse::Key, "the Stop Media key"},
    {0xB3, KeyCodeUse::Key, "the Play/Pause Media key"},
    {0xB4, KeyCodeUse::Key, "the Start Mail key"},
    {0xB5, KeyCodeUse::Key, "the Select Media key"},
    {0xB6, KeyCodeUse::Key, "the Start Application 1 key"},
    {0xB7, KeyCodeUse::Key, "the Start Application 2 key"},
    {0xBA, KeyCodeUse::Key, "the ; key"},
    {0xBB, KeyCodeUse::Key, "the = key"},
    {0xBC, KeyCodeUse::Key, "the , key"},
    {0xBD, KeyCodeUse::Key, "the - key"},
    {0xBE, KeyCodeUse::Key, "the . key"},
    {0xBF, KeyCodeUse::Key, "the / key"},
    {0xC0, KeyCodeUse::Key, "the ` key"},
    {0xDB, KeyCodeUse::Key, "the [ key"},
    {0xDC, KeyCodeUse::Key, "the \\ key"},
    {0xDD, KeyCodeUse::Key, "the ] key"},
    {0xDE, KeyCodeUse::Key, "the ' key"},
    {0xDF, KeyCodeUse::Key, "an OEM key (OEM 8)"},
    {0xE2, KeyCodeUse::Key, "the < > key of 102-key keyboards"},
    {0xE5, KeyCodeUse::Key, "the IME Process key"},
    {0xE7, KeyCodeUse::Key, "the Packet code of typed characters"},
    {0xF6, KeyCodeUse::Key, "the Attn key"},
    {0xF7, KeyCodeUse::Key, "the CrSel key"},
    {0xF8, KeyCodeUse::Key, "the ExSel key"},
    {0xF9, KeyCodeUse::Key, "the Erase EOF key"},
    {0xFA, KeyCodeUse::Key, "the Play key"},
    {0xFB, KeyCodeUse::Key, "the Zoom key"},
    {0xFD, KeyCodeUse::Key, "the PA1 key"},
    {0xFE, KeyCodeUse::Key, "the OEM Clear key"},
};

bool IsOemSpecific(int32_t code) {
    return (code >= 0x92 && code <= 0x96) || code == 0xE1 || code == 0xE3 || code == 0xE4 || code == 0xE6 ||
           (code >= 0xE9 && code <= 0xF5);
}

}  // namespace

KeyCodeUse NameKeyCode(int32_t code, char* name, size_t capacity) {
    if (code < 0 || code > 0xFE) {
        std::snprintf(name, capacity, "no key code");
        return KeyCodeUse::OutOfRange;
    }
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) {
        std::snprintf(name, capacity, "the %c key", static_cast<char>(code));
    } else if (code >= 0x60 && code <= 0x69) {
        std::snprintf(name, capacity, "numeric keypad %d", code - 0x60);
    } else if (code >= 0x70 && code <= 0x87) {
        std::snprintf(name, capacity, "the F%d key", code - 0x70 + 1);
    } else {
        for (const Named& named : NamedCodes) {
            if (named.code != code) continue;
            std::snprintf(name, capacity, "%s", named.name);
            return named.use;
        }
        const bool oem = IsOemSpecific(code);
        std::snprintf(name, capacity, "%s", oem ? "a keyboard maker's own key" : "a code no standard key sends");
        return oem ? KeyCodeUse::Key : KeyCodeUse::Unassigned;
    }
    return KeyCodeUse::Key;
}
