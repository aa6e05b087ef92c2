// Packing the letters of a stretch of digits together (0..25 a letter, 26 not), for counting
// sequences across words, and the slots of the runs that are sequences, for listing them: portable
// functions and, where the CPU has them, byte shuffles.
#pragma once

#include <cstddef>
#include <cstdint>

#include "LetterKernels.h"

namespace glyphmeter::analysis {

// Writes the digits below 26 of `digits` to `out`, in order, and returns how many there are.
// `out` needs room for `size` digits plus 8 bytes beyond, which may be overwritten.
using PackLettersFunction = std::size_t (*)(const std::uint8_t* digits, std::size_t size,
                                            std::uint8_t* out);

std::size_t packLettersScalar(const std::uint8_t* digits, std::size_t size, std::uint8_t* out);

#ifdef GLYPHMETER_BUILT_FOR_X86_64
std::size_t packLettersAvx2(const std::uint8_t* digits, std::size_t size, std::uint8_t* out);
#endif

// Moves the slots whose mark is 1 (the others' marks are 0) to the front of `slots`, in order,
// and returns how many there are. The rest of the first `size` slots may be overwritten.
std::size_t keepMarkedScalar(std::uint16_t* slots, const std::uint8_t* marks, std::size_t size);
std::size_t keepMarkedScalar(std::uint32_t* slots, const std::uint8_t* marks, std::size_t size);

#ifdef GLYPHMETER_BUILT_FOR_X86_64
std::size_t keepMarkedAvx2(std::uint16_t* slots, const std::uint8_t* marks, std::size_t size);
std::size_t keepMarkedAvx2(std::uint32_t* slots, const std::uint8_t* marks, std::size_t size);
#endif

// The packing that goes with a counting kernel: the portable one for "scalar", the shuffles for
// the others (which all need AVX2), so GLYPHMETER_KERNEL=scalar runs without them.
PackLettersFunction packLettersFor(const LetterKernel& kernel);

}  // namespace glyphmeter::analysis
