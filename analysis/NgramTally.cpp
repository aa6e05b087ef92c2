// The sequence tally: the reading engine (ReadingEngine.h) with a policy that counts each block's
// sequences with an NgramCounter and joins the sequences across block boundaries in file order.
//
// Each reader has its own counter and counts its blocks as if each stood alone; committing a block
// adds the sequences that run into it from the last letters of everything before, which needs only
// the block's head, so a block read ahead can wait for its turn without its text.
#include "NgramTally.h"

#include <optional>
#include <span>

#include "FileBlockInput.h"
#include "ReaderBuffers.h"
#include "ReadingEngine.h"

namespace glyphmeter::analysis {

namespace {

using detail::LimitStop;
using detail::TextForm;

class SequenceCounting {
  public:
    struct BlockCount {
        NgramState standaloneEnd = 0;
        NgramHead head;
        std::int64_t letters = 0;
    };

    SequenceCounting(NgramOptions options, NgramCounters& counters)
        : options_(options),
          counters_(counters),
          first_(counters.forReader(0, options)),
          carry_(first_.startState()) {}

    void begin(TextForm form) { form_ = form; }

    bool addReader() {
        second_ = &counters_.forReader(1, options_);
        return true;
    }

    BlockCount count(int reader, std::span<std::byte> block) {
        NgramCounter& counter = counterOf(reader);
        const std::span<const std::byte> chars = detail::narrowToCharacters(block, form_);
        BlockCount count;
        count.standaloneEnd = counter.count(chars, count.letters);
        count.head = counter.head(chars);
        return count;
    }

    std::int64_t letters(const BlockCount& count) const { return count.letters; }

    std::int64_t commit(int reader, const BlockCount& count) {
        carry_ = counterOf(reader).join(carry_, count.head, count.standaloneEnd);
        return count.letters;
    }

    // Takes back the block's own sequences and keeps only those that end up to the limit's
    // character.
    LimitStop commitUpToLimit(int reader, std::span<std::byte> block, const BlockCount&,
                              std::int64_t left) {
        NgramCounter& counter = counterOf(reader);
        const std::span<const std::byte> chars = detail::narrowedCharacters(block, form_);
        const LimitStop stop = detail::findLimit(chars, left);
        counter.countPlainly(counter.startState(), chars, -1);
        const std::span<const std::byte> kept = chars.first(stop.end);
        const NgramState standaloneEnd = counter.countPlainly(counter.startState(), kept);
        carry_ = counter.join(carry_, kept, standaloneEnd);
        return stop;
    }

    NgramTally result(std::int64_t letters, bool limitReached) {
        if (second_ != nullptr) {
            first_.addAndClear(*second_);
        }
        NgramTally tally;
        tally.options = options_;
        tally.counts = first_.take();
        for (const NgramCount& count : tally.counts) {
            tally.totalNgrams += static_cast<std::int64_t>(count.count);
        }
        tally.totalLetters = static_cast<std::int32_t>(letters);
        tally.limitReached = limitReached;
        return tally;
    }

  private:
    NgramCounter& counterOf(int reader) { return reader == 0 ? first_ : *second_; }

    const NgramOptions options_;
    TextForm form_ = TextForm::bytes;
    NgramCounters& counters_;
    NgramCounter& first_;
    NgramCounter* second_ = nullptr;
    NgramState carry_;  // the last letters of everything committed
};

NgramTally countNgrams(detail::BlockInput& input, NgramOptions options,
                       const MessageSink& showMessage, std::int32_t limit, std::size_t blockSize,
                       int threads, ReaderBuffers* buffers, NgramCounters* counters) {
    NgramCounters ownCounters;
    SequenceCounting counting(options, counters != nullptr ? *counters : ownCounters);
    return detail::readInFileOrder(counting, input, showMessage, limit, blockSize, threads,
                                   buffers);
}

}  // namespace

NgramCounter& NgramCounters::forReader(int reader, NgramOptions options) {
    std::optional<NgramCounter>& counter = counters_[reader == 0 ? 0 : 1];
    if (counter && counter->options().length == options.length &&
        counter->options().spanWords == options.spanWords) {
        // A count that failed half way may have left counts behind.
        counter->clear();
    } else {
        counter.reset();
        counter.emplace(options);
    }
    return *counter;
}

NgramTally tallyNgrams(InputFile& file, NgramOptions options, const MessageSink& showMessage,
                       std::int32_t limit, ReaderBuffers* buffers, NgramCounters* counters) {
    detail::FileBlockInput input(file);
    return countNgrams(input, options, showMessage, limit, detail::defaultBlockSize,
                       detail::readerThreads(), buffers, counters);
}

NgramTally detail::tallyNgrams(BlockInput& input, NgramOptions options,
                               const MessageSink& showMessage, std::int32_t limit,
                               std::size_t blockSize, int threads, ReaderBuffers* buffers) {
    return countNgrams(input, options, showMessage, limit, blockSize, threads, buffers, nullptr);
}

}  // namespace glyphmeter::analysis
