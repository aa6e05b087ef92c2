// The reading engine under every tally: reads a file in file order, with one reader or two, and
// hands each block to a counting policy, which holds only its own counting.
//
// Regular files are read by two threads at once, each taking the next block with a positioned read
// and counting it as if it stood alone, because copying from the page cache and counting then
// overlap on two cores. Blocks are committed strictly in file order, so the letter limit is found
// at the exact character the one-character-at-a-time reading would stop at, and a block is only
// read once the blocks before it cannot reach the limit, so nothing past the stopping point is
// ever read. A block read ahead of its turn that cannot reach the limit is left for the reader of
// the blocks before it to commit, so its own reader goes on at once.
//
// A file that starts with a UTF-16 byte-order mark is read from the byte after the mark, in blocks
// of an even size so that no code unit straddles two of them; so is a file the policy reads as
// two-byte units without a mark (readsTwoByteUnits()), from its first byte.
//
// The first block of a regular file is read before anything else and tells the form; a file whose
// size says it fits one block is read whole by that one read, with a buffer of its own size and
// no second thread: counting many small files costs little more than opening them.
//
// A counting policy P gives the engine:
//   P::BlockCount   a block's count, kept (copied) while the block waits for its turn; it holds
//                   whatever committing needs, as the block's buffer is reused meanwhile
//   void begin(TextForm form)
//                   the text's form, once known and before anything is counted
//   bool addReader()
//                   readies reader 1's own counting state; false (or std::bad_alloc) when it
//                   cannot be had, and the first reader then reads alone
//   BlockCount count(int reader, std::span<std::byte> block)
//                   counts a block as if nothing came before it; runs unlocked, on reader
//                   `reader`'s thread, and may rewrite the block in place
//   std::int64_t letters(const BlockCount&)
//                   at most how many letters committing the block adds, which the limit
//                   applies to (for the letter tallies exactly the block's letters)
//   std::int64_t commit(int reader, const BlockCount&)
//                   adds the block after everything committed before it and returns the letters
//                   it added; under the engine's lock
//   LimitStop commitUpToLimit(int reader, std::span<std::byte> block, const BlockCount&,
//                             std::int64_t left)
//                   the limit may fall in this block (the one `count` saw, as it left it):
//                   commits only its characters up to the one that brings its letters to
//                   `left`, or the whole block when they stay below it (`reached` false)
//   Result result(std::int64_t letters, bool limitReached)
//                   the tally, once every block is committed
#pragma once

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <utility>

#include "BlockReading.h"
#include "ReaderBuffers.h"
#include "TextStart.h"

namespace glyphmeter::analysis::detail {

// How far a count one character at a time got through text that holds the letter limit.
struct LimitStop {
    std::size_t end = 0;       // the characters counted: up to and including the limit's
    std::int64_t letters = 0;  // the letters among them
    bool reached = false;      // false when the text runs out first
};

// Walks `chars`, one byte per character, testing after every character as the plain reading loop
// does, and stops right after the one that brings its letters to `left` (the first character for
// `left` 0 or below).
LimitStop findLimit(std::span<const std::byte> chars, std::int64_t left);

// A block as one byte per character: bytes as they are; UTF-16 narrowed in place, each whole code
// unit to one byte (the unit below 256, a byte that is no letter otherwise), into the first half
// of the block, which is returned. An odd last byte is dropped.
std::span<std::byte> narrowToCharacters(std::span<std::byte> block, TextForm form);

// The characters narrowToCharacters() left in `block`.
std::span<std::byte> narrowedCharacters(std::span<std::byte> block, TextForm form);

// Whether a second reader may have anything to share: more than one block left after the start,
// or a file of unknown size.
bool worthSecondReader(std::optional<std::uint64_t> size, const TextStart& start,
                       std::size_t blockSize);

// Reads the start of `input` (its first block where it can be read by position, into reader 0's
// buffer; otherwise its first one or two bytes, into `firstBytes`). `twoByteUnits`: the blocks
// after it start on an even offset whatever the form.
TextStart readStart(BlockInput& input, ReaderBuffers& buffers, std::size_t blockSize,
                    std::array<std::byte, 2>& firstBytes, bool twoByteUnits = false);

// Whether the policy reads text of two-byte units even without a UTF-16 mark (it may say so with
// a readsTwoByteUnits() member).
template <class Policy>
bool readsTwoByteUnits(const Policy& policy) {
    if constexpr (requires { policy.readsTwoByteUnits(); }) {
        return policy.readsTwoByteUnits();
    } else {
        return false;
    }
}

// Runs `work(0)` on this thread and, when `second` and `addReader()` allow, `work(1)` on a
// ReaderThread at the same time; returns once both have ended. No thread to be had, or no memory
// for one, leaves the first reader reading alone. `work` must not throw.
void runReaders(bool second, const std::function<bool()>& addReader,
                const std::function<void(int)>& work);

// One reading of one file with one policy: the state the two readers share.
template <class Policy>
class ReadingRun {
  public:
    using BlockCount = typename Policy::BlockCount;

    ReadingRun(Policy& policy, BlockInput& input, std::int64_t limit, std::size_t blockSize,
               const TextStart& start)
        : policy_(policy),
          input_(input),
          limit_(limit),
          offset_(start.offset),
          blockSize_(start.form == TextForm::bytes && !readsTwoByteUnits(policy)
                         ? blockSize
                         : blockSize + blockSize % 2) {}

    // Counts and commits the text read before the blocks; returns false when it reaches the
    // limit.
    bool commitLeadingText(std::span<std::byte> text) {
        const BlockCount count = policy_.count(0, text);
        const std::lock_guard lock(mutex_);
        commit(0, text, count);
        return !finished_;
    }

    // Runs reader `reader` (0 or 1) until the file is done, the limit is reached or something
    // fails; a failure is kept for rethrowFailure() and ends the other reader too.
    void work(int reader, ReaderBuffers& buffers) noexcept {
        try {
            if (reader > 0) {
                if (const auto starting = secondReaderStarting.load()) {
                    starting();
                }
            }
            readBlocks(reader, buffers.forReader(reader, blockSize_).first(blockSize_));
        } catch (...) {
            fail(std::current_exception());
        }
    }

    // Once both readers have ended: rethrows the first failure.
    void rethrowFailure() const {
        if (error_) {
            std::rethrow_exception(error_);
        }
    }

    std::int64_t letters() const { return total_; }
    bool limitReached() const { return limitReached_; }

  private:
    struct LeftForLater {
        BlockCount count;
        bool last;  // the block was not full: the file ends with it
    };

    bool mayReadAnotherBlock() const {
        // `inFlight_` bounds the letters of blocks read but not yet committed. With none in flight
        // the next block is needed whatever the limit.
        return inFlight_ == 0 || total_ + inFlight_ < limit_;
    }
    // A block read ahead of its turn may be left for the reader of the blocks before it to
    // commit, so its own reader goes on at once, when no block in flight can reach the limit
    // (then committing it needs none of its text).
    bool mayLeaveForLater() const {
        return total_ + inFlight_ < limit_ && leftForLater_.size() < maxLeftForLater;
    }

    // A failure outside the reads (no memory for the buffer, say) ends the reading whatever the
    // other reader has done: the caller learns of it, as of a read error.
    void fail(std::exception_ptr error) {
        const std::lock_guard lock(mutex_);
        if (!error_) {
            error_ = std::move(error);
        }
        finished_ = true;
        changed_.notify_all();
    }

    void readBlocks(int reader, std::span<std::byte> space) {
        const bool positioned = input_.supportsPositionedReads();
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] {
                return finished_ || nextBlock_ > lastBlock_ || mayReadAnotherBlock();
            });
            if (finished_ || nextBlock_ > lastBlock_) {
                return;
            }
            const std::uint64_t index = nextBlock_++;
            inFlight_ += static_cast<std::int64_t>(blockSize_);
            lock.unlock();

            BlockCount count{};
            std::size_t got = 0;
            std::exception_ptr error;
            try {
                got = positioned ? input_.readAt(offset_ + index * blockSize_, space)
                                 : input_.read(space);
                count = policy_.count(reader, space.first(got));
            } catch (...) {
                error = std::current_exception();
            }

            lock.lock();
            const bool last = got < blockSize_;
            if (!error && last) {
                lastBlock_ = std::min(lastBlock_, index);
            }
            changed_.wait(lock, [&] {
                return finished_ || nextCommit_ == index || (!error && mayLeaveForLater());
            });
            if (finished_) {
                return;
            }
            if (nextCommit_ != index) {
                leftForLater_.emplace(index, LeftForLater{std::move(count), last});
                continue;
            }
            if (error) {
                error_ = error;
                finished_ = true;
            } else {
                commitInOrder(reader, space.first(got), count);
            }
            changed_.notify_all();
        }
    }

    // Commits this block, then the blocks after it that the other reader left, in file order.
    // Those cannot reach the limit: they were left only while the blocks in flight together
    // could not.
    void commitInOrder(int reader, std::span<std::byte> block, const BlockCount& count) {
        commit(reader, block, count);
        finished_ = finished_ || block.size() < blockSize_;
        ++nextCommit_;
        inFlight_ -= static_cast<std::int64_t>(blockSize_);
        for (auto next = leftForLater_.find(nextCommit_); !finished_ && next != leftForLater_.end();
             next = leftForLater_.find(nextCommit_)) {
            total_ += policy_.commit(reader, next->second.count);
            finished_ = next->second.last;
            ++nextCommit_;
            inFlight_ -= static_cast<std::int64_t>(blockSize_);
            leftForLater_.erase(next);
        }
    }

    void commit(int reader, std::span<std::byte> block, const BlockCount& count) {
        const std::int64_t letters = policy_.letters(count);
        if (total_ + letters >= limit_) {
            const LimitStop stop = policy_.commitUpToLimit(reader, block, count, limit_ - total_);
            total_ += stop.letters;
            limitReached_ = stop.reached;
            // A policy whose letters() is only a bound may find the limit beyond the block.
            finished_ = finished_ || stop.reached;
            return;
        }
        total_ += policy_.commit(reader, count);
    }

    Policy& policy_;
    BlockInput& input_;
    const std::int64_t limit_;
    const std::uint64_t offset_;  // where the first block starts
    const std::size_t blockSize_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t nextBlock_ = 0;   // next block to hand out
    std::uint64_t nextCommit_ = 0;  // next block to commit
    std::int64_t inFlight_ = 0;
    // The file's last block, once a reader has read one that is not full.
    std::uint64_t lastBlock_ = std::numeric_limits<std::uint64_t>::max();
    static constexpr std::size_t maxLeftForLater = 16;
    std::map<std::uint64_t, LeftForLater> leftForLater_;
    bool finished_ = false;
    bool limitReached_ = false;
    std::exception_ptr error_;
    std::int64_t total_ = 0;  // letters committed
};

// Reads `input` to its end (or the limit) with `policy` and returns policy.result(). `threads`
// above 1 reads a regular file with two readers. `buffers` are reused from file to file where
// given. A failure of either reader is thrown here, once both have ended; `showMessage`, when
// set, receives limitMessage(limit) once when the limit stops the reading, before this returns.
template <class Policy>
auto readInFileOrder(Policy& policy, BlockInput& input, const MessageSink& showMessage,
                     std::int32_t limit, std::size_t blockSize, int threads,
                     ReaderBuffers* buffers) {
    ReaderBuffers ownBuffers;
    ReaderBuffers& reading = buffers ? *buffers : ownBuffers;
    std::array<std::byte, 2> firstBytes{};
    const TextStart start =
        readStart(input, reading, blockSize, firstBytes, readsTwoByteUnits(policy));
    policy.begin(start.form);
    ReadingRun<Policy> run(policy, input, limit, blockSize, start);
    if (run.commitLeadingText(start.leadingText) && !start.ended) {
        // A second reader only where more than one block is left for the two to share.
        const bool second = input.supportsPositionedReads() && threads > 1 &&
                            worthSecondReader(input.size(), start, blockSize);
        runReaders(
            second, [&] { return policy.addReader(); },
            [&](int reader) { run.work(reader, reading); });
    }
    run.rethrowFailure();
    auto tally = policy.result(run.letters(), run.limitReached());
    if (run.limitReached() && showMessage) {
        showMessage(limitMessage(limit));
    }
    return tally;
}

}  // namespace glyphmeter::analysis::detail
