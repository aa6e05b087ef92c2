// The AVX2 test for bytes at or above 0x80. Compiled for every x86-64 build through a target
// attribute and used only with a vector kernel, which is chosen only where the CPU has AVX2.
#include "NonAsciiScan.h"

#ifdef GLYPHMETER_BUILT_FOR_X86_64

#include <immintrin.h>

#include <cstdint>

namespace glyphmeter::analysis {

__attribute__((target("avx2"))) std::uint64_t highBitsAvx2(const std::byte* bytes) {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes + 32));
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
           std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32;
}

}  // namespace glyphmeter::analysis

#endif
