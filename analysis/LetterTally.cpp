// The tally: reads a file block by block and feeds the blocks to the active kernel.
//
// Regular files are read by two threads at once, each taking the next block with a positioned read
// and counting it, because copying from the page cache and counting then overlap on two cores.
// Blocks are committed strictly in file order, so the letter limit is found at the exact byte the
// one-character-at-a-time reading would stop at. A block is only read once the blocks before it
// cannot reach the limit, so nothing past the stopping point is ever read.
//
// A file that starts with a UTF-16 byte-order mark is counted by code unit from the byte after the
// mark, with blocks of an even size so that no unit straddles two of them.
//
// The first block of a regular file is read before anything else and tells the form; a file whose
// size says it fits one block is read whole by that one read, with a buffer of its own size and
// no second thread: counting many small files costs little more than opening them.
#include "LetterTally.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#ifdef __linux__
#include <sched.h>
#endif

#include "FileBlockInput.h"
#include "InputFile.h"
#include "LetterIndex.h"
#include "LetterKernels.h"
#include "NumberText.h"
#include "ReaderBuffers.h"
#include "ReaderThread.h"
#include "TextStart.h"

namespace glyphmeter::analysis {

namespace {

using detail::TextForm;
using detail::TextStart;

class TallyRun {
  public:
    TallyRun(detail::BlockInput& file, std::int32_t limit, std::size_t blockSize,
             const TextStart& start)
        : file_(file),
          limit_(limit),
          form_(start.form),
          offset_(start.offset),
          blockSize_(start.form == TextForm::bytes ? blockSize : blockSize + blockSize % 2) {}

    // Counts the text read before the blocks; returns false when it reaches the limit.
    bool countTaken(std::span<const std::byte> taken);

    // Runs reader `reader` (0 or 1) until the file is done, the limit is reached or something
    // fails; a failure is kept for result() and ends the other reader too.
    void work(int reader, ReaderBuffers& buffers) noexcept;

    // Rethrows a failure, then returns the counts.
    LetterTally result() const;

  private:
    bool mayReadAnotherBlock() const {
        // `inFlight_` bounds the letters of blocks read but not yet committed. With none in flight
        // the next block is needed whatever the limit.
        return inFlight_ == 0 || total_ + inFlight_ < limit_;
    }
    // A block read ahead of its turn may be left for the reader of the blocks before it to add,
    // so its own reader goes on at once, when no block in flight can reach the limit (then the
    // order of adding them changes nothing).
    bool mayLeaveForLater() const {
        return total_ + inFlight_ < limit_ && leftForLater_.size() < maxLeftForLater;
    }
    void commitInOrder(std::span<const std::byte> block, const LetterCounters& counts);
    void readBlocks(std::span<std::byte> space);
    void fail(std::exception_ptr error);
    void count(std::span<const std::byte> block, LetterCounters& counts) const;
    void commit(std::span<const std::byte> block, const LetterCounters& counts);
    void countUpToLimit(std::span<const std::byte> block);

    detail::BlockInput& file_;
    const std::int64_t limit_;
    const TextForm form_;
    const std::uint64_t offset_;  // where the first block starts
    const std::size_t blockSize_;
    const LetterKernel& kernel_ = activeKernel();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t nextBlock_ = 0;   // next block to hand out
    std::uint64_t nextCommit_ = 0;  // next block whose counts may be added
    std::int64_t inFlight_ = 0;
    // The file's last block, once a reader has read one that is not full.
    std::uint64_t lastBlock_ = std::numeric_limits<std::uint64_t>::max();
    // Counts of blocks read ahead of their turn, by block, and whether each was the last.
    static constexpr std::size_t maxLeftForLater = 16;
    std::map<std::uint64_t, std::pair<LetterCounters, bool>> leftForLater_;
    bool finished_ = false;
    bool limitReached_ = false;
    std::exception_ptr error_;
    LetterCounters counts_{};
    std::int64_t total_ = 0;
};

void TallyRun::work(int reader, ReaderBuffers& buffers) noexcept {
    try {
        if (reader > 0) {
            if (const auto starting = detail::secondReaderStarting.load()) {
                starting();
            }
        }
        readBlocks(buffers.forReader(reader, blockSize_).first(blockSize_));
    } catch (...) {
        fail(std::current_exception());
    }
}

// A failure outside the reads (no memory for the buffer, say) ends the tally whatever the other
// reader has done: the caller learns of it, as of a read error.
void TallyRun::fail(std::exception_ptr error) {
    const std::lock_guard lock(mutex_);
    if (!error_) {
        error_ = std::move(error);
    }
    finished_ = true;
    changed_.notify_all();
}

void TallyRun::readBlocks(std::span<std::byte> space) {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(
            lock, [&] { return finished_ || nextBlock_ > lastBlock_ || mayReadAnotherBlock(); });
        if (finished_ || nextBlock_ > lastBlock_) {
            return;
        }
        const std::uint64_t index = nextBlock_++;
        inFlight_ += static_cast<std::int64_t>(blockSize_);
        lock.unlock();

        LetterCounters blockCounts{};
        std::size_t got = 0;
        std::exception_ptr error;
        try {
            got = file_.supportsPositionedReads()
                      ? file_.readAt(offset_ + index * blockSize_, space)
                      : file_.read(space);
            count(space.first(got), blockCounts);
        } catch (...) {
            error = std::current_exception();
        }

        lock.lock();
        if (!error && got < blockSize_) {
            lastBlock_ = std::min(lastBlock_, index);
        }
        changed_.wait(lock, [&] {
            return finished_ || nextCommit_ == index || (!error && mayLeaveForLater());
        });
        if (finished_) {
            return;
        }
        if (nextCommit_ != index) {
            leftForLater_.emplace(index, std::pair{blockCounts, got < blockSize_});
            continue;
        }
        if (error) {
            error_ = error;
            finished_ = true;
        } else {
            commitInOrder(space.first(got), blockCounts);
        }
        changed_.notify_all();
    }
}

// Adds this block, then the blocks after it that the other reader left, in file order. Those
// cannot reach the limit: they were left only while the blocks in flight together could not.
void TallyRun::commitInOrder(std::span<const std::byte> block, const LetterCounters& counts) {
    commit(block, counts);
    finished_ = finished_ || block.size() < blockSize_;
    ++nextCommit_;
    inFlight_ -= static_cast<std::int64_t>(blockSize_);
    for (auto next = leftForLater_.find(nextCommit_); !finished_ && next != leftForLater_.end();
         next = leftForLater_.find(nextCommit_)) {
        const auto& [leftCounts, last] = next->second;
        commit({}, leftCounts);
        finished_ = last;
        ++nextCommit_;
        inFlight_ -= static_cast<std::int64_t>(blockSize_);
        leftForLater_.erase(next);
    }
}

bool TallyRun::countTaken(std::span<const std::byte> taken) {
    LetterCounters counts{};
    count(taken, counts);
    const std::lock_guard lock(mutex_);
    commit(taken, counts);
    return !finished_;
}

void TallyRun::count(std::span<const std::byte> block, LetterCounters& counts) const {
    if (form_ == TextForm::bytes) {
        kernel_.add(block, counts);
    } else {
        kernel_.addUtf16(block, form_ == TextForm::utf16BigEndian, counts);
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

// The limit falls inside this block: count again one character at a time, testing after every
// character as the plain reading loop does, and stop right after the one that reaches the limit.
void TallyRun::countUpToLimit(std::span<const std::byte> block) {
    const std::size_t size = form_ == TextForm::bytes ? 1 : 2;
    const std::size_t low = form_ == TextForm::utf16BigEndian ? 1 : 0;
    for (std::size_t at = 0; at + size <= block.size(); at += size) {
        unsigned code = static_cast<unsigned>(block[at]);
        if (size == 2) {
            code = static_cast<unsigned>(block[at + low]) |
                   static_cast<unsigned>(block[at + 1 - low]) << 8;
        }
        if (const unsigned slot = code < 256 ? letterIndex[code] : notALetter; slot != notALetter) {
            ++counts_[slot];
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

int readerThreads() {
    return processorCount() > 1 ? 2 : 1;
}

LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage, std::int32_t limit,
                         std::size_t blockSize, int threads) {
    detail::FileBlockInput input(file);
    return tallyLetters(input, showMessage, limit, blockSize, threads);
}

LetterTally tallyLetters(BlockInput& file, const MessageSink& showMessage, std::int32_t limit,
                         std::size_t blockSize, int threads) {
    ReaderBuffers buffers;
    return tallyLetters(file, showMessage, limit, blockSize, threads, buffers);
}

LetterTally tallyLetters(BlockInput& file, const MessageSink& showMessage, std::int32_t limit,
                         std::size_t blockSize, int threads, ReaderBuffers& buffers) {
    const bool positioned = file.supportsPositionedReads();
    const std::optional<std::uint64_t> size = file.size();
    std::array<std::byte, 2> firstBytes{};
    TextStart start;
    if (positioned) {
        const std::size_t firstRead = detail::firstReadSize(size, blockSize);
        start = detail::startByPosition(file, buffers.forReader(0, firstRead).first(firstRead));
    } else {
        start = detail::startInSequence(file, firstBytes);
    }
    TallyRun run(file, limit, blockSize, start);
    if (run.countTaken(start.taken) && !start.ended) {
        // A second reader only where more than one block is left for the two to share.
        const bool worthSecond = detail::worthSecondReader(size, start, blockSize);
        std::optional<ReaderThread> second;
        if (positioned && threads > 1 && worthSecond) {
            try {
                second.emplace([&] { run.work(1, buffers); });
            } catch (const std::system_error&) {
                // No thread to be had: this one reads on alone.
            }
        }
        run.work(0, buffers);
    }
    LetterTally tally = run.result();
    if (tally.limitReached && showMessage) {
        showMessage(limitMessage(limit));
    }
    return tally;
}

}  // namespace detail

int processorCount() {
    static const int count = [] {
#ifdef __linux__
        // The processors this process may run on, which a CPU set or taskset can make fewer than
        // the machine has; one system call, where the C++ library reads a file under /sys.
        cpu_set_t allowed;
        if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
            return std::max(1, CPU_COUNT(&allowed));
        }
#endif
        return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    }();
    return count;
}

LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage, std::int32_t limit,
                         ReaderBuffers& buffers) {
    detail::FileBlockInput input(file);
    return detail::tallyLetters(input, showMessage, limit, detail::defaultBlockSize,
                                detail::readerThreads(), buffers);
}

LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage, std::int32_t limit) {
    ReaderBuffers buffers;
    return tallyLetters(file, showMessage, limit, buffers);
}

LetterTally tallyLetters(const std::filesystem::path& path, const MessageSink& showMessage,
                         std::int32_t limit) {
    InputFile file = InputFile::open(path);
    return tallyLetters(file, showMessage, limit);
}

}  // namespace glyphmeter::analysis
