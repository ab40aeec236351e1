// Paths from text on Windows: UTF-8 decoded into the system's UTF-16. Text
// that is no UTF-8 (a name read from a file) is read byte for byte instead.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "sim/path_text.h"

std::filesystem::path PathFromText(const std::string& text) {
    if (text.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::filesystem::path(text);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return std::filesystem::path(wide);
}
