// The letter tally: the reading engine (ReadingEngine.h) with a policy that counts each block's
// letters with the active kernel and adds the counts in file order.
#include "LetterTally.h"

#include <span>

#include "FileBlockInput.h"
#include "LetterKernels.h"
#include "ReaderBuffers.h"
#include "ReadingEngine.h"

namespace glyphmeter::analysis {

namespace {

using detail::LimitStop;
using detail::TextForm;

class LetterCounting {
  public:
    struct BlockCount {
        LetterAccumulators counts{};
        std::int64_t letters = 0;
    };

    void begin(TextForm form) { form_ = form; }

    // The kernel needs no state of its own: both readers share it.
    bool addReader() { return true; }

    BlockCount count(int, std::span<std::byte> block) const {
        BlockCount count;
        if (form_ == TextForm::bytes) {
            kernel_.add(block, count.counts);
        } else {
            kernel_.addUtf16(block, form_ == TextForm::utf16BigEndian, count.counts);
        }
        for (const std::uint64_t letters : count.counts) {
            count.letters += static_cast<std::int64_t>(letters);
        }
        return count;
    }

    std::int64_t letters(const BlockCount& count) const { return count.letters; }

    std::int64_t commit(int, const BlockCount& count) {
        for (int letter = 0; letter < alphabetSize; ++letter) {
            counts_[letter] += count.counts[letter];
        }
        return count.letters;
    }

    // Counts the characters again up to the limit's: the block's own counts hold letters past it.
    LimitStop commitUpToLimit(int, std::span<std::byte> block, const BlockCount&,
                              std::int64_t left) {
        const std::span<const std::byte> chars = detail::narrowToCharacters(block, form_);
        const LimitStop stop = detail::findLimit(chars, left);
        kernel_.add(chars.first(stop.end), counts_);
        return stop;
    }

    LetterTally result(std::int64_t letters, bool limitReached) const {
        LetterTally tally;
        for (int letter = 0; letter < alphabetSize; ++letter) {
            tally.letterCounts[letter] = static_cast<std::int32_t>(counts_[letter]);
        }
        tally.totalLetters = static_cast<std::int32_t>(letters);
        tally.limitReached = limitReached;
        return tally;
    }

  private:
    const LetterKernel& kernel_ = activeKernel();
    TextForm form_ = TextForm::bytes;
    LetterAccumulators counts_{};
};

LetterTally countLetters(detail::BlockInput& input, const MessageSink& showMessage,
                         std::int32_t limit, std::size_t blockSize, int threads,
                         ReaderBuffers* buffers) {
    LetterCounting counting;
    return detail::readInFileOrder(counting, input, showMessage, limit, blockSize, threads,
                                   buffers);
}

}  // namespace

LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage, std::int32_t limit,
                         ReaderBuffers* buffers) {
    detail::FileBlockInput input(file);
    return countLetters(input, showMessage, limit, detail::defaultBlockSize,
                        detail::readerThreads(), buffers);
}

LetterTally detail::tallyLetters(BlockInput& input, const MessageSink& showMessage,
                                 std::int32_t limit, std::size_t blockSize, int threads,
                                 ReaderBuffers* buffers) {
    return countLetters(input, showMessage, limit, blockSize, threads, buffers);
}

}  // namespace glyphmeter::analysis
