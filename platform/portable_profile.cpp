// Placeholder until the portable reader lands: every read takes its default.
#include "platform/portable_profile.h"

#include <cstring>

namespace platform {

void ReadProfile(const char*, ProfileRead* reads, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        ProfileRead& read = reads[i];
        if (read.kind == ProfileReadKind::Integer) {
            read.number = read.defaultNumber;
        } else if (read.capacity > 0) {
            std::strncpy(read.text, read.defaultText, read.capacity - 1);
            read.text[read.capacity - 1] = '\0';
        }
    }
}

}  // namespace platform
