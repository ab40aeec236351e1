// Compares the overlay's own "%.2f" with the C library's snprintf over a
// large spread of floats: a stride through every bit pattern, every exact
// tie (n + k/8), and the neighbours of every hundredth up to 10^5. Shared by
// the Linux test and a wine program, so both C libraries are checked.
#pragma once

#include <cstdint>
#include <string>

struct Fixed2Report {
    uint64_t compared = 0;  // finite floats compared
    uint64_t mismatches = 0;
    std::string first;  // the first mismatch, as "bits: ours vs printf"
};

// `stride` steps through the 2^32 bit patterns; smaller is more thorough.
Fixed2Report CompareFixed2WithPrintf(uint32_t stride);
