#include "tools/common/closest_name.h"

#include <algorithm>
#include <array>
#include <cstdint>

size_t EditDistance(std::string_view text, const std::string& pattern) {
    const size_t m = pattern.size();
    if (m == 0) return text.size();
    // Myers' bit-parallel method. The positions of each character in the
    // pattern; only the pattern's own entries are set, and cleared again
    // before returning.
    static std::array<uint64_t, 256> equal{};
    for (size_t i = 0; i < m; ++i) equal[static_cast<unsigned char>(FoldAscii(pattern[i]))] |= uint64_t{1} << i;
    uint64_t positive = m == 64 ? ~uint64_t{0} : (uint64_t{1} << m) - 1;
    uint64_t negative = 0;
    const uint64_t last = uint64_t{1} << (m - 1);
    size_t score = m;
    for (const char c : text) {
        const uint64_t eq = equal[static_cast<unsigned char>(FoldAscii(c))];
        const uint64_t xv = eq | negative;
        const uint64_t xh = (((eq & positive) + positive) ^ positive) | eq;
        uint64_t ph = negative | ~(xh | positive);
        uint64_t mh = positive & xh;
        if (ph & last) ++score;
        if (mh & last) --score;
        ph = (ph << 1) | 1;
        mh <<= 1;
        positive = mh | ~(xv | ph);
        negative = ph & xv;
    }
    for (size_t i = 0; i < m; ++i) equal[static_cast<unsigned char>(FoldAscii(pattern[i]))] = 0;
    return score;
}

std::string_view Closest(std::string_view text, const std::vector<std::string>& candidates) {
    std::string_view best;
    size_t bestDistance = std::max<size_t>(3, text.size() / 3) + 1;
    for (const std::string& candidate : candidates) {
        const size_t gap =
            text.size() > candidate.size() ? text.size() - candidate.size() : candidate.size() - text.size();
        if (gap >= bestDistance) continue;
        const size_t distance = EditDistance(text, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}
