// The writer works on code units: bytes in an 8-bit or UTF-8 file, 16-bit
// units in a UTF-16 file. The lexer says which lines matter (by number);
// a second walk over the raw units finds where those lines lie, so that an
// edit replaces only the units of one value and everything else is copied.
#include "tools/common/profile_edit.h"

#include <cstdint>

#include "platform/profile_lexer.h"
#include "platform/profile_reader.h"

namespace {

using platform::ProfileEncoding;
using platform::ProfileLine;
using platform::ProfileLineKind;
using platform::ProfileUnit;

constexpr uint32_t NoLine = 0;

// What the lexer tells of the file for one edit.
struct Found {
    ProfileEncoding encoding = ProfileEncoding::Ansi;
    const ProfileEdit* edit = nullptr;
    bool inSection = false;     // inside the first section of the edit's name
    bool sectionSeen = false;   // that section has begun (and maybe ended)
    uint32_t sectionLine = NoLine;  // its header
    uint32_t keyLine = NoLine;      // the line a load reads the key from
    uint32_t lastKeyLine = NoLine;  // the section's last line that is not a comment
};

bool IsComment(const ProfileLine& line) {
    return line.nameLength > 0 && (line.name[0] == ';' || line.name[0] == '#');
}

void OnLine(const ProfileLine& line, void* context) {
    Found& found = *static_cast<Found*>(context);
    if (line.kind == ProfileLineKind::Section) {
        found.inSection = false;
        if (!found.sectionSeen && platform::ProfileNameIs(line, found.edit->section.c_str())) {
            found.sectionSeen = true;
            found.inSection = true;
            found.sectionLine = line.number;
        }
        return;
    }
    if (!found.inSection) return;
    if (!IsComment(line)) found.lastKeyLine = line.number;
    if (found.keyLine == NoLine && platform::ProfileNameIs(line, found.edit->key.c_str())) found.keyLine = line.number;
}

void OnEncoding(ProfileEncoding encoding, void* context) { static_cast<Found*>(context)->encoding = encoding; }

// The file as code units, read and written in its own encoding.
class Units {
public:
    Units(std::string_view bytes, ProfileEncoding encoding) : bytes_(bytes) {
        switch (encoding) {
        case ProfileEncoding::Ansi: break;
        case ProfileEncoding::Utf8: head_ = 3; break;
        case ProfileEncoding::Utf16LittleEndian: head_ = 2, width_ = 2; break;
        case ProfileEncoding::Utf16BigEndian: head_ = 2, width_ = 2, bigEndian_ = true; break;
        }
        if (head_ > bytes.size()) head_ = bytes.size();
        count_ = (bytes.size() - head_) / width_;
    }

    size_t Count() const { return count_; }

    ProfileUnit At(size_t i) const {
        const size_t at = head_ + i * width_;
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes_[at + k]); };
        if (width_ == 1) return byte(0);
        return static_cast<ProfileUnit>(bigEndian_ ? (byte(0) << 8) | byte(1) : byte(0) | (byte(1) << 8));
    }

    // Byte offset of unit `i` (Count() is the end of the last whole unit; a
    // UTF-16 file's odd last byte lies after it).
    size_t Offset(size_t i) const { return head_ + i * width_; }

    // `text` (8-bit) in the file's encoding.
    std::string Encode(std::string_view text) const {
        if (width_ == 1) return std::string(text);
        std::string out;
        out.reserve(text.size() * 2);
        for (const char c : text) {
            const char unit[2] = {bigEndian_ ? '\0' : c, bigEndian_ ? c : '\0'};
            out.append(unit, 2);
        }
        return out;
    }

    // The units from `from` to `to` as 8-bit text; only line ends are asked for.
    std::string Decode(size_t from, size_t to) const {
        std::string text;
        for (size_t i = from; i < to; ++i) text += static_cast<char>(At(i));
        return text;
    }

private:
    std::string_view bytes_;
    size_t head_ = 0;
    size_t width_ = 1;
    bool bigEndian_ = false;
    size_t count_ = 0;
};

// Where one line lies, in units: its text, then its line end (CRLF, LF or CR).
struct LineSpan {
    size_t start = 0;
    size_t end = 0;      // end of the text
    size_t lineEnd = 0;  // end of the line end (== end for the file's last line without one)
};

// The lines `wanted` (1-based, as the lexer numbers them) of the file.
// Lines not in the file keep an empty span at the end.
void FindLines(const Units& units, const uint32_t* wanted, LineSpan* spans, size_t count) {
    for (size_t k = 0; k < count; ++k) spans[k] = {units.Count(), units.Count(), units.Count()};
    uint32_t number = 1;
    size_t start = 0;
    for (size_t i = 0; i <= units.Count(); ++i) {
        const bool atEnd = i == units.Count();
        const ProfileUnit u = atEnd ? 0 : units.At(i);
        if (!atEnd && u != '\r' && u != '\n') continue;
        size_t next = atEnd ? i : i + 1;
        if (!atEnd && u == '\r' && next < units.Count() && units.At(next) == '\n') ++next;
        for (size_t k = 0; k < count; ++k) {
            if (wanted[k] == number) spans[k] = {start, i, next};
        }
        ++number;
        start = next;
        i = next - 1;
        if (atEnd) break;
    }
}

// The line end written with a new line: the one of the line it follows,
// else the file's first, else the Windows one the game's files use.
std::string LineEndAfter(const Units& units, const LineSpan& line) {
    if (line.lineEnd > line.end) return units.Decode(line.end, line.lineEnd);
    for (size_t i = 0; i < units.Count(); ++i) {
        const ProfileUnit u = units.At(i);
        if (u == '\n') return "\n";
        if (u == '\r') return i + 1 < units.Count() && units.At(i + 1) == '\n' ? "\r\n" : "\r";
    }
    return "\r\n";
}

// Replaces `units` [from, to) of the file with `text` (8-bit, encoded here).
std::string Splice(std::string_view bytes, const Units& units, size_t from, size_t to, std::string_view text) {
    std::string out(bytes.substr(0, units.Offset(from)));
    out += units.Encode(text);
    out += bytes.substr(units.Offset(to));
    return out;
}

// The value of the key line `line` replaced, or "=value" given to a key
// line without '='. A quoted value keeps its quotes: the reader takes them
// off again.
std::string ReplaceValue(std::string_view bytes, const Units& units, const LineSpan& line, const std::string& value) {
    size_t equals = line.start;
    while (equals < line.end && units.At(equals) != '=') ++equals;
    size_t textEnd = line.end;
    while (textEnd > line.start && platform::IsProfileSpace(units.At(textEnd - 1))) --textEnd;
    if (equals == line.end) return Splice(bytes, units, textEnd, textEnd, "=" + value);
    size_t from = equals + 1;
    while (from < textEnd && platform::IsProfileSpace(units.At(from))) ++from;
    const size_t to = textEnd > from ? textEnd : from;
    const ProfileUnit first = to > from ? units.At(from) : 0;
    const bool quoted = to - from > 1 && (first == '"' || first == '\'') && units.At(to - 1) == first;
    if (!quoted) return Splice(bytes, units, from, to, value);
    const std::string quote(1, static_cast<char>(first));
    return Splice(bytes, units, from, to, quote + value + quote);
}

std::string ApplyOne(std::string_view bytes, const ProfileEdit& edit) {
    Found found;
    found.edit = &edit;
    platform::ProfileLexer lexer;
    platform::BeginProfile(lexer, {&found, OnEncoding, nullptr, OnLine});
    platform::FeedProfile(lexer, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    platform::FinishProfile(lexer);

    const Units units(bytes, found.encoding);
    const uint32_t wanted[2] = {found.keyLine, found.lastKeyLine != NoLine ? found.lastKeyLine : found.sectionLine};
    LineSpan spans[2];
    FindLines(units, wanted, spans, 2);
    const std::string keyLine = edit.key + "=" + edit.value;

    if (found.keyLine != NoLine) return ReplaceValue(bytes, units, spans[0], edit.value);
    if (found.sectionSeen) {
        // After the text of the section's last line, before its line end:
        // the last line keeps its line end, or its lack of one.
        return Splice(bytes, units, spans[1].end, spans[1].end, LineEndAfter(units, spans[1]) + keyLine);
    }
    // A new section at the end, set off by a blank line. A UTF-16 file's odd
    // last byte, which no load reads, stays last.
    const LineSpan none{units.Count(), units.Count(), units.Count()};
    const std::string lineEnd = LineEndAfter(units, none);
    std::string text;
    if (units.Count() > 0) {
        const ProfileUnit last = units.At(units.Count() - 1);
        if (last != '\r' && last != '\n') text += lineEnd;
        text += lineEnd;
    }
    text += "[" + edit.section + "]" + lineEnd + keyLine + lineEnd;
    return Splice(bytes, units, units.Count(), units.Count(), text);
}

bool HasLineBreakOrNul(const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

bool Padded(const std::string& text) {
    return !text.empty() && (platform::IsProfileSpace(static_cast<unsigned char>(text.front())) ||
                             platform::IsProfileSpace(static_cast<unsigned char>(text.back())));
}

}  // namespace

std::string ProfileEditProblem(const ProfileEdit& edit) {
    if (edit.section.empty() || edit.key.empty()) return "an empty name";
    if (Padded(edit.section) || Padded(edit.key)) return "white space around a name";
    if (HasLineBreakOrNul(edit.section) || HasLineBreakOrNul(edit.key) || HasLineBreakOrNul(edit.value))
        return "a line break or NUL";
    if (edit.section.find(']') != std::string::npos) return "']' in a section name";
    if (edit.key.find('=') != std::string::npos) return "'=' in a key name";
    const char lead = edit.key.front();
    if (lead == '[' || lead == ';' || lead == '#') return "a key name that reads as a section or a comment";
    return "";
}

std::string ApplyProfileEdits(std::string_view bytes, const std::vector<ProfileEdit>& edits) {
    std::string text(bytes);
    for (const ProfileEdit& edit : edits) {
        if (ProfileEditProblem(edit).empty()) text = ApplyOne(text, edit);
    }
    return text;
}
