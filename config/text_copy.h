// The one bounded string copy of the module: every fixed text buffer is
// filled through it, so no copy can run past a buffer or leave it without
// its terminating NUL.
#pragma once

#include <cstddef>

// Copies at most capacity - 1 bytes of the NUL-terminated `source` into
// `destination` (capacity bytes) and always terminates it; a capacity of 0
// writes nothing. Returns the number of bytes copied, without the NUL.
inline size_t CopyText(char* destination, size_t capacity, const char* source) {
    if (capacity == 0) return 0;
    size_t length = 0;
    while (length + 1 < capacity && source[length] != '\0') {
        destination[length] = source[length];
        ++length;
    }
    destination[length] = '\0';
    return length;
}

template <size_t Capacity> inline size_t CopyText(char (&destination)[Capacity], const char* source) {
    return CopyText(destination, Capacity, source);
}
