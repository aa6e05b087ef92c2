// Finding the next byte at or above 0x80: how the alphabet counter skips the ASCII text that the
// letter kernels have already counted. A portable scalar scan is always present; the vector one
// is used with the kernel of the same instruction set (so GLYPHMETER_KERNEL pins it too).
#pragma once

#include <cstddef>

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

}  // namespace glyphmeter::analysis
