// The comparison behind fixed2_check.h.
#include "tests/debug/fixed2_check.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "debug/status_text.h"

namespace {

void Compare(float value, Fixed2Report& report) {
    if (!std::isfinite(value)) return;  // spelled by us, not by the library
    char ours[Fixed2Capacity];
    char theirs[64];
    FormatFixed2(value, ours);
    std::snprintf(theirs, sizeof theirs, "%.2f", static_cast<double>(value));
    ++report.compared;
    if (std::strcmp(ours, theirs) == 0) return;
    if (report.mismatches++ == 0) {
        char line[160];
        std::snprintf(line, sizeof line, "0x%08X: %s vs %s", static_cast<unsigned>(std::bit_cast<uint32_t>(value)),
                      ours, theirs);
        report.first = line;
    }
}

}  // namespace

Fixed2Report CompareFixed2WithPrintf(uint32_t stride) {
    Fixed2Report report;
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += stride) {
        Compare(std::bit_cast<float>(static_cast<uint32_t>(bits)), report);
    }
    // Exact ties of the second decimal: n + 1/8, 3/8, 5/8, 7/8, both signs.
    for (int32_t n = 0; n < (1 << 17); ++n) {
        for (int eighth = 1; eighth < 8; eighth += 2) {
            const float value = static_cast<float>(n) + static_cast<float>(eighth) / 8.0f;
            Compare(value, report);
            Compare(-value, report);
        }
    }
    // Around every hundredth: the float nearest k / 100 and its neighbours.
    for (int32_t k = 0; k < 100000; ++k) {
        const float nearest = static_cast<float>(k) / 100.0f;
        Compare(std::nextafter(nearest, 0.0f), report);
        Compare(nearest, report);
        Compare(std::nextafter(nearest, 1e9f), report);
    }
    // The extremes.
    for (const uint32_t bits : {0x00000000u, 0x80000000u, 0x00000001u, 0x007FFFFFu, 0x00800000u, 0x7F7FFFFFu,
                                0xFF7FFFFFu, 0x5F000000u, 0x5EFFFFFFu}) {
        Compare(std::bit_cast<float>(bits), report);
    }
    return report;
}
