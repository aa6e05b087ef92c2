// How a file's text begins: plain bytes, or UTF-16 after a byte-order mark.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "LetterTally.h"

namespace glyphmeter::analysis::detail {

enum class TextForm { bytes, utf16LittleEndian, utf16BigEndian };

// How the file starts: its form, where the counted text begins, and for a file read in sequence
// the bytes already taken from it that are text.
struct TextStart {
    TextForm form = TextForm::bytes;
    std::uint64_t offset = 0;
    std::array<std::byte, 2> taken{};
    std::size_t takenSize = 0;
};

// Reads the first byte, and the second only when the first could start a byte-order mark, so
// a file that has none is read no further than one character before the tally sees it.
TextStart detectTextForm(BlockInput& file);

}  // namespace glyphmeter::analysis::detail
