// Packing the letters of a stretch together with byte shuffles, for counting sequences across
// words. Compiled for every x86-64 build through a target attribute and used only when the CPU
// reports AVX2 (see NgramCounter.cpp).
#include "NgramPack.h"

#ifdef GLYPHMETER_BUILT_FOR_X86_64

#include <immintrin.h>

#include <array>
#include <cstring>

#define GLYPHMETER_AVX2 __attribute__((target("avx2,popcnt")))

namespace glyphmeter::analysis {

namespace {

// For each 8-bit mask of letters, the byte shuffle that moves those bytes to the front.
constexpr std::array<std::uint64_t, 256> makeShuffles() {
    std::array<std::uint64_t, 256> shuffles{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        std::uint64_t shuffle = 0;
        unsigned placed = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if (mask & (1u << bit)) {
                shuffle |= std::uint64_t{bit} << (8 * placed++);
            }
        }
        shuffles[mask] = shuffle;
    }
    return shuffles;
}

constexpr std::array<std::uint64_t, 256> shuffles = makeShuffles();

}  // namespace

GLYPHMETER_AVX2 std::size_t packLettersAvx2(const std::uint8_t* digits, std::size_t size,
                                            std::uint8_t* out) {
    const __m128i notLetter = _mm_set1_epi8(26);
    const __m128i upperHalf = _mm_set_epi64x(0x0808080808080808, 0);
    std::size_t letters = 0;
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(digits + i));
        const auto mask =
            static_cast<unsigned>(~_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, notLetter)) & 0xFFFF);
        const unsigned low = mask & 0xFF;
        const unsigned high = mask >> 8;
        const __m128i shuffle = _mm_add_epi8(_mm_set_epi64x(static_cast<long long>(shuffles[high]),
                                                            static_cast<long long>(shuffles[low])),
                                             upperHalf);
        const __m128i packed = _mm_shuffle_epi8(bytes, shuffle);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + letters), packed);
        letters += static_cast<std::size_t>(__builtin_popcount(low));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + letters),
                         _mm_unpackhi_epi64(packed, packed));
        letters += static_cast<std::size_t>(__builtin_popcount(high));
    }
    return letters + packLettersScalar(digits + i, size - i, out + letters);
}

}  // namespace glyphmeter::analysis

#endif
