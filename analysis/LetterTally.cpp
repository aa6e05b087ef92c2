// The tally: reads a file block by block and feeds the blocks to the active kernel.
//
// Regular files are read by two threads at once, each taking the next block with a positioned read
// and counting it, because copying from the page cache and counting then overlap on two cores.
// Blocks are committed strictly in file order, so the letter limit is found at the exact byte the
// one-character-at-a-time reading would stop at. A block is only read once the blocks before it
// cannot reach the limit, so nothing past the stopping point is ever read.
#include "LetterTally.h"

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "InputFile.h"
#include "LetterKernels.h"
#include "NumberText.h"

namespace glyphmeter::analysis {

namespace {

bool isLetter(std::byte b) {
    const auto folded = static_cast<unsigned>(b) | 0x20u;
    return folded >= 'a' && folded <= 'z';
}

class TallyRun {
  public:
    TallyRun(InputFile& file, std::int32_t limit, std::size_t blockSize)
        : file_(file), limit_(limit), blockSize_(blockSize) {}

    // Runs one worker until the file is done, the limit is reached or a read fails.
    // `onFirstBlock` (if set) runs once, under the lock, after the first block is committed while
    // more remains to read: the place to start a second worker.
    void work(std::function<void()> onFirstBlock = {});

    // Rethrows a read failure, then returns the counts.
    LetterTally result() const;

  private:
    bool mayReadAnotherBlock() const {
        // `inFlight_` bounds the letters of blocks read but not yet committed. With none in flight
        // the next block is needed whatever the limit.
        return inFlight_ == 0 || total_ + inFlight_ < limit_;
    }
    void commit(std::span<const std::byte> block, const LetterCounters& counts);
    void countUpToLimit(std::span<const std::byte> block);

    InputFile& file_;
    const std::int64_t limit_;
    const std::size_t blockSize_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t nextBlock_ = 0;   // next block to hand out
    std::uint64_t nextCommit_ = 0;  // next block whose counts may be added
    std::int64_t inFlight_ = 0;
    bool finished_ = false;
    bool limitReached_ = false;
    std::exception_ptr error_;
    LetterCounters counts_{};
    std::int64_t total_ = 0;
};

void TallyRun::work(std::function<void()> onFirstBlock) {
    const auto buffer = std::make_unique_for_overwrite<std::byte[]>(blockSize_);
    const std::span<std::byte> space(buffer.get(), blockSize_);
    const LetterKernel& kernel = activeKernel();

    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return finished_ || mayReadAnotherBlock(); });
        if (finished_) {
            return;
        }
        const std::uint64_t index = nextBlock_++;
        inFlight_ += static_cast<std::int64_t>(blockSize_);
        lock.unlock();

        LetterCounters blockCounts{};
        std::size_t got = 0;
        std::exception_ptr error;
        try {
            got = file_.supportsPositionedReads() ? file_.readAt(index * blockSize_, space)
                                                  : file_.read(space);
            kernel.add(space.first(got), blockCounts);
        } catch (...) {
            error = std::current_exception();
        }

        lock.lock();
        changed_.wait(lock, [&] { return finished_ || nextCommit_ == index; });
        if (finished_) {
            return;
        }
        if (error) {
            error_ = error;
            finished_ = true;
        } else {
            commit(space.first(got), blockCounts);
            finished_ = finished_ || got < blockSize_;
        }
        ++nextCommit_;
        inFlight_ -= static_cast<std::int64_t>(blockSize_);
        changed_.notify_all();
        if (onFirstBlock && !finished_) {
            std::exchange(onFirstBlock, nullptr)();
        }
    }
}

void TallyRun::commit(std::span<const std::byte> block, const LetterCounters& counts) {
    std::int64_t letters = 0;
    for (const std::uint64_t count : counts) {
        letters += static_cast<std::int64_t>(count);
    }
    if (!block.empty() && total_ + letters >= limit_) {
        countUpToLimit(block);
        return;
    }
    for (int letter = 0; letter < letterCount; ++letter) {
        counts_[letter] += counts[letter];
    }
    total_ += letters;
}

// The limit falls inside this block: count again one byte at a time, testing after every byte as
// the plain reading loop does, and stop right after the byte that reaches the limit.
void TallyRun::countUpToLimit(std::span<const std::byte> block) {
    for (const std::byte b : block) {
        if (isLetter(b)) {
            ++counts_[(static_cast<unsigned>(b) | 0x20u) - 'a'];
            ++total_;
        }
        if (total_ >= limit_) {
            limitReached_ = true;
            break;
        }
    }
    finished_ = true;
}

LetterTally TallyRun::result() const {
    if (error_) {
        std::rethrow_exception(error_);
    }
    LetterTally tally;
    for (int letter = 0; letter < letterCount; ++letter) {
        tally.letterCounts[letter] = static_cast<std::int32_t>(counts_[letter]);
    }
    tally.totalLetters = static_cast<std::int32_t>(total_);
    tally.limitReached = limitReached_;
    return tally;
}

}  // namespace

std::string limitMessage(std::int32_t limit) {
    return "Input file size exceeds this programs maximum of" + signedNumberText(limit) +
           " chars.  Counting stopped at this point, but results will be " +
           "valid up to this point.";
}

namespace detail {

LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage, std::int32_t limit,
                         std::size_t blockSize, int threads) {
    TallyRun run(file, limit, blockSize);
    std::jthread second;
    std::function<void()> startSecond;
    if (file.supportsPositionedReads() && threads > 1) {
        startSecond = [&] {
            try {
                second = std::jthread([&] { run.work(); });
            } catch (const std::system_error&) {
                // No thread to be had: this one reads on alone.
            }
        };
    }
    run.work(std::move(startSecond));
    if (second.joinable()) {
        second.join();
    }
    LetterTally tally = run.result();
    if (tally.limitReached && showMessage) {
        showMessage(limitMessage(limit));
    }
    return tally;
}

}  // namespace detail

LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage, std::int32_t limit) {
    const int threads = std::thread::hardware_concurrency() > 1 ? 2 : 1;
    return detail::tallyLetters(file, showMessage, limit, detail::defaultBlockSize, threads);
}

LetterTally tallyLetters(const std::filesystem::path& path, const MessageSink& showMessage,
                         std::int32_t limit) {
    InputFile file = InputFile::open(path);
    return tallyLetters(file, showMessage, limit);
}

}  // namespace glyphmeter::analysis
