// Recognising a UTF-16 byte-order mark at the start of a file.
#include "TextStart.h"

#include <span>

namespace glyphmeter::analysis::detail {

TextStart detectTextForm(BlockInput& file) {
    TextStart start;
    std::array<std::byte, 2> first{};
    const auto readByte = [&](std::size_t at) {
        const std::span<std::byte> into(&first[at], 1);
        return file.supportsPositionedReads() ? file.readAt(at, into) : file.read(into);
    };
    std::size_t got = readByte(0);
    if (got == 1 && (first[0] == std::byte{0xFF} || first[0] == std::byte{0xFE})) {
        got += readByte(1);
    }
    if (got == 2 && first[0] == std::byte{0xFF} && first[1] == std::byte{0xFE}) {
        start.form = TextForm::utf16LittleEndian;
        start.offset = 2;
    } else if (got == 2 && first[0] == std::byte{0xFE} && first[1] == std::byte{0xFF}) {
        start.form = TextForm::utf16BigEndian;
        start.offset = 2;
    } else if (!file.supportsPositionedReads()) {
        start.taken = first;
        start.takenSize = got;
    }
    return start;
}

}  // namespace glyphmeter::analysis::detail
