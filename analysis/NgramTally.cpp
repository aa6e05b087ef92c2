// The sequence tally: reads a file block by block, as the letter tally does, and counts each
// block's sequences with an NgramCounter.
//
// Regular files are read by two threads, each with its own block buffer and its own counter, so
// reading and counting overlap on two cores. Each thread counts its block as if it stood alone;
// the sequences that run across the boundary between two blocks are added when the blocks are
// committed, strictly in file order, from the last letters of everything before. The letter limit
// is found at commit too, at the exact character the one-at-a-time reading would stop at, and a
// block is only read once the blocks before it cannot reach the limit.
//
// The start of a file is read as the letter tally reads it (TextStart.h): a file whose size says
// one block holds it is read whole by one call into a reused buffer of its own size, and counted
// without a second thread or counter.
#include "NgramTally.h"

#include <array>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <span>
#include <system_error>
#include <utility>

#include "FileBlockInput.h"
#include "InputFile.h"
#include "ReaderBuffers.h"
#include "ReaderThread.h"
#include "TextStart.h"

namespace glyphmeter::analysis {

namespace {

using detail::TextForm;
using detail::TextStart;

// UTF-16 code units as one byte per character, in place: the ASCII ones as themselves, all others
// as a byte that is not a letter, so they break a run as any other character does. Character i
// is written over byte i, which its own unit (bytes 2i and 2i+1) has been read from already.
std::span<const std::byte> narrowUnits(std::span<std::byte> units, bool bigEndian) {
    const std::size_t count = units.size() / 2;
    auto* bytes = reinterpret_cast<std::uint8_t*>(units.data());
    const std::size_t low = bigEndian ? 1 : 0;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned unit = bytes[2 * i + low] | bytes[2 * i + 1 - low] << 8;
        bytes[i] = static_cast<std::uint8_t>(unit < 128 ? unit : 0);
    }
    return units.first(count);
}

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

    // Counts the text read before the blocks (UTF-16 is narrowed in place); returns false when
    // it reaches the limit.
    bool countTaken(NgramCounter& counter, std::span<std::byte> taken);

    // Runs reader `reader` (0 or 1) with `counter` until the file is done, the limit is reached
    // or something fails; a failure is kept for result() and ends the other reader too.
    void work(int reader, NgramCounter& counter, ReaderBuffers& buffers) noexcept;

    // Rethrows a failure, then returns the counts of the counter all were added to.
    NgramTally result(const NgramCounter& counter) const;

  private:
    bool mayReadAnotherBlock() const { return inFlight_ == 0 || total_ + inFlight_ < limit_; }
    std::span<const std::byte> text(std::span<std::byte> bytes) const;
    void readBlocks(NgramCounter& counter, std::span<std::byte> space);
    void fail(std::exception_ptr error);
    void commit(NgramCounter& counter, std::span<const std::byte> text, NgramState alone,
                std::int64_t letters);
    void commitUpToLimit(NgramCounter& counter, std::span<const std::byte> text);

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

std::span<const std::byte> NgramRun::text(std::span<std::byte> bytes) const {
    if (form_ == TextForm::bytes) {
        return bytes;
    }
    return narrowUnits(bytes, form_ == TextForm::utf16BigEndian);
}

void NgramRun::work(int reader, NgramCounter& counter, ReaderBuffers& buffers) noexcept {
    try {
        if (reader > 0) {
            if (const auto starting = detail::secondReaderStarting.load()) {
                starting();
            }
        }
        readBlocks(counter, buffers.forReader(reader, blockSize_).first(blockSize_));
    } catch (...) {
        fail(std::current_exception());
    }
}

// A failure outside the reads (no memory for the buffer, say) ends the tally whatever the other
// reader has done: the caller learns of it, as of a read error.
void NgramRun::fail(std::exception_ptr error) {
    const std::lock_guard lock(mutex_);
    if (!error_) {
        error_ = std::move(error);
    }
    finished_ = true;
    changed_.notify_all();
}

void NgramRun::readBlocks(NgramCounter& counter, std::span<std::byte> space) {
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
            chars = text(space.first(got));
            alone = counter.count(chars, letters);
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
            commit(counter, chars, alone, letters);
            finished_ = finished_ || got < blockSize_;
        }
        ++nextCommit_;
        inFlight_ -= static_cast<std::int64_t>(blockSize_);
        changed_.notify_all();
    }
}

bool NgramRun::countTaken(NgramCounter& counter, std::span<std::byte> taken) {
    const std::span<const std::byte> chars = text(taken);
    std::int64_t letters = 0;
    const NgramState alone = counter.count(chars, letters);
    const std::lock_guard lock(mutex_);
    commit(counter, chars, alone, letters);
    return !finished_;
}

void NgramRun::commit(NgramCounter& counter, std::span<const std::byte> text, NgramState alone,
                      std::int64_t letters) {
    if (!text.empty() && total_ + letters >= limit_) {
        commitUpToLimit(counter, text);
        return;
    }
    carry_ = counter.join(carry_, text, alone);
    total_ += letters;
}

// The limit falls inside this block: find the character that reaches it, testing after every
// character as the plain reading loop does, and keep only the sequences that end up to there.
void NgramRun::commitUpToLimit(NgramCounter& counter, std::span<const std::byte> text) {
    std::size_t end = 0;
    while (end < text.size()) {
        total_ += ngramLetter(text[end]) < 26 ? 1 : 0;
        ++end;
        if (total_ >= limit_) {
            limitReached_ = true;
            break;
        }
    }
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

}  // namespace

namespace detail {

NgramTally tallyNgrams(BlockInput& file, NgramOptions options, const MessageSink& showMessage,
                       std::int32_t limit, std::size_t blockSize, int threads) {
    ReaderBuffers buffers;
    return tallyNgrams(file, options, showMessage, limit, blockSize, threads, buffers);
}

NgramTally tallyNgrams(BlockInput& file, NgramOptions options, const MessageSink& showMessage,
                       std::int32_t limit, std::size_t blockSize, int threads,
                       ReaderBuffers& buffers) {
    const bool positioned = file.supportsPositionedReads();
    const std::optional<std::uint64_t> size = file.size();
    std::array<std::byte, 2> firstBytes{};
    TextStart start;
    std::span<std::byte> taken;
    if (positioned) {
        const std::size_t firstRead = detail::firstReadSize(size, blockSize);
        const std::span<std::byte> first = buffers.forReader(0, firstRead).first(firstRead);
        start = detail::startByPosition(file, first);
        taken = first.subspan(static_cast<std::size_t>(start.taken.data() - first.data()),
                              start.taken.size());
    } else {
        start = detail::startInSequence(file, firstBytes);
        taken = std::span(firstBytes).first(start.taken.size());
    }
    NgramRun run(file, options, limit, blockSize, start);
    NgramCounter counter(options);
    std::optional<NgramCounter> secondCounter;
    if (run.countTaken(counter, taken) && !start.ended) {
        // A second reader, with a counter of its own, only where more than one block is left for
        // the two to share.
        std::optional<ReaderThread> second;
        if (positioned && threads > 1 && detail::worthSecondReader(size, start, blockSize)) {
            try {
                secondCounter.emplace(options);
                second.emplace([&] { run.work(1, *secondCounter, buffers); });
            } catch (const std::bad_alloc&) {
                secondCounter.reset();  // no memory for a second counter: this one reads on alone
            } catch (const std::system_error&) {
                secondCounter.reset();  // no thread to be had
            }
        }
        run.work(0, counter, buffers);
    }
    // The second counter is done with: its memory makes room for the results.
    if (secondCounter) {
        counter.add(*secondCounter);
        secondCounter.reset();
    }
    NgramTally tally = run.result(counter);
    if (tally.limitReached && showMessage) {
        showMessage(limitMessage(limit));
    }
    return tally;
}

}  // namespace detail

NgramTally tallyNgrams(InputFile& file, NgramOptions options, const MessageSink& showMessage,
                       std::int32_t limit, ReaderBuffers& buffers) {
    detail::FileBlockInput input(file);
    return detail::tallyNgrams(input, options, showMessage, limit, detail::defaultBlockSize,
                               detail::readerThreads(), buffers);
}

NgramTally tallyNgrams(InputFile& file, NgramOptions options, const MessageSink& showMessage,
                       std::int32_t limit) {
    ReaderBuffers buffers;
    return tallyNgrams(file, options, showMessage, limit, buffers);
}

NgramTally tallyNgrams(const std::filesystem::path& path, NgramOptions options,
                       const MessageSink& showMessage, std::int32_t limit) {
    InputFile file = InputFile::open(path);
    return tallyNgrams(file, options, showMessage, limit);
}

}  // namespace glyphmeter::analysis
