// The scalar scan for bytes at or above 0x80, and the choice of scan for a kernel.
#include "NonAsciiScan.h"

#include <cstdint>
#include <cstring>

namespace glyphmeter::analysis {

const std::byte* findNonAsciiScalar(const std::byte* from, const std::byte* end) {
    // Eight bytes at a time: the top bits of a word say whether any of its bytes is not ASCII.
    constexpr std::uint64_t highBits = 0x8080808080808080u;
    while (end - from >= 8) {
        std::uint64_t word;
        std::memcpy(&word, from, 8);
        if ((word & highBits) != 0) {
            break;
        }
        from += 8;
    }
    while (from < end && static_cast<std::uint8_t>(*from) < 0x80) {
        ++from;
    }
    return from;
}

NonAsciiScanFunction nonAsciiScanFor(const LetterKernel& kernel) {
#ifdef GLYPHMETER_HAVE_AVX2_KERNEL
    if (kernel.name != "scalar") {
        return &findNonAsciiAvx2;
    }
#endif
    (void)kernel;
    return &findNonAsciiScalar;
}

std::uint64_t highBitsScalar(const std::byte* bytes) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 64; ++i) {
        bits |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(bytes[i]) >> 7) << i;
    }
    return bits;
}

HighBitsFunction highBitsFor(const LetterKernel& kernel) {
#ifdef GLYPHMETER_HAVE_AVX2_KERNEL
    if (kernel.name != "scalar") {
        return &highBitsAvx2;
    }
#endif
    (void)kernel;
    return &highBitsScalar;
}

}  // namespace glyphmeter::analysis
