// What every tally reads through: the input it reads blocks from, the size of those blocks, the
// number of readers, the letter limit and its message, and the seam tests use to fail the second
// reader.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace glyphmeter::analysis {

// Counting stops once this many letters have been counted (deliberately below INT32_MAX), so every
// count and the total fit a signed 32-bit integer.
inline constexpr std::int32_t letterLimit = 2100000000;

// Shows one text to the user and returns once it has been dismissed.
using MessageSink = std::function<void(const std::string&)>;

// The text shown when counting stops at `limit` letters.
std::string limitMessage(std::int32_t limit = letterLimit);

// How many processors this process may run on, asked of the system once.
int processorCount();

namespace detail {

// The readers of one tally: two where there are two processors to run them.
int readerThreads();

// Large enough that a read costs little per byte, small enough to stay in the L2 cache while the
// kernel runs over it.
inline constexpr std::size_t defaultBlockSize = std::size_t{1} << 20;

// What a tally reads from: an open file, or in tests one whose reads fail on purpose. The calls
// have InputFile's contract; readAt may be called by two threads at once.
class BlockInput {
  public:
    virtual ~BlockInput() = default;
    virtual bool supportsPositionedReads() const = 0;
    virtual std::size_t readAt(std::uint64_t offset, std::span<std::byte> buffer) = 0;
    virtual std::size_t read(std::span<std::byte> buffer) = 0;
    // The file's size when it was opened, if known: a hint for the buffer size and whether a
    // second reader is worth starting. Reading still goes on to wherever the file really ends.
    virtual std::optional<std::uint64_t> size() const { return std::nullopt; }
};

// A seam for tests: when set, the second reader calls it as it starts, before it takes its
// buffer, and whatever it throws is that reader's failure (as a failed allocation would be).
inline std::atomic<void (*)()> secondReaderStarting{nullptr};

}  // namespace detail

}  // namespace glyphmeter::analysis
