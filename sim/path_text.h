// File paths given as text to the simulated host and the tools. The text is
// UTF-8 on every system: Linux's file names are bytes, and on Windows the
// tool's manifest makes UTF-8 its code page (command line, file functions,
// what std::filesystem's string() writes). Yet std::filesystem reads plain
// char text on Windows in the C runtime's "C" locale, a byte per character,
// which garbles every name beyond ASCII; paths made from text come from here.
// path_text_posix.cpp and path_text_win32.cpp implement it; the build picks.
#pragma once

#include <filesystem>
#include <string>

std::filesystem::path PathFromText(const std::string& text);
