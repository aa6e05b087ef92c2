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

#include "AlphabetBlockText.h"
#include "FileBlockInput.h"
#include "ReaderBuffers.h"
#include "ReadingEngine.h"

namespace glyphmeter::analysis {

namespace {

using detail::LimitStop;
using detail::TextForm;

class AlphabetCounting {
  public:
    struct BlockCount {
        AlphabetPiece piece;
        std::vector<std::byte> head;  // the piece's first piece.headEnd bytes
        std::size_t size = 0;
        bool shifted = false;  // the text counted is the text's shifted one, not the block
    };

    AlphabetCounting(const AlphabetOptions& options, std::int64_t limit)
        : text_(options), limit_(limit) {}

    void begin(TextForm form) {
        text_.begin(form);
        totals_ = text_.counter().emptyCounts();
        seam_ = text_.start();
    }

    bool addReader() { return true; }

    bool readsTwoByteUnits() const { return text_.readsTwoByteUnits(); }

    BlockCount count(int, std::span<std::byte> block) {
        BlockCount count;
        const std::span<const std::byte> text = text_.textOf(block, count.shifted);
        text_.counter().count(text, count.piece);
        count.head.assign(text.begin(), text.begin() + count.piece.headEnd);
        count.size = text.size();
        return count;
    }

    std::int64_t letters(const BlockCount& count) const {
        return static_cast<std::int64_t>(count.size);
    }

    std::int64_t commit(int, const BlockCount& count) {
        const std::int64_t before = totals_.total;
        text_.counter().commitWhole(seam_, count.head, count.size, count.piece, totals_);
        return totals_.total - before;
    }

    // The engine's `left` is the limit less the letters committed, which totals_ holds too: the
    // counter takes the limit itself.
    LimitStop commitUpToLimit(int, std::span<std::byte> block, const BlockCount& count,
                              std::int64_t) {
        const std::span<const std::byte> text =
            count.shifted ? text_.shiftedText() : std::span<const std::byte>(block);
        const std::int64_t before = totals_.total;
        LimitStop stop;
        stop.reached = text_.counter().commit(seam_, text, count.piece, totals_, limit_);
        stop.letters = totals_.total - before;
        stopped_ = stop.reached;
        return stop;
    }

    AlphabetTally result(std::int64_t, bool limitReached) {
        const AlphabetCounter& counter = text_.counter();
        if (!stopped_) {
            if (const auto carry = text_.leftOver()) {
                const std::array<std::byte, 1> last{*carry};
                AlphabetPiece piece;
                counter.count(last, piece);
                counter.commit(seam_, last, piece, totals_);
            }
            counter.finish(seam_, totals_);
        }
        AlphabetTally tally;
        tally.counts = std::move(totals_);
        tally.encoding = counter.encoding();
        tally.limitReached = limitReached;
        return tally;
    }

  private:
    detail::AlphabetBlockText text_;
    const std::int64_t limit_;
    AlphabetCounts totals_;
    AlphabetSeam seam_;
    bool stopped_ = false;
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
