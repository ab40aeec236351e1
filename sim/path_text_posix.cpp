// Paths from text on Linux: the bytes are the name.
#include "sim/path_text.h"

std::filesystem::path PathFromText(const std::string& text) { return std::filesystem::path(text); }
