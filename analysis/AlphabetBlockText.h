// How the alphabet tallies take the reading engine's blocks as text of one encoding: which
// encoding applies once the engine has seen how the file starts, a UTF-16 byte-order mark that is
// text under another encoding, and UTF-16 without a mark whose blocks start inside code units.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "AlphabetCounter.h"
#include "AlphabetTally.h"
#include "TextStart.h"

namespace glyphmeter::analysis::detail {

class AlphabetBlockText {
  public:
    // `options` must outlive this.
    explicit AlphabetBlockText(const AlphabetOptions& options) : options_(options) {}

    // The file's form as the engine found it: makes the counter for the encoding that applies
    // (the one asked for, else the mark's, else UTF-8) and starts the text afresh.
    void begin(TextForm form);

    // Blocks of whole code units for an explicit UTF-16 encoding, mark or none.
    bool readsTwoByteUnits() const;

    // The counter begin() made.
    const AlphabetCounter& counter() const { return *counter_; }

    // The seam before the first text.
    AlphabetSeam start() const { return counter_->start(startOffset_); }

    // The text to count for `block`: the block itself, or (`shifted` true) the text held here,
    // valid until the next call: the mark read as text in front of the first block, or UTF-16
    // without a mark realigned on its code units, which needs the blocks one at a time in file
    // order.
    std::span<const std::byte> textOf(std::span<const std::byte> block, bool& shifted);

    // The text textOf() last held.
    std::span<const std::byte> shiftedText() const { return shifted_; }

    // Once every block is read: the odd last byte of realigned UTF-16, which is text too.
    std::optional<std::byte> leftOver() const { return carry_; }

  private:
    std::span<const std::byte> realigned(std::span<const std::byte> block);

    const AlphabetOptions& options_;
    std::optional<AlphabetCounter> counter_;
    std::uint64_t startOffset_ = 0;
    std::span<const std::byte> prefix_;  // text in front of the first block: a mark read as text
    bool realign_ = false;
    bool first_ = true;
    std::optional<std::byte> carry_;
    std::vector<std::byte> shifted_;
};

}  // namespace glyphmeter::analysis::detail
