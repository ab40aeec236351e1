// The edit-preserving writer of profile (INI) files: sets values in a
// file's bytes and leaves every other byte as it was (comments, blank lines,
// order, case, spacing, line ends, lines the module does not know, a
// byte-order mark). `atmosphere-sim set` and the report page's Save both
// write through it, so a file saved from the page is what the tool writes.
//
// It finds lines with the module's own lexer (platform/profile_lexer.h) and
// edits the line a load reads: the first key line of the name in the first
// section of the name, compared as the reader compares names. A key the
// section lacks is added after the section's last key line; a section the
// file lacks is added at the end of the file. The one reading an addition
// can change is of bytes that were never text: a UTF-8 sequence cut off by
// the end of the file reads as one replacement character there, and as
// more once a line follows it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One value to write: Key=Value in [Section].
struct ProfileEdit {
    std::string section;
    std::string key;
    std::string value;  // 8-bit text, written as it is (in a UTF-16 file each byte becomes one unit)
};

// Why `edit` cannot be written as one line that reads back as written: an
// empty or padded name, a section name with ']', a key name with '=', a
// line break or NUL anywhere; empty when it can be written.
std::string ProfileEditProblem(const ProfileEdit& edit);

// `bytes` with the edits applied in order (a later edit of the same key
// wins). An edit with a problem (ProfileEditProblem) is skipped. Without
// edits the result is `bytes` itself.
std::string ApplyProfileEdits(std::string_view bytes, const std::vector<ProfileEdit>& edits);
