// The game executable's image as the module's signature scan sees it. On
// Linux the simulated host maps a real image of pages with their own
// protection (unreadable holes, read-only code, writable data), so that a
// scan that reads a hole or a write that ignores protection crashes the test
// instead of passing quietly. Under wine, game.exe arranges its own image the
// same way by mode. Portable description; the mapping lives in the backend.
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

inline constexpr uint32_t ImagePageSize = 4096;
inline constexpr uint32_t SignatureLength = 17;
// The flag test the module looks for: 0x40 0x53 0x48 0x83 0xEC 0x20 0x80 0x3D,
// a 32-bit displacement d (any value), then 0x00 0x8B 0xDA 0x75 0x29. The
// byte the test reads is at the signature's start + 13 + d.
inline constexpr uint8_t SignatureBytes[SignatureLength] = {0x40, 0x53, 0x48, 0x83, 0xEC, 0x20, 0x80, 0x3D, 0x00,
                                                            0x00, 0x00, 0x00, 0x00, 0x8B, 0xDA, 0x75, 0x29};
inline constexpr bool SignatureWildcard[SignatureLength] = {
    false, false, false, false, false, false, false, false, true, true, true, true, false, false, false, false, false};

// The three arrangements a scenario can ask for, on Linux and under wine alike.
enum class ImageMode : uint8_t {
    Signature,       // the signature present, its flag byte writable (the game as shipped)
    NoSignature,     // no signature anywhere: the module must leave the image alone
    ReadOnlyTarget,  // the signature present but its flag byte on a read-only page
};

struct PageSpan {
    uint32_t firstPage = 0;
    uint32_t pageCount = 0;
};

struct BytePatch {
    uint32_t offset = 0;  // from the image base
    std::vector<uint8_t> bytes;
};

// A simulated image. The defaults model a small game: read-only code pages
// 0-7 with an unreadable hole at page 2 and the signature in page 5, writable
// data pages 8-15 with the flag byte (value 1) in page 9.
struct ImageSpec {
    bool present = true;    // false: the image cannot be had (empty range)
    uint32_t pages = 16;    // image size in pages
    bool signature = true;  // place the signature at signatureOffset
    uint32_t signatureOffset = 0x5230;
    uint32_t flagOffset = 0x9010;  // displacement d = flagOffset - (signatureOffset + 13)
    uint8_t flagValue = 1;         // the flag byte's start value
    // Built by count, not from a braced list, which GCC 12 at -O3 takes for
    // uninitialised memory.
    std::vector<PageSpan> unreadable = std::vector<PageSpan>(1, PageSpan{2, 1});
    std::vector<PageSpan> readOnly = std::vector<PageSpan>(1, PageSpan{0, 8});
    std::vector<BytePatch> patches;  // written last, over everything above

    // The default layout rearranged for a scenario mode.
    static ImageSpec ForMode(ImageMode mode);
};

// What can be seen of the image from outside the module.
struct ImageReport {
    int32_t signatures = 0;  // complete signature matches in readable memory
    int32_t flag = -1;       // the flag byte now; -1 when there is no image
};

// Counts the signature matches in `size` bytes at `bytes` (overlaps counted).
int32_t CountSignatures(const uint8_t* bytes, uint32_t size);

// Fills `out` with the signature for a flag byte `displacement` bytes past
// the signature's start + 13.
void WriteSignature(uint8_t* out, int32_t displacement);

}  // namespace sim
