// How a file's text begins: plain bytes, or UTF-16 after a byte-order mark. The reading engine
// reads the start of a file before its blocks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "BlockReading.h"

namespace glyphmeter::analysis::detail {

enum class TextForm { bytes, utf16LittleEndian, utf16BigEndian };

// How the file starts: its form, where the blocks begin, and the text already read that comes
// before them.
struct TextStart {
    TextForm form = TextForm::bytes;
    std::uint64_t offset = 0;          // where the first block starts, for positioned reads
    std::span<std::byte> leadingText;  // text read before the blocks, counted first
    bool ended = false;                // the file ended within what was read
};

// A file read in sequence: reads the first byte, and the second only when the first could start
// a byte-order mark, so a file that has none is read no further than one character before the
// tally sees it. `first` receives the bytes.
TextStart startInSequence(BlockInput& file, std::array<std::byte, 2>& first);

// How much a file read by position reads first: one byte more than its size where that is below
// `blockSize`, so a small file is read, and known to have ended, in one go; otherwise a block.
// Two bytes at least, for the byte-order mark.
std::size_t firstReadSize(std::optional<std::uint64_t> size, std::size_t blockSize);

// A file read by position: reads its first block into `buffer` (all of a small file, whose size
// says one read holds it) and takes the form from its first two bytes. The blocks go on where the
// whole code units read end.
// `twoByteUnits`: text without a mark also ends on a whole unit unless the file ended.
TextStart startByPosition(BlockInput& file, std::span<std::byte> buffer, bool twoByteUnits = false);

}  // namespace glyphmeter::analysis::detail
