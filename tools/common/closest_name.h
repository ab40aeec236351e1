// Suggestions for a mistyped name: the checker's "did you mean" and the
// set command's answer to an unknown section or key.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// `c` in lower case when it is an ASCII capital; the profile functions fold
// no other letter.
constexpr char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Edit distance between `text` and `pattern` (at most 64 characters), case
// folded; time linear in the text's length.
size_t EditDistance(std::string_view text, const std::string& pattern);

// The candidate closest to `text`, ignoring case: within a third of the
// text's length (at least 3 edits); empty when none is that close.
std::string_view Closest(std::string_view text, const std::vector<std::string>& candidates);
