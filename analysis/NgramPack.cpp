// The portable packing of letters' digits, and the choice between it and the AVX2 one.
#include "NgramPack.h"

namespace glyphmeter::analysis {

std::size_t packLettersScalar(const std::uint8_t* digits, std::size_t size, std::uint8_t* out) {
    std::size_t letters = 0;
    for (std::size_t i = 0; i < size; ++i) {
        // Every digit is stored; the next one overwrites it unless it was a letter's.
        const unsigned digit = digits[i];
        out[letters] = static_cast<std::uint8_t>(digit);
        letters += ((digit + 6) >> 5) ^ 1;  // 26 + 6 is the first value with bit 5 set
    }
    return letters;
}

namespace {

template <typename Slot>
std::size_t keepMarked(Slot* slots, const std::uint8_t* marks, std::size_t size) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < size; ++i) {
        slots[kept] = slots[i];
        kept += marks[i];
    }
    return kept;
}

}  // namespace

std::size_t keepMarkedScalar(std::uint16_t* slots, const std::uint8_t* marks, std::size_t size) {
    return keepMarked(slots, marks, size);
}

std::size_t keepMarkedScalar(std::uint32_t* slots, const std::uint8_t* marks, std::size_t size) {
    return keepMarked(slots, marks, size);
}

PackLettersFunction packLettersFor(const LetterKernel& kernel) {
#ifdef GLYPHMETER_BUILT_FOR_X86_64
    if (kernel.name != "scalar") {
        return &packLettersAvx2;
    }
#endif
    (void)kernel;
    return &packLettersScalar;
}

}  // namespace glyphmeter::analysis
