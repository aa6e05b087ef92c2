// The sequence tally: reads a file block by block, as the letter tally does, and counts each
// block's sequences with an NgramCounter.
//
// Regular files are read by two threads, each with its own block buffer and its own counter, so
// reading and counting overlap on two cores. Each thread counts its block as if it stood alone;
// the sequences that run across the boundary between two blocks are added when the blocks are
// committed, strictly in file order, from the last letters of everything before. The letter limit
// is found at commit too, at the exact character the one-at-a-time reading would stop at, and a
// block is only read once the blocks before it cannot reach the limit.
#include "NgramTally.h"

#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <thread>
#include <utility>

#include "InputFile.h"
#include "LetterKernels.h"
#include "TextStart.h"

namespace glyphmeter::analysis {

namespace {

using detail::TextForm;
using detail::TextStart;

struct FreeMemory {
    void operator()(std::byte* p) const noexcept { std::free(p); }
};
using BlockBuffer = std::unique_ptr<std::byte[], FreeMemory>;

BlockBuffer allocateBuffer(std::size_t size) {
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return BlockBuffer(static_cast<std::byte*>(memory));
}

// UTF-16 code units as one byte per character: the ASCII ones as themselves, all others as a
// byte that is not a letter, so they break a run as any other character does.
void narrowUnits(std::span<const std::byte> units, bool bigEndian, std::byte* out) {
    const std::size_t count = units.size() / 2;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(units.data());
    const std::size_t low = bigEndian ? 1 : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned unit = bytes[2 * i + low] | bytes[2 * i + 1 - low] << 8;
        out[i] = static_cast<std::byte>(unit < 128 ? unit : 0);
    }
}

std::int64_t lettersIn(std::span<const std::byte> text) {
    LetterCounters counts{};
    activeKernel().add(text, counts);
    std::int64_t letters = 0;
    for (const std::uint64_t count : counts) {
        letters += static_cast<std::int64_t>(count);
    }
    return letters;
}

// One reading thread's buffers and counter.
struct Worker {
    Worker(NgramOptions options, std::size_t blockSize, bool utf16)
        : counter(options),
          block(allocateBuffer(blockSize)),
          narrowed(utf16 ? allocateBuffer(blockSize / 2) : nullptr) {}
    NgramCounter counter;
    BlockBuffer block;
    BlockBuffer narrowed;
};

class NgramRun {
  public:
    NgramRun(detail::BlockInput& file, NgramOptions options, std::int32_t limit,
             std::size_t blockSize, const TextStart& start)
        : file_(file),
          options_(options),
          limit_(limit),
          form_(start.form),
          offset_(start.offset),
          blockSize_(start.form == TextForm::bytes ? blockSize : blockSize + blockSize % 2),
          carry_(ngramStartState(options.length)) {}

    Worker makeWorker() const { return Worker(options_, blockSize_, form_ != TextForm::bytes); }

    // Counts the bytes already taken from a sequential file before the blocks; returns false when
    // they reach the limit.
    bool countTaken(Worker& worker, std::span<const std::byte> taken);

    // Runs one worker until the file is done, the limit is reached or a read fails.
    // `onFirstBlock` (if set) runs once, under the lock, after the first block is committed while
    // more remains to read: the place to start a second worker.
    void work(Worker& worker, std::function<void()> onFirstBlock = {});

    // Rethrows a read failure, then returns the counts of the counter all were added to.
    NgramTally result(const NgramCounter& counter) const;

  private:
    bool mayReadAnotherBlock() const { return inFlight_ == 0 || total_ + inFlight_ < limit_; }
    std::span<const std::byte> text(Worker& worker, std::size_t got) const;
    void commit(Worker& worker, std::span<const std::byte> text, NgramState alone,
                std::int64_t letters);
    void commitUpToLimit(Worker& worker, std::span<const std::byte> text);

    detail::BlockInput& file_;
    const NgramOptions options_;
    const std::int64_t limit_;
    const TextForm form_;
    const std::uint64_t offset_;
    const std::size_t blockSize_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t nextBlock_ = 0;
    std::uint64_t nextCommit_ = 0;
    std::int64_t inFlight_ = 0;
    bool finished_ = false;
    bool limitReached_ = false;
    std::exception_ptr error_;
    std::int64_t total_ = 0;  // letters committed
    NgramState carry_;        // the last letters of everything committed
};

std::span<const std::byte> NgramRun::text(Worker& worker, std::size_t got) const {
    if (form_ == TextForm::bytes) {
        return {worker.block.get(), got};
    }
    narrowUnits({worker.block.get(), got}, form_ == TextForm::utf16BigEndian,
                worker.narrowed.get());
    return {worker.narrowed.get(), got / 2};
}

void NgramRun::work(Worker& worker, std::function<void()> onFirstBlock) {
    const std::span<std::byte> space(worker.block.get(), blockSize_);
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return finished_ || mayReadAnotherBlock(); });
        if (finished_) {
            return;
        }
        const std::uint64_t index = nextBlock_++;
        inFlight_ += static_cast<std::int64_t>(blockSize_);
        lock.unlock();

        std::size_t got = 0;
        std::span<const std::byte> chars;
        NgramState alone = 0;
        std::int64_t letters = 0;
        std::exception_ptr error;
        try {
            got = file_.supportsPositionedReads()
                      ? file_.readAt(offset_ + index * blockSize_, space)
                      : file_.read(space);
            chars = text(worker, got);
            letters = lettersIn(chars);
            alone = worker.counter.count(chars);
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
            commit(worker, chars, alone, letters);
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

bool NgramRun::countTaken(Worker& worker, std::span<const std::byte> taken) {
    const NgramState alone = worker.counter.count(taken);
    const std::int64_t letters = lettersIn(taken);
    const std::lock_guard lock(mutex_);
    commit(worker, taken, alone, letters);
    return !finished_;
}

void NgramRun::commit(Worker& worker, std::span<const std::byte> text, NgramState alone,
                      std::int64_t letters) {
    if (!text.empty() && total_ + letters >= limit_) {
        commitUpToLimit(worker, text);
        return;
    }
    carry_ = worker.counter.join(carry_, text, alone);
    total_ += letters;
}

// The limit falls inside this block: find the character that reaches it, testing after every
// character as the plain reading loop does, and keep only the sequences that end up to there.
void NgramRun::commitUpToLimit(Worker& worker, std::span<const std::byte> text) {
    std::size_t end = 0;
    while (end < text.size()) {
        total_ += ngramLetter(text[end]) < 26 ? 1 : 0;
        ++end;
        if (total_ >= limit_) {
            limitReached_ = true;
            break;
        }
    }
    NgramCounter& counter = worker.counter;
    counter.countPlainly(counter.startState(), text, -1);
    const std::span<const std::byte> kept = text.first(end);
    const NgramState alone = counter.countPlainly(counter.startState(), kept);
    carry_ = counter.join(carry_, kept, alone);
    finished_ = true;
}

NgramTally NgramRun::result(const NgramCounter& counter) const {
    if (error_) {
        std::rethrow_exception(error_);
    }
    NgramTally tally;
    tally.options = options_;
    tally.counts.assign(ngramSlots(options_.length), 0);
    counter.addTo(tally.counts);
    for (const std::uint32_t count : tally.counts) {
        tally.totalNgrams += static_cast<std::int64_t>(count);
    }
    tally.totalLetters = static_cast<std::int32_t>(total_);
    tally.limitReached = limitReached_;
    return tally;
}

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

namespace detail {

NgramTally tallyNgrams(BlockInput& file, NgramOptions options, const MessageSink& showMessage,
                       std::int32_t limit, std::size_t blockSize, int threads) {
    const TextStart start = detectTextForm(file);
    NgramRun run(file, options, limit, blockSize, start);
    Worker first = run.makeWorker();
    std::unique_ptr<Worker> secondWorker;
    std::jthread second;
    std::function<void()> startSecond;
    if (file.supportsPositionedReads() && threads > 1) {
        startSecond = [&] {
            try {
                secondWorker = std::make_unique<Worker>(run.makeWorker());
                second = std::jthread([&] { run.work(*secondWorker); });
            } catch (const std::exception&) {
                // No thread or memory to be had: this one reads on alone.
            }
        };
    }
    if (run.countTaken(first, std::span(start.taken).first(start.takenSize))) {
        run.work(first, std::move(startSecond));
    }
    if (second.joinable()) {
        second.join();
    }
    // The blocks and the second counter are done with: their memory makes room for the results.
    first.block.reset();
    first.narrowed.reset();
    if (secondWorker) {
        first.counter.add(secondWorker->counter);
        secondWorker.reset();
    }
    NgramTally tally = run.result(first.counter);
    if (tally.limitReached && showMessage) {
        showMessage(limitMessage(limit));
    }
    return tally;
}

}  // namespace detail

NgramTally tallyNgrams(InputFile& file, NgramOptions options, const MessageSink& showMessage,
                       std::int32_t limit) {
    FileInput input(file);
    const int threads = std::thread::hardware_concurrency() > 1 ? 2 : 1;
    return detail::tallyNgrams(input, options, showMessage, limit, detail::defaultBlockSize,
                               threads);
}

NgramTally tallyNgrams(const std::filesystem::path& path, NgramOptions options,
                       const MessageSink& showMessage, std::int32_t limit) {
    InputFile file = InputFile::open(path);
    return tallyNgrams(file, options, showMessage, limit);
}

}  // namespace glyphmeter::analysis
