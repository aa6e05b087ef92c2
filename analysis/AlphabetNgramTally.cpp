// The alphabet sequence tally: the reading engine (ReadingEngine.h) with a policy that reads each
// block, in file order as it commits, into the letter slots of the alphabet counter and slides the
// sequence window over them.
//
// The policy reads with one reader: a block is committed as soon as it is counted, while its text
// is still in the reader's buffer, so no block waits for its turn and its text needs no copy.
#include "AlphabetNgramTally.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "AlphabetBlockText.h"
#include "FileBlockInput.h"
#include "ReaderBuffers.h"
#include "ReadingEngine.h"

namespace glyphmeter::analysis {

namespace {

constexpr std::uint64_t denseBound = std::uint64_t{1} << 22;

}  // namespace

std::uint64_t sequenceSlots(std::size_t letters, int length) {
    std::uint64_t slots = 1;
    for (int i = 0; i < length; ++i) {
        slots *= letters;
    }
    return slots;
}

AlphabetNgramCounter::AlphabetNgramCounter(std::size_t letters, NgramOptions options)
    : base_(letters), options_(options), slots_(sequenceSlots(letters, options.length)) {
    if (options.length < 2 || options.length > 4) {
        throw std::invalid_argument("sequence length outside 2 to 4");
    }
    mayBeDense_ = slots_ <= denseBound;
}

void AlphabetNgramCounter::makeDense() {
    dense_.assign(static_cast<std::size_t>(slots_), 0);
    hashed_.forEach([&](std::uint64_t index, std::uint64_t count) {
        dense_[static_cast<std::size_t>(index)] += static_cast<std::uint32_t>(count);
    });
    hashed_ = HashedCounts();
}

void AlphabetNgramCounter::add(std::span<const std::uint16_t> slots) {
    switch (options_.length) {
        case 2:
            addOfLength<2>(slots);
            break;
        case 3:
            addOfLength<3>(slots);
            break;
        default:
            addOfLength<4>(slots);
            break;
    }
}

// The state in locals: the counts' stores could otherwise alias it and have it read again for
// every letter.
template <int length>
void AlphabetNgramCounter::addOfLength(std::span<const std::uint16_t> slots) {
    constexpr int before = length - 1;  // letters a sequence's last one follows
    const std::uint64_t base = base_;
    const bool spanWords = options_.spanWords;
    std::array<std::uint16_t, 3> recent = recent_;
    int run = run_;
    std::uint32_t* dense = dense_.empty() ? nullptr : dense_.data();
    for (const std::uint16_t slot : slots) {
        if (slot >= base) {
            run = spanWords ? run : 0;
            continue;
        }
        if (run == before) {
            std::uint64_t index = 0;
            for (int i = 0; i < before; ++i) {
                index = index * base + recent[static_cast<std::size_t>(i)];
            }
            index = index * base + slot;
            if (dense != nullptr) {
                ++dense[static_cast<std::size_t>(index)];
            } else {
                hashed_.add(index, 1);
                // Dense once the table would hold no more than sixteen times what is seen.
                if (mayBeDense_ && hashed_.size() * 16 > slots_) {
                    makeDense();
                    dense = dense_.data();
                }
            }
        } else {
            ++run;
        }
        for (int i = 0; i + 1 < before; ++i) {
            recent[static_cast<std::size_t>(i)] = recent[static_cast<std::size_t>(i) + 1];
        }
        recent[before - 1] = slot;
    }
    recent_ = recent;
    run_ = run;
}

std::vector<SequenceCount> AlphabetNgramCounter::take() {
    std::vector<SequenceCount> counts;
    if (!dense_.empty()) {
        for (std::size_t index = 0; index < dense_.size(); ++index) {
            if (dense_[index] != 0) {
                counts.push_back({index, dense_[index]});
            }
        }
        dense_ = std::vector<std::uint32_t>();  // its memory too
    } else {
        counts.reserve(hashed_.size());
        hashed_.forEach([&](std::uint64_t index, std::uint64_t count) {
            counts.push_back({index, count});
        });
        std::sort(counts.begin(), counts.end(),
                  [](const SequenceCount& a, const SequenceCount& b) { return a.index < b.index; });
        hashed_ = HashedCounts();
    }
    run_ = 0;
    return counts;
}

std::size_t AlphabetNgramCounter::heapBytes() const {
    return dense_.capacity() * sizeof(std::uint32_t) + hashed_.heapBytes();
}

namespace {

using detail::LimitStop;
using detail::TextForm;

class AlphabetSequenceCounting {
  public:
    // The text to read, kept only from the block's count to its commit, which follow each other.
    struct BlockCount {
        std::span<const std::byte> text;
    };

    AlphabetSequenceCounting(const AlphabetOptions& options, NgramOptions sequences,
                             std::int64_t limit)
        : text_(options),
          sequences_(options.alphabet.size(), sequences),
          options_(sequences),
          limit_(limit) {}

    void begin(TextForm form) {
        text_.begin(form);
        totals_ = text_.counter().emptyCounts();
        seam_ = text_.start();
    }

    // One reader: see above.
    bool addReader() { return false; }

    bool readsTwoByteUnits() const { return text_.readsTwoByteUnits(); }

    BlockCount count(int, std::span<std::byte> block) {
        bool shifted = false;
        return {text_.textOf(block, shifted)};
    }

    // At most one letter a byte, as for the alphabet tally, and the letters of the cluster left
    // open before the block, which the block's first characters complete: those are counted
    // only then.
    std::int64_t letters(const BlockCount& count) const {
        return static_cast<std::int64_t>(count.text.size() +
                                         4 * (seam_.cluster.size() + seam_.pendingSize));
    }

    std::int64_t commit(int, const BlockCount& count) {
        const std::int64_t before = totals_.total;
        read(count.text);
        return totals_.total - before;
    }

    LimitStop commitUpToLimit(int, std::span<std::byte>, const BlockCount& count, std::int64_t) {
        const std::int64_t before = totals_.total;
        LimitStop stop;
        stop.reached = read(count.text);
        stop.letters = totals_.total - before;
        return stop;
    }

    AlphabetNgramTally result(std::int64_t, bool limitReached) {
        const AlphabetCounter& counter = text_.counter();
        if (!stopped_) {
            if (const auto carry = text_.leftOver()) {
                const std::array<std::byte, 1> last{*carry};
                read(last);
            }
            slots_.clear();
            counter.finishLetterSlots(seam_, slots_, totals_);
            sequences_.add(slots_);
        }
        AlphabetNgramTally tally;
        tally.options = options_;
        tally.counts = sequences_.take();
        for (const SequenceCount& count : tally.counts) {
            tally.totalNgrams += static_cast<std::int64_t>(count.count);
        }
        tally.letters = std::move(totals_);
        tally.encoding = counter.encoding();
        tally.limitReached = limitReached;
        return tally;
    }

  private:
    // Reads `text` into the sequences; true when it stopped at the limit.
    bool read(std::span<const std::byte> text) {
        if (stopped_) {
            return true;
        }
        slots_.clear();
        stopped_ = text_.counter().letterSlots(seam_, text, slots_, totals_, limit_);
        sequences_.add(slots_);
        return stopped_;
    }

    detail::AlphabetBlockText text_;
    AlphabetNgramCounter sequences_;
    const NgramOptions options_;
    const std::int64_t limit_;
    AlphabetCounts totals_;
    AlphabetSeam seam_;
    std::vector<std::uint16_t> slots_;  // one block's, reused
    bool stopped_ = false;
};

AlphabetNgramTally countSequences(detail::BlockInput& input, const AlphabetOptions& options,
                                  NgramOptions sequences, const MessageSink& showMessage,
                                  std::int32_t limit, std::size_t blockSize, int threads,
                                  ReaderBuffers* buffers) {
    AlphabetSequenceCounting counting(options, sequences, limit);
    return detail::readInFileOrder(counting, input, showMessage, limit, blockSize, threads,
                                   buffers);
}

}  // namespace

AlphabetNgramTally tallyAlphabetNgrams(InputFile& file, const AlphabetOptions& options,
                                       NgramOptions sequences, const MessageSink& showMessage,
                                       std::int32_t limit, ReaderBuffers* buffers) {
    detail::FileBlockInput input(file);
    return countSequences(input, options, sequences, showMessage, limit, detail::defaultBlockSize,
                          1, buffers);
}

AlphabetNgramTally detail::tallyAlphabetNgrams(BlockInput& input, const AlphabetOptions& options,
                                               NgramOptions sequences,
                                               const MessageSink& showMessage, std::int32_t limit,
                                               std::size_t blockSize, int threads,
                                               ReaderBuffers* buffers) {
    return countSequences(input, options, sequences, showMessage, limit, blockSize, threads,
                          buffers);
}

}  // namespace glyphmeter::analysis
