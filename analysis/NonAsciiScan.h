// Finding the bytes at or above 0x80: how the alphabet counter skips the ASCII text that the
// letter kernels have already counted. Portable scalar
// versions are always present; the vector ones are used with the kernel of the same instruction
// set (so GLYPHMETER_KERNEL pins them too).
#pragma once

#include <cstddef>
#include <cstdint>

#include "LetterKernels.h"

namespace glyphmeter::analysis {

// The first byte in [from, end) that is 0x80 or above, or `end` when there is none.
using NonAsciiScanFunction = const std::byte* (*)(const std::byte* from, const std::byte* end);

const std::byte* findNonAsciiScalar(const std::byte* from, const std::byte* end);
#ifdef GLYPHMETER_HAVE_AVX2_KERNEL
const std::byte* findNonAsciiAvx2(const std::byte* from, const std::byte* end);
#endif

// The scan for `kernel`'s instruction set: the AVX2 one with every vector kernel.
NonAsciiScanFunction nonAsciiScanFor(const LetterKernel& kernel);

// Which of the 64 bytes at `bytes` are 0x80 or above: bit i for byte i.
using HighBitsFunction = std::uint64_t (*)(const std::byte* bytes);

std::uint64_t highBitsScalar(const std::byte* bytes);
#ifdef GLYPHMETER_HAVE_AVX2_KERNEL
std::uint64_t highBitsAvx2(const std::byte* bytes);
#endif

HighBitsFunction highBitsFor(const LetterKernel& kernel);

}  // namespace glyphmeter::analysis
