// Finding the bytes at or above 0x80, 64 at a time: how the alphabet counter skips the ASCII text
// that the letter kernels have already counted. A portable scalar test is always present; the
// vector one is used with the kernels of the same instruction set (so GLYPHMETER_KERNEL pins it
// too).
#pragma once

#include <cstddef>
#include <cstdint>

#include "LetterKernels.h"

namespace glyphmeter::analysis {

// Which of the 64 bytes at `bytes` are 0x80 or above: bit i for byte i.
using HighBitsFunction = std::uint64_t (*)(const std::byte* bytes);

std::uint64_t highBitsScalar(const std::byte* bytes);
#ifdef GLYPHMETER_BUILT_FOR_X86_64
std::uint64_t highBitsAvx2(const std::byte* bytes);
#endif

// The test for `kernel`'s instruction set: the AVX2 one with every vector kernel.
HighBitsFunction highBitsFor(const LetterKernel& kernel);

}  // namespace glyphmeter::analysis
