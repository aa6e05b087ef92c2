// The scalar test for bytes at or above 0x80, and the choice of test for a kernel.
#include "NonAsciiScan.h"

#include <cstdint>

namespace glyphmeter::analysis {

std::uint64_t highBitsScalar(const std::byte* bytes) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 64; ++i) {
        bits |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(bytes[i]) >> 7) << i;
    }
    return bits;
}

HighBitsFunction highBitsFor(const LetterKernel& kernel) {
#ifdef GLYPHMETER_BUILT_FOR_X86_64
    if (kernel.name != "scalar") {
        return &highBitsAvx2;
    }
#endif
    (void)kernel;
    return &highBitsScalar;
}

}  // namespace glyphmeter::analysis
