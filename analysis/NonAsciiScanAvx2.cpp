// The AVX2 scan for bytes at or above 0x80. Compiled for every x86-64 build through a target
// attribute and used only with a vector kernel, which is chosen only where the CPU has AVX2.
#include "NonAsciiScan.h"

#ifdef GLYPHMETER_HAVE_AVX2_KERNEL

#include <immintrin.h>

#include <cstdint>

namespace glyphmeter::analysis {

__attribute__((target("avx2,bmi"))) const std::byte* findNonAsciiAvx2(const std::byte* from,
                                                                      const std::byte* end) {
    // Two vectors a step: in Latin-script text the next non-ASCII byte is usually tens of bytes
    // away, and one test of both halves costs no more than a test of one.
    while (end - from >= 64) {
        const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
        const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + 32));
        const unsigned lowMask = static_cast<unsigned>(_mm256_movemask_epi8(low));
        const unsigned highMask = static_cast<unsigned>(_mm256_movemask_epi8(high));
        if ((lowMask | highMask) != 0) {
            return lowMask != 0 ? from + _tzcnt_u32(lowMask) : from + 32 + _tzcnt_u32(highMask);
        }
        from += 64;
    }
    if (end - from >= 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
        if (const unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(v)); mask != 0) {
            return from + _tzcnt_u32(mask);
        }
        from += 32;
    }
    return findNonAsciiScalar(from, end);
}

__attribute__((target("avx2"))) std::uint64_t highBitsAvx2(const std::byte* bytes) {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 32));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
           std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32;
}

}  // namespace glyphmeter::analysis

#endif
