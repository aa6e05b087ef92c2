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
#include "LetterTally.h"

#include <array>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

#include "InputFile.h"
#include "LetterKernels.h"
#include "NumberText.h"
#include "TextStart.h"

namespace glyphmeter::analysis {

namespace {

// The slot of a character code, or -1 when it is not a letter.
int letterSlot(unsigned code) {
    const unsigned folded = code | 0x20u;
    return code < 128 && folded >= 'a' && folded <= 'z' ? static_cast<int>(folded - 'a') : -1;
}

struct FreeMemory {
    void operator()(std::byte* p) const noexcept { std::free(p); }
};
using BlockBuffer = std::unique_ptr<std::byte[], FreeMemory>;

// On Linux a block buffer is one transparent huge page where the system hands them out on request:
// its 256 ordinary pages would each take a page fault on first use, which for files of a few
// megabytes costs more than counting them.
BlockBuffer allocateBlockBuffer(std::size_t size) {
#ifdef __linux__
    constexpr std::size_t hugePage = std::size_t{1} << 21;
    if (size <= hugePage) {
        if (void* page = std::aligned_alloc(hugePage, hugePage)) {
            ::madvise(page, hugePage, MADV_HUGEPAGE);
            return BlockBuffer(static_cast<std::byte*>(page));
        }
    }
#endif
    void* memory = std::malloc(size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return BlockBuffer(static_cast<std::byte*>(memory));
}

using detail::detectTextForm;
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

    // Counts the bytes already taken from a sequential file before the blocks; returns false when
    // they reach the limit.
    bool countTaken(std::span<const std::byte> taken);

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
    bool finished_ = false;
    bool limitReached_ = false;
    std::exception_ptr error_;
    LetterCounters counts_{};
    std::int64_t total_ = 0;
};

void TallyRun::work(std::function<void()> onFirstBlock) {
    const BlockBuffer buffer = allocateBlockBuffer(blockSize_);
    const std::span<std::byte> space(buffer.get(), blockSize_);

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
            got = file_.supportsPositionedReads()
                      ? file_.readAt(offset_ + index * blockSize_, space)
                      : file_.read(space);
            count(space.first(got), blockCounts);
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
        if (const int slot = letterSlot(code); slot >= 0) {
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

// The real file behind the tally's reads.
class FileInput final : public detail::BlockInput {
  public:
    explicit FileInput(InputFile& file) : file_(file) {}
    bool supportsPositionedReads() const override { return file_.supportsPositionedReads(); }
    std::size_t readAt(std::uint64_t offset, std::span<std::byte> buffer) override {
        return file_.readAt(offset, buffer);
    }
    std::size_t read(std::span<std::byte> buffer) override { return file_.read(buffer); }

  private:
    InputFile& file_;
};

}  // namespace

std::string limitMessage(std::int32_t limit) {
    return "Input file size exceeds this programs maximum of" + signedNumberText(limit) +
           " chars.  Counting stopped at this point, but results will be " +
           "valid up to this point.";
}

namespace detail {

LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage, std::int32_t limit,
                         std::size_t blockSize, int threads) {
    FileInput input(file);
    return tallyLetters(input, showMessage, limit, blockSize, threads);
}

LetterTally tallyLetters(BlockInput& file, const MessageSink& showMessage, std::int32_t limit,
                         std::size_t blockSize, int threads) {
    const TextStart start = detectTextForm(file);
    TallyRun run(file, limit, blockSize, start);
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
    if (run.countTaken(std::span(start.taken).first(start.takenSize))) {
        run.work(std::move(startSecond));
    }
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
