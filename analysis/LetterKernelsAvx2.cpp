// The AVX2 kernel. Compiled for every x86-64 build through a target attribute and used only when
// the CPU reports AVX2, so the rest of the program keeps running on any x86-64 processor.
#include "LetterKernels.h"

#ifdef GLYPHMETER_HAVE_AVX2_KERNEL

#include <immintrin.h>

#define GLYPHMETER_AVX2 __attribute__((target("avx2")))

namespace glyphmeter::analysis {

namespace {

// Byte counters may take at most 255 increments before they wrap.
constexpr std::size_t maxVectorsPerFlush = 255;

// Counts letters First .. First+Letters-1 in `vectors` blocks of 32 bytes. OR-ing 0x20 folds
// 'A'..'Z' onto 'a'..'z' and maps no other byte into that range, so one compare per letter
// suffices. A compare yields -1 in each matching byte; subtracting it counts the match.
// The 26 letters are split into four passes over the same L1-resident bytes: with at most seven
// counters and seven letter constants live, a pass fits the sixteen vector registers, where one
// or two larger passes spill counters to the stack and run at about half the speed.
template <int First, int Letters>
GLYPHMETER_AVX2 void countPass(const std::byte* p, std::size_t vectors, LetterCounters& counts) {
    const __m256i caseBit = _mm256_set1_epi8(0x20);
    __m256i hits[Letters];
#pragma GCC unroll 7
    for (int k = 0; k < Letters; ++k) {
        hits[k] = _mm256_setzero_si256();
    }
    for (std::size_t i = 0; i < vectors; ++i) {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * i));
        const __m256i folded = _mm256_or_si256(bytes, caseBit);
#pragma GCC unroll 7
        for (int k = 0; k < Letters; ++k) {
            const __m256i letter = _mm256_set1_epi8(static_cast<char>('a' + First + k));
            hits[k] = _mm256_sub_epi8(hits[k], _mm256_cmpeq_epi8(folded, letter));
        }
    }
    const __m256i zero = _mm256_setzero_si256();
#pragma GCC unroll 7
    for (int k = 0; k < Letters; ++k) {
        // Sum the 32 byte counters into four 64-bit lanes, then the lanes.
        const __m256i sums = _mm256_sad_epu8(hits[k], zero);
        const __m128i pair =
            _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
        counts[First + k] += static_cast<std::uint64_t>(_mm_cvtsi128_si64(pair)) +
                             static_cast<std::uint64_t>(_mm_extract_epi64(pair, 1));
    }
}

}  // namespace

GLYPHMETER_AVX2 void addLettersAvx2(std::span<const std::byte> bytes, LetterCounters& counts) {
    const std::byte* p = bytes.data();
    std::size_t vectors = bytes.size() / 32;
    while (vectors > 0) {
        const std::size_t now = vectors < maxVectorsPerFlush ? vectors : maxVectorsPerFlush;
        countPass<0, 7>(p, now, counts);
        countPass<7, 7>(p, now, counts);
        countPass<14, 6>(p, now, counts);
        countPass<20, 6>(p, now, counts);
        p += 32 * now;
        vectors -= now;
    }
    addLettersScalar(bytes.subspan(bytes.size() / 32 * 32), counts);
}

GLYPHMETER_AVX2 void narrowUtf16Avx2(std::span<const std::byte> units, bool bigEndian,
                                     std::byte* narrowed) {
    // vpackuswb saturates: a unit from 256 to 32767 becomes 255 and one from 32768 up becomes 0,
    // neither of them a letter. It interleaves its two sources by 16-byte lanes, which a count
    // does not mind.
    const __m256i swap = _mm256_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14, 1,
                                          0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    const std::byte* p = units.data();
    const std::size_t vectors = units.size() / 64;
    for (std::size_t i = 0; i < vectors; ++i, p += 64, narrowed += 32) {
        __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
        if (bigEndian) {
            a = _mm256_shuffle_epi8(a, swap);
            b = _mm256_shuffle_epi8(b, swap);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(narrowed), _mm256_packus_epi16(a, b));
    }
    narrowUtf16Scalar(units.subspan(vectors * 64), bigEndian, narrowed);
}

bool cpuSupportsAvx2() noexcept {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

}  // namespace glyphmeter::analysis

#endif
