// The profile lexer: bytes to units (as MultiByteToWideChar decodes the
// whole file for the profile functions), units to lines, lines to events.
// Every unit is looked at once, so a pass is linear in the file's size
// whatever its line ends, line lengths or bytes.
#include "platform/profile_lexer.h"

#include <cstring>

namespace platform {
namespace {

using Unit = ProfileUnit;

constexpr Unit ReplacementUnit = 0xFFFD;
constexpr size_t NoPosition = SIZE_MAX;

void StartLine(ProfileLexer& lx, bool bracket) {
    lx.phase = ProfileLexer::Phase::Name;
    lx.bracketLine = bracket;
    lx.nameCount = 0;
    lx.nameEnd = 0;
    lx.nameNul = NoPosition;
    lx.hasEquals = false;
    lx.valueCount = 0;
    lx.valueEnd = 0;
    lx.valueEndUnit = 0;
    lx.valuePrevious = 0;
    lx.valueNul = false;
    lx.sectionLeading = true;
    lx.sectionCount = 0;
    lx.sectionEnd = 0;
    lx.sectionNul = NoPosition;
    lx.hasBracket = false;
    lx.sectionLength = 0;
}

void EndLine(ProfileLexer& lx) {
    if (lx.phase == ProfileLexer::Phase::LineStart) return;  // blank or skipped line
    lx.phase = ProfileLexer::Phase::LineStart;
    ProfileLine line{};
    line.number = lx.lineNumber;
    line.encoding = lx.encoding;
    if (lx.bracketLine && lx.hasBracket) {
        line.kind = ProfileLineKind::Section;
        line.name = lx.section;
        line.nameLength = lx.sectionLength;
        line.nameCutAtNul = lx.sectionNul < lx.sectionEnd;
    } else {
        line.kind = ProfileLineKind::Key;
        line.name = lx.name;
        line.nameCutAtNul = lx.nameNul < lx.nameEnd;
        line.nameLength = line.nameCutAtNul ? lx.nameNul : lx.nameEnd;
        line.hasEquals = lx.hasEquals;
        line.value = lx.value;
        line.valueCutAtNul = lx.valueNul;
        line.valueLength = lx.valueNul ? lx.valueCount : lx.valueEnd;
        line.valueLast = lx.valueNul ? lx.valuePrevious : lx.valueEndUnit;
        line.valueQuoted =
            line.valueLength > 1 && (lx.value[0] == '\'' || lx.value[0] == '"') && line.valueLast == lx.value[0];
    }
    lx.handler.line(line, lx.handler.context);
}

// A unit after the '[' of a line that may be a section header. The name runs
// to the line's last ']', without white space around it, cut at a NUL.
void SectionUnit(ProfileLexer& lx, Unit u) {
    if (lx.sectionLeading) {
        if (IsProfileSpace(u)) return;
        lx.sectionLeading = false;
    }
    if (u == ']') {
        lx.hasBracket = true;
        lx.sectionLength = lx.sectionNul < lx.sectionEnd ? lx.sectionNul : lx.sectionEnd;
    }
    if (lx.sectionCount < ProfileNameCapacity) lx.section[lx.sectionCount] = u;
    if (u == 0 && lx.sectionNul == NoPosition) lx.sectionNul = lx.sectionCount;
    ++lx.sectionCount;
    if (!IsProfileSpace(u)) lx.sectionEnd = lx.sectionCount;
}

// A unit of the line read as a key line: name = text before the first '='
// without white space around it, value = the rest without white space around
// it; each is cut at its first NUL.
void KeyUnit(ProfileLexer& lx, Unit u) {
    switch (lx.phase) {
    case ProfileLexer::Phase::LineStart: break;
    case ProfileLexer::Phase::Name:
        if (u == '=') {
            lx.hasEquals = true;
            lx.phase = ProfileLexer::Phase::ValueLead;
            return;
        }
        if (lx.nameCount < ProfileNameCapacity) lx.name[lx.nameCount] = u;
        if (u == 0 && lx.nameNul == NoPosition) lx.nameNul = lx.nameCount;
        ++lx.nameCount;
        if (!IsProfileSpace(u)) lx.nameEnd = lx.nameCount;
        return;
    case ProfileLexer::Phase::ValueLead:
        if (IsProfileSpace(u)) return;
        lx.phase = ProfileLexer::Phase::Value;
        [[fallthrough]];
    case ProfileLexer::Phase::Value:
        if (lx.valueNul) return;
        if (u == 0) {
            lx.valueNul = true;
            return;
        }
        if (lx.valueCount < ProfileValueCapacity) lx.value[lx.valueCount] = u;
        ++lx.valueCount;
        lx.valuePrevious = u;
        if (!IsProfileSpace(u)) {
            lx.valueEnd = lx.valueCount;
            lx.valueEndUnit = u;
        }
        return;
    }
}

void PutUnit(ProfileLexer& lx, Unit u) {
    if (u == '\n' || u == '\r') {
        lx.skipping = false;
        EndLine(lx);
        // CRLF is one line end; a lone CR and a lone LF are one each.
        if (u == '\r' || !lx.afterCarriageReturn) ++lx.lineNumber;
        lx.afterCarriageReturn = (u == '\r');
        return;
    }
    lx.afterCarriageReturn = false;
    if (lx.skipping) return;
    if (lx.phase == ProfileLexer::Phase::LineStart) {
        if (IsProfileSpace(u)) return;
        if (u != '[' && lx.handler.wantsKeyLine != nullptr && !lx.handler.wantsKeyLine(u, lx.handler.context)) {
            lx.skipping = true;
            return;
        }
        StartLine(lx, u == '[');
        KeyUnit(lx, u);
        return;
    }
    if (lx.bracketLine) SectionUnit(lx, u);
    KeyUnit(lx, u);
}

// A whole line of 8-bit units (its line end not included, at least one
// unit) at the start of a line: the same state as PutUnit unit by unit
// leaves, found with a few scans instead of a step per unit.
void LexWholeLine(ProfileLexer& lx, const unsigned char* line, size_t size) {
    lx.afterCarriageReturn = false;
    size_t at = 0;
    while (at < size && IsProfileSpace(line[at])) ++at;
    if (at == size) return;  // blank
    const unsigned char first = line[at];
    if (first != '[' && lx.handler.wantsKeyLine != nullptr && !lx.handler.wantsKeyLine(first, lx.handler.context)) {
        lx.skipping = true;
        return;
    }
    StartLine(lx, first == '[');

    const void* equals = std::memchr(line + at, '=', size - at);
    const size_t nameStop =
        equals != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(equals) - line) : size;
    lx.nameCount = nameStop - at;
    const size_t nameKept = lx.nameCount < ProfileNameCapacity ? lx.nameCount : ProfileNameCapacity;
    for (size_t i = 0; i < nameKept; ++i) lx.name[i] = line[at + i];
    if (const void* nul = std::memchr(line + at, 0, lx.nameCount); nul != nullptr) {
        lx.nameNul = static_cast<size_t>(static_cast<const unsigned char*>(nul) - (line + at));
    }
    size_t nameEnd = nameStop;
    while (nameEnd > at && IsProfileSpace(line[nameEnd - 1])) --nameEnd;
    lx.nameEnd = nameEnd - at;

    if (equals != nullptr) {
        lx.hasEquals = true;
        lx.phase = ProfileLexer::Phase::ValueLead;
        size_t value = nameStop + 1;
        while (value < size && IsProfileSpace(line[value])) ++value;
        if (value < size) {
            lx.phase = ProfileLexer::Phase::Value;
            const void* nul = std::memchr(line + value, 0, size - value);
            const size_t stop =
                nul != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(nul) - line) : size;
            lx.valueNul = nul != nullptr;
            lx.valueCount = stop - value;
            const size_t valueKept = lx.valueCount < ProfileValueCapacity ? lx.valueCount : ProfileValueCapacity;
            for (size_t i = 0; i < valueKept; ++i) lx.value[i] = line[value + i];
            lx.valuePrevious = lx.valueCount > 0 ? line[stop - 1] : 0;
            size_t end = stop;
            while (end > value && IsProfileSpace(line[end - 1])) --end;
            lx.valueEnd = end - value;
            lx.valueEndUnit = end > value ? line[end - 1] : 0;
        }
    }
    if (lx.bracketLine) {
        for (size_t i = at + 1; i < size; ++i) SectionUnit(lx, line[i]);
    }
}

void PutCodePoint(ProfileLexer& lx, uint32_t codePoint) {
    if (codePoint <= 0xFFFF) {
        PutUnit(lx, static_cast<Unit>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    PutUnit(lx, static_cast<Unit>(0xD800 | (codePoint >> 10)));
    PutUnit(lx, static_cast<Unit>(0xDC00 | (codePoint & 0x3FF)));
}

// Continuation bytes after a UTF-8 lead byte 0x80-0xFF; 0 for a byte that
// cannot start a sequence (continuation bytes, C0, C1, F5-FF).
unsigned Utf8Following(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 1;
    if (lead >= 0xE0 && lead <= 0xEF) return 2;
    if (lead >= 0xF0 && lead <= 0xF4) return 3;
    return 0;
}

void DropPending(ProfileLexer& lx, size_t consumed) {
    std::memmove(lx.pending, lx.pending + consumed, lx.pendingCount - consumed);
    lx.pendingCount -= consumed;
}

// Decodes what it can of the pending UTF-8 bytes, as MultiByteToWideChar does
// for the whole file: a malformed sequence gives one U+FFFD and decoding goes
// on at the first byte that did not fit it; a sequence cut off by the end of
// the file gives one U+FFFD and swallows the rest.
void DecodeUtf8Pending(ProfileLexer& lx, bool atEnd) {
    while (lx.pendingCount > 0) {
        const unsigned char lead = lx.pending[0];
        if (lead < 0x80) {
            PutUnit(lx, lead);
            DropPending(lx, 1);
            continue;
        }
        const unsigned following = Utf8Following(lead);
        if (following == 0) {
            PutUnit(lx, ReplacementUnit);
            DropPending(lx, 1);
            continue;
        }
        if (lx.pendingCount < following + 1) {
            if (!atEnd) return;
            PutUnit(lx, ReplacementUnit);
            lx.pendingCount = 0;
            return;
        }
        static constexpr unsigned char LeadMask[4] = {0x7F, 0x1F, 0x0F, 0x07};
        uint32_t codePoint = lead & LeadMask[following];
        size_t consumed = 1;
        bool valid = false;
        const unsigned char* next = lx.pending + 1;
        switch (following) {
        case 3: {
            const unsigned bits = *next++ ^ 0x80u;
            if (bits >= 0x40) break;
            codePoint = (codePoint << 6) | bits;
            ++consumed;
            if (codePoint < 0x10 || codePoint >= 0x110) break;  // overlong, or past U+10FFFF
            [[fallthrough]];
        }
        case 2: {
            const unsigned bits = *next++ ^ 0x80u;
            if (bits >= 0x40) break;
            codePoint = (codePoint << 6) | bits;
            ++consumed;
            if (codePoint < 0x20) break;                          // overlong
            if (codePoint >= 0x360 && codePoint <= 0x37F) break;  // a surrogate
            [[fallthrough]];
        }
        case 1: {
            const unsigned bits = *next ^ 0x80u;
            if (bits >= 0x40) break;
            codePoint = (codePoint << 6) | bits;
            ++consumed;
            valid = codePoint >= 0x80;
            break;
        }
        default: break;
        }
        PutCodePoint(lx, valid ? codePoint : ReplacementUnit);
        DropPending(lx, consumed);
    }
}

// Drops the pending bytes of a skipped line. The decoder may hold a line end
// already (a lead byte waits for its continuation bytes before it is judged):
// then the line ends there and the bytes after it are decoded as the next
// line's. Returns whether the skipped line ended.
bool SkipPending(ProfileLexer& lx) {
    size_t end = 0;
    while (end < lx.pendingCount && lx.pending[end] != '\r' && lx.pending[end] != '\n') ++end;
    DropPending(lx, end);
    if (lx.pendingCount == 0) return false;
    DecodeUtf8Pending(lx, false);
    return true;
}

void PutByte(ProfileLexer& lx, unsigned char byte) {
    switch (lx.encoding) {
    case ProfileEncoding::Ansi: PutUnit(lx, byte); return;
    case ProfileEncoding::Utf8:
        if (byte < 0x80 && lx.pendingCount == 0) {
            PutUnit(lx, byte);
            return;
        }
        lx.pending[lx.pendingCount++] = byte;
        DecodeUtf8Pending(lx, false);
        return;
    case ProfileEncoding::Utf16LittleEndian:
    case ProfileEncoding::Utf16BigEndian:
        if (lx.pendingCount == 0) {
            lx.pending[lx.pendingCount++] = byte;
            return;
        }
        lx.pendingCount = 0;
        if (lx.encoding == ProfileEncoding::Utf16LittleEndian) {
            PutUnit(lx, static_cast<Unit>(lx.pending[0] | (byte << 8)));
        } else {
            PutUnit(lx, static_cast<Unit>((lx.pending[0] << 8) | byte));
        }
        return;
    }
}

// Settles the encoding from the first bytes (at most three; fewer only when
// the file is that short) and feeds what follows the byte-order mark.
void SettleEncoding(ProfileLexer& lx) {
    const unsigned char* h = lx.head;
    size_t skip = 0;
    if (lx.headCount >= 3 && h[0] == 0xEF && h[1] == 0xBB && h[2] == 0xBF) {
        lx.encoding = ProfileEncoding::Utf8;
        skip = 3;
    } else if (lx.headCount >= 2 && h[0] == 0xFF && h[1] == 0xFE) {
        lx.encoding = ProfileEncoding::Utf16LittleEndian;
        skip = 2;
    } else if (lx.headCount >= 2 && h[0] == 0xFE && h[1] == 0xFF) {
        lx.encoding = ProfileEncoding::Utf16BigEndian;
        skip = 2;
    } else {
        lx.encoding = ProfileEncoding::Ansi;
    }
    lx.encodingKnown = true;
    if (lx.handler.encoding != nullptr) lx.handler.encoding(lx.encoding, lx.handler.context);
    for (size_t i = skip; i < lx.headCount; ++i) PutByte(lx, h[i]);
}

// Finds line ends in one chunk with memchr, remembering the next CR and the
// next LF found, so that every byte is searched at most once for each.
class LineEnds {
public:
    LineEnds(const unsigned char* data, size_t size)
        : data_(data), size_(size), nextCarriageReturn_(Find('\r', 0)), nextLineFeed_(Find('\n', 0)) {}

    // The first CR or LF at `from` or after it; `size` when there is none.
    size_t Next(size_t from) {
        if (nextCarriageReturn_ < from) nextCarriageReturn_ = Find('\r', from);
        if (nextLineFeed_ < from) nextLineFeed_ = Find('\n', from);
        return nextCarriageReturn_ < nextLineFeed_ ? nextCarriageReturn_ : nextLineFeed_;
    }

private:
    size_t Find(unsigned char byte, size_t from) const {
        const void* found = std::memchr(data_ + from, byte, size_ - from);
        return found != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(found) - data_) : size_;
    }

    const unsigned char* data_;
    size_t size_;
    size_t nextCarriageReturn_;
    size_t nextLineFeed_;
};

bool AllAscii(const unsigned char* data, size_t size) {
    unsigned char any = 0;
    for (size_t i = 0; i < size; ++i) any |= data[i];
    return any < 0x80;
}

}  // namespace

void BeginProfile(ProfileLexer& lexer, const ProfileHandler& handler) {
    lexer.handler = handler;
    lexer.encoding = ProfileEncoding::Ansi;
    lexer.encodingKnown = false;
    lexer.headCount = 0;
    lexer.pendingCount = 0;
    lexer.lineNumber = 1;
    lexer.afterCarriageReturn = false;
    lexer.skipping = false;
    lexer.phase = ProfileLexer::Phase::LineStart;
}

void FeedProfile(ProfileLexer& lexer, const unsigned char* data, size_t size) {
    size_t i = 0;
    while (!lexer.encodingKnown && i < size) {
        lexer.head[lexer.headCount++] = data[i++];
        if (lexer.headCount == sizeof lexer.head) SettleEncoding(lexer);
    }
    if (lexer.encoding != ProfileEncoding::Ansi && lexer.encoding != ProfileEncoding::Utf8) {
        while (i < size) PutByte(lexer, data[i++]);
        return;
    }
    LineEnds lineEnds(data, size);
    while (i < size) {
        if (lexer.skipping) {
            // Only the line break matters now: what is pending of a UTF-8
            // sequence before it yields units of this skipped line only.
            if (lexer.pendingCount > 0 && SkipPending(lexer)) continue;
            i = lineEnds.Next(i);
            if (i == size) break;
        } else if (lexer.phase == ProfileLexer::Phase::LineStart && lexer.pendingCount == 0 && data[i] != '\n' &&
                   data[i] != '\r') {
            // A line that ends in this chunk and whose bytes are its units
            // (any byte in an 8-bit file, ASCII in UTF-8) is taken whole;
            // otherwise its bytes go one by one.
            const size_t end = lineEnds.Next(i);
            if (end < size && (lexer.encoding == ProfileEncoding::Ansi || AllAscii(data + i, end - i))) {
                LexWholeLine(lexer, data + i, end - i);
            } else {
                for (size_t k = i; k < end; ++k) PutByte(lexer, data[k]);
            }
            i = end;
            continue;
        }
        PutByte(lexer, data[i++]);
    }
}

void FinishProfile(ProfileLexer& lexer) {
    if (!lexer.encodingKnown) SettleEncoding(lexer);
    if (lexer.encoding == ProfileEncoding::Utf8) DecodeUtf8Pending(lexer, true);
    // An odd last byte of a UTF-16 file is dropped.
    lexer.pendingCount = 0;
    EndLine(lexer);
}

}  // namespace platform
