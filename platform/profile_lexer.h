// The one scanner of profile (INI) files: it turns a file's bytes into
// section headers and key lines exactly as the Windows profile functions see
// them, and hands each to a handler as it ends. The module's reader
// (platform/profile_reader.h) and the tools' checker both sit on it, so they
// cannot disagree on what a line is.
//
// Decoding: a UTF-8 or UTF-16 byte-order mark selects Unicode; anything else
// is read as 8-bit text whose bytes are the units. Lines end at every CR and
// LF; a line of white space only is no line. A line whose first character is
// '[' and which holds a ']' is a section header; every other line is a key
// line. Names and values come trimmed of profile white space and cut at their
// first NUL.
//
// Streaming and fixed-size: the lexer keeps the first units of each name and
// value (enough for every rule that depends on them) and only counts the
// rest, so a line of any length costs time but no memory. No heap, no
// platform header: the module uses it as it is.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

using ProfileUnit = uint16_t;  // a UTF-16 code unit; in an 8-bit file simply the byte

enum class ProfileEncoding : uint8_t { Ansi, Utf8, Utf16LittleEndian, Utf16BigEndian };

// Units of a name and of a value that the lexer keeps; longer ones are
// counted in full but only their first units are kept.
inline constexpr size_t ProfileNameCapacity = 256;
inline constexpr size_t ProfileValueCapacity = 1024;

// White space as the profile functions trim it: tab to carriage return, the
// DOS end-of-file mark ^Z and the space; no other Unicode space.
constexpr bool IsProfileSpace(ProfileUnit u) { return (u >= 0x09 && u <= 0x0D) || u == 0x1A || u == 0x20; }

// Names are compared with ASCII case folding only: no other letter (not even
// one whose lower case is an ASCII letter, like the Kelvin sign) folds.
constexpr ProfileUnit FoldProfileCase(ProfileUnit u) {
    return (u >= 'A' && u <= 'Z') ? static_cast<ProfileUnit>(u + ('a' - 'A')) : u;
}

enum class ProfileLineKind : uint8_t {
    Section,  // "[name]": the name runs to the line's last ']'; text after it is ignored
    Key,      // "name=value", "name" without '=', and a '[' line without ']'
};

// One line as the profile functions read it. The pointers are valid only
// during the handler call.
struct ProfileLine {
    uint32_t number;  // 1-based; CRLF, LF and a lone CR each end one line
    ProfileLineKind kind;
    ProfileEncoding encoding;  // of the whole file
    const ProfileUnit* name;   // the first min(nameLength, ProfileNameCapacity) units
    size_t nameLength;         // trimmed, up to its first NUL
    bool nameCutAtNul;         // a NUL ended the name before the line's text did
    bool hasEquals;            // key lines: an '=' separates name and value
    const ProfileUnit* value;  // key lines: the first min(valueLength, ProfileValueCapacity) units
    size_t valueLength;        // trimmed, up to its first NUL (trailing white space stays before a NUL)
    ProfileUnit valueLast;     // the value's last unit (0 when empty)
    bool valueCutAtNul;        // a NUL ended the value; what followed it is ignored
    bool valueQuoted;          // longer than one unit and wrapped in a matching pair of ' or "
};

// What the lexer calls; context is handed back to every function.
struct ProfileHandler {
    void* context;
    // The encoding, once the first bytes settle it and before any line; may be null.
    void (*encoding)(ProfileEncoding encoding, void* context);
    // Whether a key line whose first character is `first` is wanted at all;
    // null wants every line. A line not wanted is skipped unread (its line
    // breaks still count), which keeps a reader that wants a few keys fast.
    bool (*wantsKeyLine)(ProfileUnit first, void* context);
    // Every section header and wanted key line, in file order.
    void (*line)(const ProfileLine& line, void* context);
};

// The state of one pass over one file, to be treated as opaque. About 3 KB:
// the module keeps one in static storage, a tool may keep it anywhere.
struct ProfileLexer {
    ProfileHandler handler;
    ProfileEncoding encoding;
    bool encodingKnown;
    unsigned char head[3];  // first bytes, until the encoding is known
    size_t headCount;
    unsigned char pending[4];  // an unfinished UTF-8 sequence or UTF-16 unit
    size_t pendingCount;
    uint32_t lineNumber;       // of the unit being read
    bool afterCarriageReturn;  // a following LF ends no further line
    bool skipping;             // inside a line the handler does not want

    // The line being read. Phase: leading white space, the name (up to the
    // first '='), white space before the value, the value.
    enum class Phase : uint8_t { LineStart, Name, ValueLead, Value } phase;
    bool bracketLine;  // its first character is '['

    ProfileUnit name[ProfileNameCapacity];  // first units of the key name
    size_t nameCount;                       // units in the name so far
    size_t nameEnd;                         // end of the name without trailing white space
    size_t nameNul;                         // first NUL in the name, or SIZE_MAX
    bool hasEquals;

    ProfileUnit value[ProfileValueCapacity];  // first units of the value
    size_t valueCount;                        // units before the first NUL
    size_t valueEnd;                          // end without trailing white space
    ProfileUnit valueEndUnit;                 // the unit just before valueEnd
    ProfileUnit valuePrevious;                // the last unit counted
    bool valueNul;                            // a NUL cut the value at valueCount

    bool sectionLeading;                       // still skipping white space after '['
    ProfileUnit section[ProfileNameCapacity];  // first units after '[' and its white space
    size_t sectionCount;
    size_t sectionEnd;     // end without trailing white space
    size_t sectionNul;     // first NUL, or SIZE_MAX
    bool hasBracket;       // a ']' was seen
    size_t sectionLength;  // name length up to the last ']' seen
};

// Starts a pass: the bytes that follow are a whole file from its start.
void BeginProfile(ProfileLexer& lexer, const ProfileHandler& handler);
// The next `size` bytes of the file, in any slicing.
void FeedProfile(ProfileLexer& lexer, const unsigned char* data, size_t size);
// The file has ended: settles what is pending and reports the last line.
void FinishProfile(ProfileLexer& lexer);

}  // namespace platform
