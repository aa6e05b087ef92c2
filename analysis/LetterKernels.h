// The counting kernels: the innermost loop of the tally.
//
// A kernel only accumulates. It adds the letters of `bytes` to `counts` and never resets them, so a
// file can be counted block by block into the same counters. Bytes 'A'..'Z' and 'a'..'z' add to
// slots 0..25; all other bytes are ignored. Counters are 64-bit, so no block size can overflow
// them.
//
// Each kernel also counts UTF-16 text: every two bytes are one code unit, little- or big-endian,
// and only the units U+0041..U+005A and U+0061..U+007A add to slots 0..25; all other units,
// surrogates included, are ignored, as is an odd last byte.
//
// A portable scalar kernel is always present; faster ones are added where the CPU supports them.
// The fastest supported kernel is chosen on first use, unless the environment variable
// GLYPHMETER_KERNEL names one ("scalar", "avx2", "avx512bw", "avx512vbmi"), which is then used if
// this CPU supports it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmeter::analysis {

// One 64-bit accumulator per letter, slot 0 for A: what the kernels add to.
using LetterAccumulators = std::array<std::uint64_t, 26>;

using LetterKernelFunction = void (*)(std::span<const std::byte> bytes, LetterAccumulators& counts);
using Utf16KernelFunction = void (*)(std::span<const std::byte> units, bool bigEndian,
                                     LetterAccumulators& counts);

struct LetterKernel {
    std::string_view name;
    LetterKernelFunction add;
    Utf16KernelFunction addUtf16;
};

// Every kernel compiled in and supported by this CPU, the scalar one first.
const std::vector<LetterKernel>& supportedKernels();

// The kernel the tally uses (see the environment variable above).
const LetterKernel& activeKernel();

// Picks the kernel for the given GLYPHMETER_KERNEL value (null or unknown: the fastest).
const LetterKernel& chooseKernel(const char* requested);

// Every name GLYPHMETER_KERNEL may hold, whether or not this build and CPU have that kernel.
inline constexpr std::array<std::string_view, 4> kernelNames{"scalar", "avx2", "avx512bw",
                                                             "avx512vbmi"};

// "scalar, avx2, avx512bw, avx512vbmi": kernelNames as a list for people.
std::string kernelNameList();

// Why a GLYPHMETER_KERNEL value is not followed: empty when it is null, empty or the name of a
// kernel this CPU supports; otherwise "unknown kernel 'NAME' (scalar, avx2, avx512bw,
// avx512vbmi)" or "this processor does not support the kernel 'NAME'". chooseKernel() falls
// back to the fastest kernel in both cases.
std::string kernelChoiceProblem(const char* requested);

void addLettersScalar(std::span<const std::byte> bytes, LetterAccumulators& counts);

// Narrowing UTF-16 for the byte kernels: writes one byte per whole code unit of `units` to
// `narrowed` (room for units.size() / 2 bytes), the unit itself when it is below 256 and a byte
// that is not a letter otherwise. The order of the bytes written is the kernel's own.
using Utf16NarrowFunction = void (*)(std::span<const std::byte> units, bool bigEndian,
                                     std::byte* narrowed);
void narrowUtf16Scalar(std::span<const std::byte> units, bool bigEndian, std::byte* narrowed);

// Built for x86-64: the AVX2 and AVX-512 kernels are compiled in, and chosen at run time only
// where the CPU has the instructions.
#if defined(__x86_64__) || defined(_M_X64)
#define GLYPHMETER_BUILT_FOR_X86_64 1
void addLettersAvx2(std::span<const std::byte> bytes, LetterAccumulators& counts);
bool cpuSupportsAvx2() noexcept;
void addUtf16LettersAvx2(std::span<const std::byte> units, bool bigEndian,
                         LetterAccumulators& counts);
void addLettersAvx512Bw(std::span<const std::byte> bytes, LetterAccumulators& counts);
void addLettersAvx512Vbmi(std::span<const std::byte> bytes, LetterAccumulators& counts);
bool cpuSupportsAvx512Bw() noexcept;
bool cpuSupportsAvx512Vbmi() noexcept;
void addUtf16LettersAvx512Bw(std::span<const std::byte> units, bool bigEndian,
                             LetterAccumulators& counts);
void addUtf16LettersAvx512Vbmi(std::span<const std::byte> units, bool bigEndian,
                               LetterAccumulators& counts);
#endif

}  // namespace glyphmeter::analysis
