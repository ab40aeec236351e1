// The module's key names (host/key_names.h), as the tools take them.
#include "tools/common/virtual_keys.h"

#include <cstdio>

KeyCodeMeaning DescribeKeyCode(int32_t code) {
    char name[48];
    const KeyCodeUse use = NameKeyCode(code, name, sizeof name);
    return {use, name};
}

std::string KeyCodeText(int32_t code) {
    char buffer[16];
    if (code >= 0 && code <= 0xFE) {
        std::snprintf(buffer, sizeof buffer, "0x%02X", static_cast<unsigned>(code));
    } else if (code > 0xFE) {
        std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(code));
    } else {
        std::snprintf(buffer, sizeof buffer, "%d", code);
    }
    return buffer;
}
