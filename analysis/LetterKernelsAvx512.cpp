// The AVX-512 kernels: one for AVX-512BW, one that also uses VBMI's byte permute. Both are compiled
// for every x86-64 build through target attributes and used only when the CPU reports the
// features, so the rest of the program keeps running on any x86-64 processor. The kernel body is
// shared (LetterKernelsAvx512.inc) and included once per instruction set, because a function
// compiled for one set of features cannot inline helpers compiled for a larger one.
#include "LetterKernels.h"

#ifdef GLYPHMETER_BUILT_FOR_X86_64

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

void addLettersAvx512Bw(std::span<const std::byte> bytes, LetterAccumulators& counts) {
    avx512bw::addLetters(bytes, counts);
}

void addLettersAvx512Vbmi(std::span<const std::byte> bytes, LetterAccumulators& counts) {
    avx512vbmi::addLetters(bytes, counts);
}

void addUtf16LettersAvx512Bw(std::span<const std::byte> units, bool bigEndian,
                             LetterAccumulators& counts) {
    avx512bw::addUtf16Letters(units, bigEndian, counts);
}

void addUtf16LettersAvx512Vbmi(std::span<const std::byte> units, bool bigEndian,
                               LetterAccumulators& counts) {
    avx512vbmi::addUtf16Letters(units, bigEndian, counts);
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
