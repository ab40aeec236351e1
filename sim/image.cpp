// The portable side of the simulated game image: the layouts for the three
// scenario modes and the signature bytes.
#include "sim/image.h"

#include <cstring>

namespace sim {

ImageSpec ImageSpec::ForMode(ImageMode mode) {
    ImageSpec layout;
    switch (mode) {
    case ImageMode::Signature: break;
    case ImageMode::NoSignature: layout.signature = false; break;
    case ImageMode::ReadOnlyTarget: layout.readOnly.push_back({layout.flagOffset / ImagePageSize, 1}); break;
    }
    return layout;
}

int32_t CountSignatures(const uint8_t* bytes, uint32_t size) {
    int32_t count = 0;
    for (uint32_t start = 0; start + SignatureLength <= size; ++start) {
        uint32_t k = 0;
        while (k < SignatureLength && (SignatureWildcard[k] || bytes[start + k] == SignatureBytes[k])) ++k;
        if (k == SignatureLength) ++count;
    }
    return count;
}

void WriteSignature(uint8_t* out, int32_t displacement) {
    std::memcpy(out, SignatureBytes, SignatureLength);
    const auto bits = static_cast<uint32_t>(displacement);
    for (int i = 0; i < 4; ++i) out[8 + i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace sim
