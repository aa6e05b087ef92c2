// The alphabet tally: the reading engine (ReadingEngine.h) with a policy that counts each block
// with an AlphabetCounter and joins what straddles the seams in file order.
//
// A block read ahead of its turn waits without its text, so its count keeps the few bytes at its
// start that the join with the block before needs (a character's last bytes, combining marks).
// The engine's limit bound is the block's size: the total rises by at most one letter a byte.
#include "AlphabetTally.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <vector>

#include "FileBlockInput.h"
#include "ReaderBuffers.h"
#include "ReadingEngine.h"

namespace glyphmeter::analysis {

namespace {

using detail::LimitStop;
using detail::TextForm;

bool isUtf16(TextEncoding encoding) {
    return encoding == TextEncoding::utf16LittleEndian || encoding == TextEncoding::utf16BigEndian;
}

class AlphabetCounting {
  public:
    struct BlockCount {
        AlphabetPiece piece;
        std::vector<std::byte> head;  // the piece's first piece.headEnd bytes
        std::size_t size = 0;
        bool shifted = false;  // the text counted is shifted_, not the block
    };

    AlphabetCounting(const AlphabetOptions& options, std::int64_t limit)
        : options_(options), limit_(limit) {}

    void begin(TextForm form) {
        // A UTF-16 byte-order mark, and the encoding it names.
        const bool marked = form != TextForm::bytes;
        const TextEncoding markedEncoding = form == TextForm::utf16BigEndian
                                                ? TextEncoding::utf16BigEndian
                                                : TextEncoding::utf16LittleEndian;
        const TextEncoding encoding =
            options_.encoding.value_or(marked ? markedEncoding : TextEncoding::utf8);
        counter_.emplace(options_.alphabet, encoding, options_.foldAccents);
        totals_ = counter_->emptyCounts();
        seam_ = counter_->start(marked ? 2 : 0);
        prefix_ = {};
        if (marked && encoding != markedEncoding) {
            // The engine has stepped over the mark; under another encoding it is text, read in
            // front of the first block.
            static constexpr std::array littleEndian{std::byte{0xFF}, std::byte{0xFE}};
            static constexpr std::array bigEndian{std::byte{0xFE}, std::byte{0xFF}};
            prefix_ = form == TextForm::utf16LittleEndian ? std::span(littleEndian)
                                                          : std::span(bigEndian);
            seam_ = counter_->start(0);
        }
        // UTF-16 without a mark read in sequence: the engine reads the first byte alone, so the
        // blocks after it start inside code units and are shifted back by one byte here.
        realign_ = isUtf16(encoding) && !marked;
        first_ = true;
    }

    bool addReader() { return true; }

    // Blocks of whole code units for an explicit UTF-16 encoding, mark or none.
    bool readsTwoByteUnits() const { return options_.encoding && isUtf16(*options_.encoding); }

    BlockCount count(int, std::span<std::byte> block) {
        BlockCount count;
        std::span<const std::byte> text = block;
        if (first_ && !prefix_.empty()) {
            // The first count, of the text before the blocks, committed before any other.
            first_ = false;
            shifted_.assign(prefix_.begin(), prefix_.end());
            shifted_.insert(shifted_.end(), block.begin(), block.end());
            text = shifted_;
            count.shifted = true;
        } else if (realign_) {
            text = realigned(block);
            count.shifted = text.data() == shifted_.data();
        }
        counter_->count(text, count.piece);
        count.head.assign(text.begin(), text.begin() + count.piece.headEnd);
        count.size = text.size();
        return count;
    }

    std::int64_t letters(const BlockCount& count) const {
        return static_cast<std::int64_t>(count.size);
    }

    std::int64_t commit(int, const BlockCount& count) {
        const std::int64_t before = totals_.total;
        counter_->commitWhole(seam_, count.head, count.size, count.piece, totals_);
        return totals_.total - before;
    }

    // The engine's `left` is the limit less the letters committed, which totals_ holds too: the
    // counter takes the limit itself.
    LimitStop commitUpToLimit(int, std::span<std::byte> block, const BlockCount& count,
                              std::int64_t) {
        const std::span<const std::byte> text = count.shifted ? std::span<const std::byte>(shifted_)
                                                              : std::span<const std::byte>(block);
        const std::int64_t before = totals_.total;
        LimitStop stop;
        stop.reached = counter_->commit(seam_, text, count.piece, totals_, limit_);
        stop.letters = totals_.total - before;
        stopped_ = stop.reached;
        return stop;
    }

    AlphabetTally result(std::int64_t, bool limitReached) {
        if (!stopped_) {
            if (carry_) {
                const std::array<std::byte, 1> last{*carry_};
                AlphabetPiece piece;
                counter_->count(last, piece);
                counter_->commit(seam_, last, piece, totals_);
            }
            counter_->finish(seam_, totals_);
        }
        AlphabetTally tally;
        tally.counts = std::move(totals_);
        tally.encoding = counter_->encoding();
        tally.limitReached = limitReached;
        return tally;
    }

  private:
    // The block with the byte left over from the one before in front, less its own last byte
    // when that leaves it odd. Only in sequence, where blocks come one at a time in order.
    std::span<const std::byte> realigned(std::span<const std::byte> block) {
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

    const AlphabetOptions& options_;
    const std::int64_t limit_;
    std::span<const std::byte> prefix_;  // text in front of the first block: a mark read as text
    std::optional<AlphabetCounter> counter_;
    AlphabetCounts totals_;
    AlphabetSeam seam_;
    bool realign_ = false;
    bool first_ = true;
    bool stopped_ = false;
    std::optional<std::byte> carry_;
    std::vector<std::byte> shifted_;
};

AlphabetTally countAlphabet(detail::BlockInput& input, const AlphabetOptions& options,
                            const MessageSink& showMessage, std::int32_t limit,
                            std::size_t blockSize, int threads, ReaderBuffers* buffers) {
    AlphabetCounting counting(options, limit);
    return detail::readInFileOrder(counting, input, showMessage, limit, blockSize, threads,
                                   buffers);
}

}  // namespace

AlphabetTally tallyAlphabet(InputFile& file, const AlphabetOptions& options,
                            const MessageSink& showMessage, std::int32_t limit,
                            ReaderBuffers* buffers) {
    detail::FileBlockInput input(file);
    return countAlphabet(input, options, showMessage, limit, detail::defaultBlockSize,
                         detail::readerThreads(), buffers);
}

AlphabetTally detail::tallyAlphabet(BlockInput& input, const AlphabetOptions& options,
                                    const MessageSink& showMessage, std::int32_t limit,
                                    std::size_t blockSize, int threads, ReaderBuffers* buffers) {
    return countAlphabet(input, options, showMessage, limit, blockSize, threads, buffers);
}

}  // namespace glyphmeter::analysis
