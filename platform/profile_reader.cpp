// The profile reader: every read of a batch is matched against the lexer's
// lines in a single pass. Only the first section of a name counts, and in it
// only the first line of a key's name; a value is copied as the profile
// functions copy it (one pair of quotes off, cut at the buffer) and written
// back in code page 1252 when the file was Unicode.
#include "platform/profile_reader.h"

#include <cstdint>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

using Unit = ProfileUnit;

// GetPrivateProfileIntA reads the value as text into 30 UTF-16 units first.
constexpr size_t IntegerTextCapacity = 30;

// Code page 1252 bytes 0x80-0x9F as UTF-16; the other bytes are their own code point.
constexpr Unit Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// UTF-16 units that code page 1252 writes as a byte other than '?', sorted:
// its own characters and the "best fit" substitutes (U+0100 writes 'A').
// Recorded from WideCharToMultiByte(1252) under wine, unit by unit.
struct BestFit {
    Unit unit;
    unsigned char byte;
};
constexpr BestFit Cp1252BestFit[] = {
    {0x0081, 0x81}, {0x008D, 0x8D}, {0x008F, 0x8F}, {0x0090, 0x90}, {0x009D, 0x9D}, {0x00A0, 0xA0}, {0x00A1, 0xA1},
    {0x00A2, 0xA2}, {0x00A3, 0xA3}, {0x00A4, 0xA4}, {0x00A5, 0xA5}, {0x00A6, 0xA6}, {0x00A7, 0xA7}, {0x00A8, 0xA8},
    {0x00A9, 0xA9}, {0x00AA, 0xAA}, {0x00AB, 0xAB}, {0x00AC, 0xAC}, {0x00AD, 0xAD}, {0x00AE, 0xAE}, {0x00AF, 0xAF},
    {0x00B0, 0xB0}, {0x00B1, 0xB1}, {0x00B2, 0xB2}, {0x00B3, 0xB3}, {0x00B4, 0xB4}, {0x00B5, 0xB5}, {0x00B6, 0xB6},
    {0x00B7, 0xB7}, {0x00B8, 0xB8}, {0x00B9, 0xB9}, {0x00BA, 0xBA}, {0x00BB, 0xBB}, {0x00BC, 0xBC}, {0x00BD, 0xBD},
    {0x00BE, 0xBE}, {0x00BF, 0xBF}, {0x00C0, 0xC0}, {0x00C1, 0xC1}, {0x00C2, 0xC2}, {0x00C3, 0xC3}, {0x00C4, 0xC4},
    {0x00C5, 0xC5}, {0x00C6, 0xC6}, {0x00C7, 0xC7}, {0x00C8, 0xC8}, {0x00C9, 0xC9}, {0x00CA, 0xCA}, {0x00CB, 0xCB},
    {0x00CC, 0xCC}, {0x00CD, 0xCD}, {0x00CE, 0xCE}, {0x00CF, 0xCF}, {0x00D0, 0xD0}, {0x00D1, 0xD1}, {0x00D2, 0xD2},
    {0x00D3, 0xD3}, {0x00D4, 0xD4}, {0x00D5, 0xD5}, {0x00D6, 0xD6}, {0x00D7, 0xD7}, {0x00D8, 0xD8}, {0x00D9, 0xD9},
    {0x00DA, 0xDA}, {0x00DB, 0xDB}, {0x00DC, 0xDC}, {0x00DD, 0xDD}, {0x00DE, 0xDE}, {0x00DF, 0xDF}, {0x00E0, 0xE0},
    {0x00E1, 0xE1}, {0x00E2, 0xE2}, {0x00E3, 0xE3}, {0x00E4, 0xE4}, {0x00E5, 0xE5}, {0x00E6, 0xE6}, {0x00E7, 0xE7},
    {0x00E8, 0xE8}, {0x00E9, 0xE9}, {0x00EA, 0xEA}, {0x00EB, 0xEB}, {0x00EC, 0xEC}, {0x00ED, 0xED}, {0x00EE, 0xEE},
    {0x00EF, 0xEF}, {0x00F0, 0xF0}, {0x00F1, 0xF1}, {0x00F2, 0xF2}, {0x00F3, 0xF3}, {0x00F4, 0xF4}, {0x00F5, 0xF5},
    {0x00F6, 0xF6}, {0x00F7, 0xF7}, {0x00F8, 0xF8}, {0x00F9, 0xF9}, {0x00FA, 0xFA}, {0x00FB, 0xFB}, {0x00FC, 0xFC},
    {0x00FD, 0xFD}, {0x00FE, 0xFE}, {0x00FF, 0xFF}, {0x0100, 0x41}, {0x0101, 0x61}, {0x0102, 0x41}, {0x0103, 0x61},
    {0x0104, 0x41}, {0x0105, 0x61}, {0x0106, 0x43}, {0x0107, 0x63}, {0x0108, 0x43}, {0x0109, 0x63}, {0x010A, 0x43},
    {0x010B, 0x63}, {0x010C, 0x43}, {0x010D, 0x63}, {0x010E, 0x44}, {0x010F, 0x64}, {0x0110, 0xD0}, {0x0111, 0x64},
    {0x0112, 0x45}, {0x0113, 0x65}, {0x0114, 0x45}, {0x0115, 0x65}, {0x0116, 0x45}, {0x0117, 0x65}, {0x0118, 0x45},
    {0x0119, 0x65}, {0x011A, 0x45}, {0x011B, 0x65}, {0x011C, 0x47}, {0x011D, 0x67}, {0x011E, 0x47}, {0x011F, 0x67},
    {0x0120, 0x47}, {0x0121, 0x67}, {0x0122, 0x47}, {0x0123, 0x67}, {0x0124, 0x48}, {0x0125, 0x68}, {0x0126, 0x48},
    {0x0127, 0x68}, {0x0128, 0x49}, {0x0129, 0x69}, {0x012A, 0x49}, {0x012B, 0x69}, {0x012C, 0x49}, {0x012D, 0x69},
    {0x012E, 0x49}, {0x012F, 0x69}, {0x0130, 0x49}, {0x0131, 0x69}, {0x0134, 0x4A}, {0x0135, 0x6A}, {0x0136, 0x4B},
    {0x0137, 0x6B}, {0x0139, 0x4C}, {0x013A, 0x6C}, {0x013B, 0x4C}, {0x013C, 0x6C}, {0x013D, 0x4C}, {0x013E, 0x6C},
    {0x0141, 0x4C}, {0x0142, 0x6C}, {0x0143, 0x4E}, {0x0144, 0x6E}, {0x0145, 0x4E}, {0x0146, 0x6E}, {0x0147, 0x4E},
    {0x0148, 0x6E}, {0x014C, 0x4F}, {0x014D, 0x6F}, {0x014E, 0x4F}, {0x014F, 0x6F}, {0x0150, 0x4F}, {0x0151, 0x6F},
    {0x0152, 0x8C}, {0x0153, 0x9C}, {0x0154, 0x52}, {0x0155, 0x72}, {0x0156, 0x52}, {0x0157, 0x72}, {0x0158, 0x52},
    {0x0159, 0x72}, {0x015A, 0x53}, {0x015B, 0x73}, {0x015C, 0x53}, {0x015D, 0x73}, {0x015E, 0x53}, {0x015F, 0x73},
    {0x0160, 0x8A}, {0x0161, 0x9A}, {0x0162, 0x54}, {0x0163, 0x74}, {0x0164, 0x54}, {0x0165, 0x74}, {0x0166, 0x54},
    {0x0167, 0x74}, {0x0168, 0x55}, {0x0169, 0x75}, {0x016A, 0x55}, {0x016B, 0x75}, {0x016C, 0x55}, {0x016D, 0x75},
    {0x016E, 0x55}, {0x016F, 0x75}, {0x0170, 0x55}, {0x0171, 0x75}, {0x0172, 0x55}, {0x0173, 0x75}, {0x0174, 0x57},
    {0x0175, 0x77}, {0x0176, 0x59}, {0x0177, 0x79}, {0x0178, 0x9F}, {0x0179, 0x5A}, {0x017A, 0x7A}, {0x017B, 0x5A},
    {0x017C, 0x7A}, {0x017D, 0x8E}, {0x017E, 0x9E}, {0x0180, 0x62}, {0x0189, 0xD0}, {0x0191, 0x83}, {0x0192, 0x83},
    {0x0197, 0x49}, {0x019A, 0x6C}, {0x019F, 0x4F}, {0x01A0, 0x4F}, {0x01A1, 0x6F}, {0x01AB, 0x74}, {0x01AE, 0x54},
    {0x01AF, 0x55}, {0x01B0, 0x75}, {0x01B6, 0x7A}, {0x01C0, 0x7C}, {0x01C3, 0x21}, {0x01CD, 0x41}, {0x01CE, 0x61},
    {0x01CF, 0x49}, {0x01D0, 0x69}, {0x01D1, 0x4F}, {0x01D2, 0x6F}, {0x01D3, 0x55}, {0x01D4, 0x75}, {0x01D5, 0x55},
    {0x01D6, 0x75}, {0x01D7, 0x55}, {0x01D8, 0x75}, {0x01D9, 0x55}, {0x01DA, 0x75}, {0x01DB, 0x55}, {0x01DC, 0x75},
    {0x01DE, 0x41}, {0x01DF, 0x61}, {0x01E4, 0x47}, {0x01E5, 0x67}, {0x01E6, 0x47}, {0x01E7, 0x67}, {0x01E8, 0x4B},
    {0x01E9, 0x6B}, {0x01EA, 0x4F}, {0x01EB, 0x6F}, {0x01EC, 0x4F}, {0x01ED, 0x6F}, {0x01F0, 0x6A}, {0x0261, 0x67},
    {0x02B9, 0x27}, {0x02BA, 0x22}, {0x02BC, 0x27}, {0x02C4, 0x5E}, {0x02C6, 0x88}, {0x02C8, 0x27}, {0x02C9, 0xAF},
    {0x02CA, 0xB4}, {0x02CB, 0x60}, {0x02CD, 0x5F}, {0x02DA, 0xB0}, {0x02DC, 0x98}, {0x0300, 0x60}, {0x0301, 0xB4},
    {0x0302, 0x5E}, {0x0303, 0x7E}, {0x0304, 0xAF}, {0x0305, 0xAF}, {0x0308, 0xA8}, {0x030A, 0xB0}, {0x030E, 0x22},
    {0x0327, 0xB8}, {0x0331, 0x5F}, {0x0332, 0x5F}, {0x037E, 0x3B}, {0x0393, 0x47}, {0x0398, 0x54}, {0x03A3, 0x53},
    {0x03A6, 0x46}, {0x03A9, 0x4F}, {0x03B1, 0x61}, {0x03B2, 0xDF}, {0x03B4, 0x64}, {0x03B5, 0x65}, {0x03BC, 0xB5},
    {0x03C0, 0x70}, {0x03C3, 0x73}, {0x03C4, 0x74}, {0x03C6, 0x66}, {0x04BB, 0x68}, {0x0589, 0x3A}, {0x066A, 0x25},
    {0x2000, 0x20}, {0x2001, 0x20}, {0x2002, 0x20}, {0x2003, 0x20}, {0x2004, 0x20}, {0x2005, 0x20}, {0x2006, 0x20},
    {0x2010, 0x2D}, {0x2011, 0x2D}, {0x2013, 0x96}, {0x2014, 0x97}, {0x2017, 0x3D}, {0x2018, 0x91}, {0x2019, 0x92},
    {0x201A, 0x82}, {0x201C, 0x93}, {0x201D, 0x94}, {0x201E, 0x84}, {0x2020, 0x86}, {0x2021, 0x87}, {0x2022, 0x95},
    {0x2024, 0xB7}, {0x2026, 0x85}, {0x2030, 0x89}, {0x2032, 0x27}, {0x2035, 0x60}, {0x2039, 0x8B}, {0x203A, 0x9B},
    {0x2044, 0x2F}, {0x2070, 0xB0}, {0x2074, 0x34}, {0x2075, 0x35}, {0x2076, 0x36}, {0x2077, 0x37}, {0x2078, 0x38},
    {0x207F, 0x6E}, {0x2080, 0x30}, {0x2081, 0x31}, {0x2082, 0x32}, {0x2083, 0x33}, {0x2084, 0x34}, {0x2085, 0x35},
    {0x2086, 0x36}, {0x2087, 0x37}, {0x2088, 0x38}, {0x2089, 0x39}, {0x20A1, 0xA2}, {0x20A4, 0xA3}, {0x20A7, 0x50},
    {0x20AC, 0x80}, {0x2102, 0x43}, {0x2107, 0x45}, {0x210A, 0x67}, {0x210B, 0x48}, {0x210C, 0x48}, {0x210D, 0x48},
    {0x210E, 0x68}, {0x2110, 0x49}, {0x2111, 0x49}, {0x2112, 0x4C}, {0x2113, 0x6C}, {0x2115, 0x4E}, {0x2118, 0x50},
    {0x2119, 0x50}, {0x211A, 0x51}, {0x211B, 0x52}, {0x211C, 0x52}, {0x211D, 0x52}, {0x2122, 0x99}, {0x2124, 0x5A},
    {0x2128, 0x5A}, {0x212A, 0x4B}, {0x212B, 0xC5}, {0x212C, 0x42}, {0x212D, 0x43}, {0x212E, 0x65}, {0x212F, 0x65},
    {0x2130, 0x45}, {0x2131, 0x46}, {0x2133, 0x4D}, {0x2134, 0x6F}, {0x2205, 0xD8}, {0x2212, 0x2D}, {0x2213, 0xB1},
    {0x2215, 0x2F}, {0x2216, 0x5C}, {0x2217, 0x2A}, {0x2218, 0xB0}, {0x2219, 0xB7}, {0x221A, 0x76}, {0x221E, 0x38},
    {0x2223, 0x7C}, {0x2229, 0x6E}, {0x2236, 0x3A}, {0x223C, 0x7E}, {0x2248, 0x98}, {0x2261, 0x3D}, {0x2264, 0x3D},
    {0x2265, 0x3D}, {0x226A, 0xAB}, {0x226B, 0xBB}, {0x22C5, 0xB7}, {0x2302, 0xA6}, {0x2303, 0x5E}, {0x2310, 0xAC},
    {0x2320, 0x28}, {0x2321, 0x29}, {0x2329, 0x3C}, {0x232A, 0x3E}, {0x2500, 0x2D}, {0x2502, 0xA6}, {0x250C, 0x2B},
    {0x2510, 0x2B}, {0x2514, 0x2B}, {0x2518, 0x2B}, {0x251C, 0x2B}, {0x2524, 0xA6}, {0x252C, 0x2D}, {0x2534, 0x2D},
    {0x253C, 0x2B}, {0x2550, 0x2D}, {0x2551, 0xA6}, {0x2552, 0x2B}, {0x2553, 0x2B}, {0x2554, 0x2B}, {0x2555, 0x2B},
    {0x2556, 0x2B}, {0x2557, 0x2B}, {0x2558, 0x2B}, {0x2559, 0x2B}, {0x255A, 0x2B}, {0x255B, 0x2B}, {0x255C, 0x2B},
    {0x255D, 0x2B}, {0x255E, 0xA6}, {0x255F, 0xA6}, {0x2560, 0xA6}, {0x2561, 0xA6}, {0x2562, 0xA6}, {0x2563, 0xA6},
    {0x2564, 0x2D}, {0x2565, 0x2D}, {0x2566, 0x2D}, {0x2567, 0x2D}, {0x2568, 0x2D}, {0x2569, 0x2D}, {0x256A, 0x2B},
    {0x256B, 0x2B}, {0x256C, 0x2B}, {0x2580, 0xAF}, {0x2584, 0x5F}, {0x2588, 0xA6}, {0x258C, 0xA6}, {0x2590, 0xA6},
    {0x2591, 0xA6}, {0x2592, 0xA6}, {0x2593, 0xA6}, {0x25A0, 0xA6}, {0x263C, 0xA4}, {0x2758, 0x7C}, {0x3000, 0x20},
    {0x3008, 0x3C}, {0x3009, 0x3E}, {0x300A, 0xAB}, {0x300B, 0xBB}, {0x301A, 0x5B}, {0x301B, 0x5D}, {0x30FB, 0xB7},
    {0xFF01, 0x21}, {0xFF02, 0x22}, {0xFF03, 0x23}, {0xFF04, 0x24}, {0xFF05, 0x25}, {0xFF06, 0x26}, {0xFF07, 0x27},
    {0xFF08, 0x28}, {0xFF09, 0x29}, {0xFF0A, 0x2A}, {0xFF0B, 0x2B}, {0xFF0C, 0x2C}, {0xFF0D, 0x2D}, {0xFF0E, 0x2E},
    {0xFF0F, 0x2F}, {0xFF10, 0x30}, {0xFF11, 0x31}, {0xFF12, 0x32}, {0xFF13, 0x33}, {0xFF14, 0x34}, {0xFF15, 0x35},
    {0xFF16, 0x36}, {0xFF17, 0x37}, {0xFF18, 0x38}, {0xFF19, 0x39}, {0xFF1A, 0x3A}, {0xFF1B, 0x3B}, {0xFF1C, 0x3C},
    {0xFF1D, 0x3D}, {0xFF1E, 0x3E}, {0xFF20, 0x40}, {0xFF21, 0x41}, {0xFF22, 0x42}, {0xFF23, 0x43}, {0xFF24, 0x44},
    {0xFF25, 0x45}, {0xFF26, 0x46}, {0xFF27, 0x47}, {0xFF28, 0x48}, {0xFF29, 0x49}, {0xFF2A, 0x4A}, {0xFF2B, 0x4B},
    {0xFF2C, 0x4C}, {0xFF2D, 0x4D}, {0xFF2E, 0x4E}, {0xFF2F, 0x4F}, {0xFF30, 0x50}, {0xFF31, 0x51}, {0xFF32, 0x52},
    {0xFF33, 0x53}, {0xFF34, 0x54}, {0xFF35, 0x55}, {0xFF36, 0x56}, {0xFF37, 0x57}, {0xFF38, 0x58}, {0xFF39, 0x59},
    {0xFF3A, 0x5A}, {0xFF3B, 0x5B}, {0xFF3C, 0x5C}, {0xFF3D, 0x5D}, {0xFF3E, 0x5E}, {0xFF3F, 0x5F}, {0xFF40, 0x60},
    {0xFF41, 0x61}, {0xFF42, 0x62}, {0xFF43, 0x63}, {0xFF44, 0x64}, {0xFF45, 0x65}, {0xFF46, 0x66}, {0xFF47, 0x67},
    {0xFF48, 0x68}, {0xFF49, 0x69}, {0xFF4A, 0x6A}, {0xFF4B, 0x6B}, {0xFF4C, 0x6C}, {0xFF4D, 0x6D}, {0xFF4E, 0x6E},
    {0xFF4F, 0x6F}, {0xFF50, 0x70}, {0xFF51, 0x71}, {0xFF52, 0x72}, {0xFF53, 0x73}, {0xFF54, 0x74}, {0xFF55, 0x75},
    {0xFF56, 0x76}, {0xFF57, 0x77}, {0xFF58, 0x78}, {0xFF59, 0x79}, {0xFF5A, 0x7A}, {0xFF5B, 0x7B}, {0xFF5C, 0x7C},
    {0xFF5D, 0x7D}, {0xFF5E, 0x7E},
};

// A byte of an ANSI text (a name asked for, a default) as the unit it becomes
// in a file of the given encoding.
Unit AnsiByteToUnit(unsigned char byte, ProfileEncoding encoding) {
    if (encoding == ProfileEncoding::Ansi || byte < 0x80 || byte >= 0xA0) return byte;
    return Cp1252High[byte - 0x80];
}

// A unit written back into the caller's 8-bit buffer, as WideCharToMultiByte
// does with code page 1252 (an ANSI file's units are its bytes already).
char UnitToAnsi(Unit unit, ProfileEncoding encoding) {
    if (encoding == ProfileEncoding::Ansi || unit < 0x80) return static_cast<char>(unit);
    size_t low = 0;
    size_t high = sizeof Cp1252BestFit / sizeof Cp1252BestFit[0];
    while (low < high) {
        const size_t middle = (low + high) / 2;
        if (Cp1252BestFit[middle].unit < unit) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low < sizeof Cp1252BestFit / sizeof Cp1252BestFit[0] && Cp1252BestFit[low].unit == unit) {
        return static_cast<char>(Cp1252BestFit[low].byte);
    }
    return '?';
}

// A name asked for, without the white space the profile functions ignore
// around it: its first character's offset and its length, or NoName for a
// name that can match nothing (null, or longer than the reader compares).
struct WantedName {
    uint16_t lead;
    uint16_t length;
};
constexpr uint16_t NoName = UINT16_MAX;
static_assert(ProfileMaxNameLength < NoName);

WantedName TrimmedName(const char* name) {
    if (name == nullptr) return {0, NoName};
    size_t lead = 0;
    while (IsProfileSpace(static_cast<unsigned char>(name[lead]))) ++lead;
    size_t end = lead;  // one past the last character that is no white space
    for (size_t i = lead; name[i] != '\0'; ++i) {
        if (!IsProfileSpace(static_cast<unsigned char>(name[i]))) end = i + 1;
    }
    const size_t length = end - lead;
    if (lead >= NoName || length > ProfileMaxNameLength) return {0, NoName};
    return {static_cast<uint16_t>(lead), static_cast<uint16_t>(length)};
}

bool NameMatches(const Unit* units, size_t length, const char* name, WantedName wanted, ProfileEncoding encoding) {
    if (wanted.length != length) return false;
    const char* text = name + wanted.lead;
    for (size_t i = 0; i < length; ++i) {
        const Unit want = AnsiByteToUnit(static_cast<unsigned char>(text[i]), encoding);
        if (FoldProfileCase(units[i]) != FoldProfileCase(want)) return false;
    }
    return true;
}

// The span of a value that the profile functions copy into a buffer of
// `capacity` units: one pair of matching quotes comes off a value longer than
// one character, and the copy stops at capacity - 1 units. The closing quote
// is removed by cutting the last copied unit, and only when the capacity is
// at least the length after the opening quote; so a value that just fits
// loses one character more, and a longer one keeps its cut-off text.
struct Span {
    size_t start;
    size_t length;
};

Span CopiedSpan(const Unit* value, size_t length, Unit last, size_t capacity) {
    size_t start = 0;
    bool quoted = false;
    if (length > 1 && (value[0] == '\'' || value[0] == '"') && last == value[0]) {
        quoted = true;
        start = 1;
        --length;
    }
    if (capacity == 0) return {start, 0};
    size_t copied = length < capacity - 1 ? length : capacity - 1;
    if (quoted && capacity >= length && copied > 0) --copied;
    return {start, copied};
}

// RtlUnicodeStringToInteger with base 0, which GetPrivateProfileIntA applies:
// units up to ' ' skipped, one sign, a lower-case "0x", "0o" or "0b" prefix,
// then digits summed in 32 bits with wrap-around up to the first non-digit.
// `used` is set to the units taken; `exact` tells whether the digits' value
// fits the 32-bit result.
int32_t ParseProfileInteger(const Unit* text, size_t length, size_t& used, bool& exact) {
    size_t i = 0;
    while (i < length && text[i] <= ' ') ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) negative = (text[i++] == '-');
    uint32_t base = 10;
    if (length - i >= 2 && text[i] == '0') {
        if (text[i + 1] == 'x') {
            base = 16;
        } else if (text[i + 1] == 'o') {
            base = 8;
        } else if (text[i + 1] == 'b') {
            base = 2;
        }
        if (base != 10) i += 2;
    }
    uint32_t total = 0;
    uint64_t magnitude = 0;  // saturates just past the 32-bit range
    for (; i < length; ++i) {
        const Unit u = text[i];
        uint32_t digit;
        if (u >= '0' && u <= '9') {
            digit = u - '0';
        } else if (u >= 'A' && u <= 'Z') {
            digit = u - 'A' + 10;
        } else if (u >= 'a' && u <= 'z') {
            digit = u - 'a' + 10;
        } else {
            break;
        }
        if (digit >= base) break;
        total = total * base + digit;
        magnitude = magnitude * base + digit;
        if (magnitude > (uint64_t{1} << 32)) magnitude = (uint64_t{1} << 32) + 1;
    }
    used = i;
    exact = magnitude <= (negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1);
    return static_cast<int32_t>(negative ? 0u - total : total);
}

// Results for a file that could not be opened: the default, trailing spaces
// removed, copied as it is (no quotes come off here).
void ResolveWithoutFile(ProfileRead& read) {
    read.line = 0;
    if (read.kind == ProfileReadKind::Integer) {
        read.number = read.defaultNumber;
        return;
    }
    if (read.capacity == 0 || read.text == nullptr) return;
    const char* text = read.defaultText != nullptr ? read.defaultText : "";
    size_t length = std::strlen(text);
    while (length > 1 && text[length - 1] == ' ') --length;
    size_t copied = length < read.capacity - 1 ? length : read.capacity - 1;
    if (copied > ProfileMaxTextCapacity - 1) copied = ProfileMaxTextCapacity - 1;
    std::memcpy(read.text, text, copied);
    read.text[copied] = '\0';
}

enum class ReadState : uint8_t {
    Waiting,  // its section has not appeared yet
    Open,     // inside the first section of its name: keys are looked at
    Closed,   // that section is over; later sections of the name do not count
    Found,    // resolved from a key line
};

// One pass over one file for up to ProfileReadsPerPass reads.
struct Pass {
    ProfileRead* reads;  // the reads of this pass
    size_t count;
    ReadState state[ProfileReadsPerPass];
    WantedName wantedSection[ProfileReadsPerPass];
    WantedName wantedKey[ProfileReadsPerPass];
    uint16_t open[ProfileReadsPerPass];  // reads whose section is the current one
    size_t openCount;
    uint16_t runStart[ProfileReadsPerPass];  // first read of each run of reads with the same section
    size_t runCount;
    // First characters (folded, below 0x100) of the keys the open reads want,
    // and whether one wants the empty name: a key line that starts otherwise
    // can match nothing and is skipped to its end unread.
    uint32_t openFirst[256 / 32];
    bool openWantsEmpty;
    ProfileEncoding encoding;
};

Pass pass;  // module-level: the reader is not re-entrant

struct CachedName {
    const char* name;
    WantedName wanted;
};
constexpr int KeyCacheBits = 7;
constexpr size_t KeyCacheSize = size_t{1} << KeyCacheBits;  // well above the distinct keys of a load
CachedName keyCache[KeyCacheSize];                          // trimmed key names of this pass, by address

// The trimmed name of a key, remembered by its address for the rest of the
// pass: an open-addressed table, so that names whose addresses lie close
// together (as string literals do) never push each other out.
WantedName CachedKeyName(const char* key) {
    if (key == nullptr) return {0, NoName};
    constexpr int Probes = 8;
    size_t slot =
        static_cast<size_t>((reinterpret_cast<uintptr_t>(key) * uint64_t{0x9E3779B97F4A7C15}) >> (64 - KeyCacheBits));
    for (int probe = 0; probe < Probes; ++probe, slot = (slot + 1) % KeyCacheSize) {
        if (keyCache[slot].name == key) return keyCache[slot].wanted;
        if (keyCache[slot].name == nullptr) {
            keyCache[slot] = {key, TrimmedName(key)};
            return keyCache[slot].wanted;
        }
    }
    return TrimmedName(key);  // a crowded table: measured again, never wrong
}
ProfileLexer lexer;  // the pass's scanner

void ResolveFromUnits(ProfileRead& read, const Unit* units, size_t length, Unit last, ProfileEncoding encoding) {
    if (read.kind == ProfileReadKind::Integer) {
        const Span span = CopiedSpan(units, length, last, IntegerTextCapacity);
        size_t used = 0;
        bool exact = false;
        read.number =
            span.length == 0 ? read.defaultNumber : ParseProfileInteger(units + span.start, span.length, used, exact);
        return;
    }
    if (read.text == nullptr) return;
    const size_t capacity = read.capacity < ProfileMaxTextCapacity ? read.capacity : ProfileMaxTextCapacity;
    const Span span = CopiedSpan(units, length, last, capacity);
    if (capacity == 0) return;
    for (size_t i = 0; i < span.length; ++i) read.text[i] = UnitToAnsi(units[span.start + i], encoding);
    read.text[span.length] = '\0';
}

// The default of a read whose key is absent from a file that exists: trailing
// spaces come off, and then the same copy as for a value (quotes included).
// A default is 8-bit text already, so its bytes are copied as they are.
void ResolveDefault(ProfileRead& read) {
    read.line = 0;
    if (read.kind == ProfileReadKind::Integer) {
        read.number = read.defaultNumber;
        return;
    }
    const char* text = read.defaultText != nullptr ? read.defaultText : "";
    size_t length = std::strlen(text);
    while (length > 1 && text[length - 1] == ' ') --length;
    if (read.text == nullptr) return;
    const size_t capacity = read.capacity < ProfileMaxTextCapacity ? read.capacity : ProfileMaxTextCapacity;
    if (capacity == 0) return;
    // The quote rule looks at the first unit and the last only.
    const Unit first = length > 0 ? static_cast<unsigned char>(text[0]) : 0;
    const Unit last = length > 0 ? static_cast<unsigned char>(text[length - 1]) : 0;
    const Span span = CopiedSpan(&first, length, last, capacity);
    std::memcpy(read.text, text + span.start, span.length);
    read.text[span.length] = '\0';
}

void RefreshOpenFilter() {
    std::memset(pass.openFirst, 0, sizeof pass.openFirst);
    pass.openWantsEmpty = false;
    for (size_t j = 0; j < pass.openCount; ++j) {
        const size_t i = pass.open[j];
        const WantedName wanted = pass.wantedKey[i];
        if (wanted.length == NoName) continue;
        if (wanted.length == 0) {
            pass.openWantsEmpty = true;
            continue;
        }
        const unsigned char first = static_cast<unsigned char>(pass.reads[i].key[wanted.lead]);
        const Unit folded = FoldProfileCase(AnsiByteToUnit(first, pass.encoding));
        if (folded < 0x100) pass.openFirst[folded / 32] |= 1u << (folded % 32);
    }
}

void OpenSection(const Unit* name, size_t length) {
    for (size_t j = 0; j < pass.openCount; ++j) {
        if (pass.state[pass.open[j]] == ReadState::Open) pass.state[pass.open[j]] = ReadState::Closed;
    }
    pass.openCount = 0;
    if (length <= ProfileMaxNameLength) {
        // A run of reads with the same section leaves the Waiting state all
        // at once: its name is compared once for the whole run.
        for (size_t g = 0; g < pass.runCount; ++g) {
            const size_t first = pass.runStart[g];
            const size_t end = g + 1 < pass.runCount ? pass.runStart[g + 1] : pass.count;
            if (pass.state[first] != ReadState::Waiting) continue;
            if (!NameMatches(name, length, pass.reads[first].section, pass.wantedSection[first], pass.encoding))
                continue;
            for (size_t i = first; i < end; ++i) {
                pass.state[i] = ReadState::Open;
                pass.open[pass.openCount++] = static_cast<uint16_t>(i);
            }
        }
    }
    RefreshOpenFilter();
}

void KeyLine(const ProfileLine& line) {
    if (pass.openCount == 0 || line.nameLength > ProfileMaxNameLength) return;
    for (size_t j = 0; j < pass.openCount; ++j) {
        const size_t i = pass.open[j];
        if (pass.state[i] != ReadState::Open || pass.wantedKey[i].length != line.nameLength) continue;
        if (!NameMatches(line.name, line.nameLength, pass.reads[i].key, pass.wantedKey[i], pass.encoding)) continue;
        pass.state[i] = ReadState::Found;
        if (!line.hasEquals) {
            // A line without '=' is a key without a value: it yields the
            // default, and hides any later key of the same name.
            ResolveDefault(pass.reads[i]);
        } else {
            ResolveFromUnits(pass.reads[i], line.value, line.valueLength, line.valueLast, pass.encoding);
        }
        pass.reads[i].line = line.number;
    }
}

void OnEncoding(ProfileEncoding encoding, void*) {
    pass.encoding = encoding;
    RefreshOpenFilter();  // the wanted names' units depend on the encoding
}

// Whether a line whose first character is `first` (not '[') may be a key
// that an open read wants. A line starting with NUL or '=' has the empty name.
bool WantsKeyLine(Unit first, void*) {
    if (pass.openCount == 0) return false;
    if (first == 0 || first == '=') return pass.openWantsEmpty;
    const Unit folded = FoldProfileCase(first);
    if (folded >= 0x100) return true;
    return (pass.openFirst[folded / 32] >> (folded % 32)) & 1u;
}

void OnLine(const ProfileLine& line, void*) {
    if (line.kind == ProfileLineKind::Section) {
        OpenSection(line.name, line.nameLength);
    } else {
        KeyLine(line);
    }
}

void BeginPass(ProfileRead* reads, size_t count) {
    pass.reads = reads;
    pass.count = count;
    pass.runCount = 0;
    for (CachedName& cached : keyCache) cached = {nullptr, {0, NoName}};
    for (size_t i = 0; i < count; ++i) {
        pass.state[i] = ReadState::Waiting;
        if (i > 0 && reads[i].section == reads[i - 1].section) {
            pass.wantedSection[i] = pass.wantedSection[i - 1];
        } else {
            pass.wantedSection[i] = TrimmedName(reads[i].section);
            pass.runStart[pass.runCount++] = static_cast<uint16_t>(i);
        }
        // Keys repeat from section to section (the same 21 names for every
        // weather): within the pass their trimmed names are remembered by
        // address, which cannot change while the reads are being answered.
        pass.wantedKey[i] = CachedKeyName(reads[i].key);
    }
    pass.openCount = 0;
    pass.encoding = ProfileEncoding::Ansi;
    // Lines before any header belong to a section with the empty name.
    OpenSection(nullptr, 0);
    BeginProfile(lexer, ProfileHandler{nullptr, OnEncoding, WantsKeyLine, OnLine});
}

void FinishPass() {
    FinishProfile(lexer);
    for (size_t i = 0; i < pass.count; ++i) {
        if (pass.state[i] != ReadState::Found) ResolveDefault(pass.reads[i]);
    }
}

void FeedChunk(const unsigned char* data, size_t size, void* bytes) {
    *static_cast<uint64_t*>(bytes) += size;
    FeedProfile(lexer, data, size);
}

}  // namespace

void ReadProfileFromMemory(const unsigned char* data, size_t size, ProfileRead* reads, size_t count) {
    for (size_t first = 0; first < count; first += ProfileReadsPerPass) {
        const size_t batch = count - first < ProfileReadsPerPass ? count - first : ProfileReadsPerPass;
        BeginPass(reads + first, batch);
        FeedProfile(lexer, data, size);
        FinishPass();
    }
}

ProfileFileResult ReadProfileFile(const char* path, ProfileRead* reads, size_t count) {
    ProfileFileResult result{true, 0, true};
    for (size_t first = 0; first < count; first += ProfileReadsPerPass) {
        const size_t batch = count - first < ProfileReadsPerPass ? count - first : ProfileReadsPerPass;
        BeginPass(reads + first, batch);
        uint64_t bytes = 0;
        if (!ReadFileBytes(path, FeedChunk, &bytes)) {
            result.found = false;
            ReadProfileWithoutFile(reads + first, batch);
            continue;
        }
        // A batch that takes several passes reads the file several times;
        // the first read tells its size.
        if (first == 0) result.bytes = bytes;
        FinishPass();
    }
    if (!result.found) result.bytes = 0;
    return result;
}

void ReadProfileWithoutFile(ProfileRead* reads, size_t count) {
    for (size_t i = 0; i < count; ++i) ResolveWithoutFile(reads[i]);
}

bool ProfileNameIs(const ProfileLine& line, const char* name) {
    // A caller tries many names on one line, and most differ in their first
    // character: those are turned down before the name is measured.
    if (name != nullptr && name[0] != '\0' && !IsProfileSpace(static_cast<unsigned char>(name[0])) &&
        (line.nameLength == 0 ||
         FoldProfileCase(line.name[0]) !=
             FoldProfileCase(AnsiByteToUnit(static_cast<unsigned char>(name[0]), line.encoding)))) {
        return false;
    }
    const WantedName wanted = TrimmedName(name);
    if (wanted.length == NoName || line.nameLength > ProfileMaxNameLength) return false;
    return NameMatches(line.name, line.nameLength, name, wanted, line.encoding);
}

void ReadProfileLineText(const ProfileLine& line, char* text, uint32_t capacity) {
    ProfileRead read{nullptr, nullptr, ProfileReadKind::Text, 0, nullptr, text, capacity, 0, line.number};
    ResolveFromUnits(read, line.value, line.valueLength, line.valueLast, line.encoding);
}

ProfileIntegerReading ReadProfileLineInteger(const ProfileLine& line, int32_t defaultNumber) {
    ProfileIntegerReading reading{defaultNumber, true, 0, 0, true};
    const Span span = CopiedSpan(line.value, line.valueLength, line.valueLast, IntegerTextCapacity);
    reading.length = line.valueLength - span.start * 2;
    if (span.length == 0) return reading;
    reading.empty = false;
    reading.number = ParseProfileInteger(line.value + span.start, span.length, reading.used, reading.exact);
    return reading;
}

}  // namespace platform
