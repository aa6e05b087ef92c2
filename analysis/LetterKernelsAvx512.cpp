// The AVX-512 kernels: one for AVX-512BW, one that also uses VBMI's byte permute. Both are compiled
// for every x86-64 build through target attributes and used only when the CPU reports the
// features, so the rest of the program keeps running on any x86-64 processor. The kernel body is
// shared (LetterKernelsAvx512.inc) and included once per instruction set, because a function
// compiled for one set of features cannot inline helpers compiled for a larger one.
#include "LetterKernels.h"

#ifdef GLYPHMETER_HAVE_AVX512_KERNELS

#include <immintrin.h>

namespace glyphmeter::analysis {

namespace {

// For each group of eight letters, indexed by letter number: bit (letter % 8) for the group's own
// letters, zero elsewhere.
struct GroupBits {
    alignas(64) std::uint8_t bits[4][64];
};

constexpr GroupBits makeGroupBits() {
    GroupBits table{};
    for (int letter = 0; letter < 26; ++letter) {
        table.bits[letter / 8][letter] = static_cast<std::uint8_t>(1u << (letter % 8));
    }
    return table;
}

constexpr GroupBits groupBitTable = makeGroupBits();
constexpr const auto& groupBits = groupBitTable.bits;

// Bit (n % 8) for n = 0..15, in each 16-byte lane.
struct LetterBit {
    alignas(64) std::uint8_t bits[64];
};

constexpr LetterBit makeLetterBit() {
    LetterBit table{};
    for (int n = 0; n < 64; ++n) {
        table.bits[n] = static_cast<std::uint8_t>(1u << (n % 8));
    }
    return table;
}

constexpr LetterBit letterBitTable = makeLetterBit();
constexpr const auto& letterBit = letterBitTable.bits;

}  // namespace

namespace avx512bw {
#define GLYPHMETER_AVX512_TARGET "avx512f,avx512bw,popcnt"
#define GLYPHMETER_AVX512_VBMI 0
#include "LetterKernelsAvx512.inc"
#undef GLYPHMETER_AVX512_TARGET
#undef GLYPHMETER_AVX512_VBMI
}  // namespace avx512bw

namespace avx512vbmi {
#define GLYPHMETER_AVX512_TARGET "avx512f,avx512bw,avx512vbmi,popcnt"
#define GLYPHMETER_AVX512_VBMI 1
#include "LetterKernelsAvx512.inc"
#undef GLYPHMETER_AVX512_TARGET
#undef GLYPHMETER_AVX512_VBMI
}  // namespace avx512vbmi

void addLettersAvx512Bw(std::span<const std::byte> bytes, LetterCounters& counts) {
    avx512bw::addLetters(bytes, counts);
}

void addLettersAvx512Vbmi(std::span<const std::byte> bytes, LetterCounters& counts) {
    avx512vbmi::addLetters(bytes, counts);
}

__attribute__((target("avx512f,avx512bw"))) void narrowUtf16Avx512Bw(
    std::span<const std::byte> units, bool bigEndian, std::byte* narrowed) {
    // As the AVX2 narrowing: vpackuswb saturates units above 255 to bytes that are not letters.
    const __m512i swap = _mm512_set_epi64(
        0x0e0f0c0d0a0b0809, 0x0607040502030001, 0x0e0f0c0d0a0b0809, 0x0607040502030001,
        0x0e0f0c0d0a0b0809, 0x0607040502030001, 0x0e0f0c0d0a0b0809, 0x0607040502030001);
    const std::byte* p = units.data();
    const std::size_t vectors = units.size() / 128;
    for (std::size_t i = 0; i < vectors; ++i, p += 128, narrowed += 64) {
        __m512i a = _mm512_loadu_si512(p);
        __m512i b = _mm512_loadu_si512(p + 64);
        if (bigEndian) {
            a = _mm512_shuffle_epi8(a, swap);
            b = _mm512_shuffle_epi8(b, swap);
        }
        _mm512_storeu_si512(narrowed, _mm512_packus_epi16(a, b));
    }
    narrowUtf16Scalar(units.subspan(vectors * 128), bigEndian, narrowed);
}

bool cpuSupportsAvx512Bw() noexcept {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("popcnt");
}

bool cpuSupportsAvx512Vbmi() noexcept {
    return cpuSupportsAvx512Bw() && __builtin_cpu_supports("avx512vbmi");
}

}  // namespace glyphmeter::analysis

#endif
