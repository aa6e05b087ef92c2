// The AVX2 loop of AlphabetVectors.h: UTF-8 checked 32 bytes at a time with vector compares, and
// the two-byte characters it finds looked up one by one in a table indexed by their two bytes.
// It uses no AVX-512 instruction: most PCs that run it have none.
#include "AlphabetVectors.h"

#ifdef GLYPHMETER_BUILT_FOR_X86_64
#include <immintrin.h>

#include <bit>
#include <cstring>

#define GLYPHMETER_AVX2_INLINE __attribute__((target("avx2,bmi,popcnt"), always_inline)) inline

namespace glyphmeter::analysis {

namespace {

GLYPHMETER_AVX2_INLINE __m256i loadText(const std::byte* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

GLYPHMETER_AVX2_INLINE __m256i bytes(int value) {
    return _mm256_set1_epi8(static_cast<char>(value));
}

GLYPHMETER_AVX2_INLINE std::uint32_t bitsOf(__m256i vector) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(vector));
}

// The bytes from `low` to `high`, as signed numbers (both at most 0x7F apart from 0x80).
GLYPHMETER_AVX2_INLINE std::uint32_t between(__m256i text, int low, int high) {
    const __m256i shifted = _mm256_sub_epi8(text, bytes(low - 0x80));  // low -> -128
    return bitsOf(_mm256_cmpgt_epi8(bytes(high - low - 0x80 + 1), shifted));
}

}  // namespace

__attribute__((target("avx2,bmi,popcnt"))) const std::byte* addUtf8PairsAvx2(
    const std::uint16_t* pairEntries, std::uint16_t follower, bool punctuationCounts,
    const std::byte* p, const std::byte* end, std::int64_t* slots, LeftCharacterReader readLeft,
    void* context) {
    const __m256i notContinuation = bytes(0xC0);  // continuation bytes are below, as signed
    // As for the AVX-512 loop: chunks 32 bytes apart, whatever they hold, with the continuation
    // bytes the last character of one carries into the next.
    std::uint32_t carried = 0;
    while (end - p >= 34) {
        const __m256i text = loadText(p);
        const __m256i next = loadText(p + 1);
        const std::uint32_t high = bitsOf(text);
        if ((high | carried) == 0) {
            p += 32;
            continue;
        }
        const std::uint32_t continuation = bitsOf(_mm256_cmpgt_epi8(notContinuation, text));
        const std::uint32_t continuedOnce = bitsOf(_mm256_cmpgt_epi8(notContinuation, next));
        const std::uint32_t continuedTwice =
            continuedOnce >> 1 | static_cast<std::uint32_t>(static_cast<std::int8_t>(p[33]) < -64)
                                     << 31;
        const std::uint32_t twoBytes = between(text, 0xC2, 0xDF);
        const std::uint32_t punctuationLead =
            punctuationCounts ? 0 : bitsOf(_mm256_cmpeq_epi8(text, bytes(0xE2)));
        const std::uint32_t punctuation = between(next, 0x80, 0x82);
        const std::uint32_t needsOne = twoBytes | punctuationLead;
        const std::uint32_t required = needsOne << 1 | punctuationLead << 2 | carried;
        const std::uint32_t left =
            (high & ~continuation & ~needsOne) | (needsOne & ~continuedOnce) |
            (punctuationLead & ~(punctuation & continuedTwice)) | (continuation & ~required);
        unsigned stop = left == 0 ? 32 : static_cast<unsigned>(std::countr_zero(left));
        const std::uint32_t before =
            stop == 32 ? ~std::uint32_t{0} : (std::uint32_t{1} << stop) - 1;
        for (std::uint32_t leads = twoBytes & before; leads != 0; leads &= leads - 1) {
            const unsigned at = static_cast<unsigned>(std::countr_zero(leads));
            std::uint16_t pair;
            std::memcpy(&pair, p + at, 2);
            const std::uint16_t entry = pairEntries[pair & 0x3F1F];
            if (entry == follower) {
                stop = at;  // a mark that joins the character before it: left to the caller
                break;
            }
            ++slots[entry];
        }
        if (stop < 32) {
            p = readLeft(context, p + stop);
            carried = 0;
            continue;
        }
        carried = (needsOne >> 31) | (punctuationLead >> 30 & 1) | (punctuationLead >> 31) << 1;
        p += 32;
    }
    return p + std::popcount(carried);
}

}  // namespace glyphmeter::analysis

#endif
