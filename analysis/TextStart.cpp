// Recognising a UTF-16 byte-order mark at the start of a file.
#include "TextStart.h"

#include <algorithm>

namespace glyphmeter::analysis::detail {

namespace {

TextForm markedForm(std::span<const std::byte> first) {
    if (first.size() >= 2 && first[0] == std::byte{0xFF} && first[1] == std::byte{0xFE}) {
        return TextForm::utf16LittleEndian;
    }
    if (first.size() >= 2 && first[0] == std::byte{0xFE} && first[1] == std::byte{0xFF}) {
        return TextForm::utf16BigEndian;
    }
    return TextForm::bytes;
}

}  // namespace

TextStart startInSequence(BlockInput& file, std::array<std::byte, 2>& first) {
    TextStart start;
    std::size_t got = file.read(std::span(first).first(1));
    if (got == 1 && (first[0] == std::byte{0xFF} || first[0] == std::byte{0xFE})) {
        got += file.read(std::span(first).subspan(1, 1));
        start.ended = got < 2;
    } else {
        start.ended = got == 0;
    }
    start.form = markedForm(std::span(first).first(got));
    if (start.form == TextForm::bytes) {
        start.leadingText = std::span(first).first(got);
    }
    return start;
}

std::size_t firstReadSize(std::optional<std::uint64_t> size, std::size_t blockSize) {
    const std::size_t firstRead = size && *size < blockSize ? *size + 1 : blockSize;
    return std::max<std::size_t>(firstRead, 2);
}

TextStart startByPosition(BlockInput& file, std::span<std::byte> buffer, bool twoByteUnits) {
    TextStart start;
    const std::size_t got = file.readAt(0, buffer);
    start.ended = got < buffer.size();
    start.form = markedForm(buffer.first(got));
    if (start.form == TextForm::bytes) {
        const std::size_t whole = twoByteUnits && !start.ended ? got - got % 2 : got;
        start.leadingText = buffer.first(whole);
        start.offset = whole;
    } else {
        const std::size_t units = (got - 2) / 2;
        // An odd last byte stays with the text when the file ends there: the letter tallies
        // drop it, the alphabet tally reports it as an unfinished character.
        start.leadingText = buffer.subspan(2, start.ended ? got - 2 : 2 * units);
        start.offset = 2 + 2 * units;
    }
    return start;
}

}  // namespace glyphmeter::analysis::detail
