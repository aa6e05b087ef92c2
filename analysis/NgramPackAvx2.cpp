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

// The same for 16-bit slots: each index k becomes the bytes 2k and 2k+1.
constexpr std::array<std::array<std::uint8_t, 16>, 256> makeWordShuffles() {
    std::array<std::array<std::uint8_t, 16>, 256> wordShuffles{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        for (unsigned place = 0; place < 8; ++place) {
            const auto index = static_cast<std::uint8_t>(shuffles[mask] >> (8 * place));
            wordShuffles[mask][2 * place] = static_cast<std::uint8_t>(2 * index);
            wordShuffles[mask][2 * place + 1] = static_cast<std::uint8_t>(2 * index + 1);
        }
    }
    return wordShuffles;
}

constexpr std::array<std::array<std::uint8_t, 16>, 256> wordShuffles = makeWordShuffles();

// The marks of eight slots as the bits of a byte.
GLYPHMETER_AVX2 unsigned marksOf(const std::uint8_t* marks) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(marks));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(bytes, _mm_setzero_si128())) &
                                 0xFF);
}

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

namespace {

// Eight slots at a time: those marked are shuffled to the front and all eight stored where the
// kept ones end, which never passes the eight just read.
template <typename Slot>
GLYPHMETER_AVX2 std::size_t keepMarkedEights(Slot* slots, const std::uint8_t* marks,
                                             std::size_t size) {
    std::size_t kept = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const unsigned mask = marksOf(marks + i);
        if constexpr (sizeof(Slot) == 2) {
            const __m128i eight = _mm_loadu_si128(reinterpret_cast<const __m128i*>(slots + i));
            const __m128i order =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(wordShuffles[mask].data()));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(slots + kept),
                             _mm_shuffle_epi8(eight, order));
        } else {
            const __m256i eight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(slots + i));
            const __m256i order =
                _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(static_cast<long long>(shuffles[mask])));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(slots + kept),
                                _mm256_permutevar8x32_epi32(eight, order));
        }
        kept += static_cast<std::size_t>(__builtin_popcount(mask));
    }
    for (; i < size; ++i) {
        slots[kept] = slots[i];
        kept += marks[i];
    }
    return kept;
}

}  // namespace

GLYPHMETER_AVX2 std::size_t keepMarkedAvx2(std::uint16_t* slots, const std::uint8_t* marks,
                                           std::size_t size) {
    return keepMarkedEights(slots, marks, size);
}

GLYPHMETER_AVX2 std::size_t keepMarkedAvx2(std::uint32_t* slots, const std::uint8_t* marks,
                                           std::size_t size) {
    return keepMarkedEights(slots, marks, size);
}

}  // namespace glyphmeter::analysis

#endif
