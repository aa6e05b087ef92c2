// The alphabet tallies' reading of blocks as text: the encoding, a mark read as text, and UTF-16
// without a mark realigned on its code units.
#include "AlphabetBlockText.h"

#include <array>

namespace glyphmeter::analysis::detail {

namespace {

bool isUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::utf16LittleEndian || encoding == TextEncoding::utf16BigEndian;
}

}  // namespace

void AlphabetBlockText::begin(TextForm form) {
    // A UTF-16 byte-order mark, and the encoding it names.
    const bool marked = form != TextForm::bytes;
    const TextEncoding markedEncoding = form == TextForm::utf16BigEndian
                                            ? TextEncoding::utf16BigEndian
                                            : TextEncoding::utf16LittleEndian;
    const TextEncoding encoding =
        options_.encoding.value_or(marked ? markedEncoding : TextEncoding::utf8);
    counter_.emplace(options_.alphabet, encoding, options_.foldAccents);
    startOffset_ = marked ? 2 : 0;
    prefix_ = {};
    if (marked && encoding != markedEncoding) {
        // The engine has stepped over the mark; under another encoding it is text, read in
        // front of the first block.
        static constexpr std::array littleEndian{std::byte{0xFF}, std::byte{0xFE}};
        static constexpr std::array bigEndian{std::byte{0xFE}, std::byte{0xFF}};
        prefix_ =
            form == TextForm::utf16LittleEndian ? std::span(littleEndian) : std::span(bigEndian);
        startOffset_ = 0;
    }
    // UTF-16 without a mark read in sequence: the engine reads the first byte alone, so the
    // blocks after it start inside code units and are shifted back by one byte here.
    realign_ = isUtf16(encoding) && !marked;
    first_ = true;
    carry_.reset();
}

bool AlphabetBlockText::readsTwoByteUnits() const {
    return options_.encoding && isUtf16(*options_.encoding);
}

std::span<const std::byte> AlphabetBlockText::textOf(std::span<const std::byte> block,
                                                     bool& shifted) {
    shifted = false;
    if (first_ && !prefix_.empty()) {
        // The first text, that before the blocks, is committed before any other.
        first_ = false;
        shifted_.assign(prefix_.begin(), prefix_.end());
        shifted_.insert(shifted_.end(), block.begin(), block.end());
        shifted = true;
        return shifted_;
    }
    if (realign_) {
        const std::span<const std::byte> text = realigned(block);
        shifted = text.data() == shifted_.data();
        return text;
    }
    return block;
}

// The block with the byte left over from the one before in front, less its own last byte when
// that leaves it odd.
std::span<const std::byte> AlphabetBlockText::realigned(std::span<const std::byte> block) {
    if (first_) {
        first_ = false;
        if (block.size() % 2 == 0) {
            realign_ = false;  // the blocks start on code units after all
            return block;
        }
    }
    shifted_.clear();
    if (carry_) {
        shifted_.push_back(*carry_);
        carry_.reset();
    }
    shifted_.insert(shifted_.end(), block.begin(), block.end());
    if (shifted_.size() % 2 != 0) {
        carry_ = shifted_.back();
        shifted_.pop_back();
    }
    return shifted_;
}

}  // namespace glyphmeter::analysis::detail
