// Counting the letters A to Z of one file.
//
// Every byte of the input is one character. Bytes 'a'..'z' count as 'A'..'Z'; every other byte,
// the bytes 128..255 included, is read and ignored whatever the user's language. Accented letters
// in any single-byte code page therefore never count, and the ASCII letters of UTF-8 files (with
// or without a byte-order mark) are counted exactly, as their other bytes are never letters.
//
// A file that starts with a UTF-16 byte-order mark (FF FE little-endian, FE FF big-endian) is read
// as 16-bit code units after the mark instead: only the units U+0041..U+005A and U+0061..U+007A
// are letters, so the bytes of other characters (the 42 04 of Cyrillic te, say) invent none. An
// odd last byte is ignored. Without a mark the bytes are never taken for UTF-16.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace glyphmeter::analysis {

inline constexpr int letterCount = 26;

// Counting stops once this many letters have been counted (deliberately below INT32_MAX), so every
// count and the total fit a signed 32-bit integer.
inline constexpr std::int32_t letterLimit = 2100000000;

struct LetterTally {
    std::array<std::int32_t, letterCount> letterCounts{};  // slot 0 is A, slot 25 is Z
    std::int32_t totalLetters = 0;                         // always the sum of letterCounts
    bool limitReached = false;
};

// Shows one text to the user and returns once it has been dismissed.
using MessageSink = std::function<void(const std::string&)>;

// The text shown when counting stops at `limit` letters.
std::string limitMessage(std::int32_t limit = letterLimit);

class InputFile;
class ReaderBuffers;

// Reads the file at `path` once, from its first byte to its end, and counts its letters.
//
// Counting stops right after the letter that makes the total reach `limit`; `showMessage` then
// receives limitMessage(limit) exactly once, on the calling thread, before this returns, and no
// further part of the file is read. A `limit` of 0 or less stops after the first character.
//
// Failing to open or read the file throws FileError naming the path and the system's reason; a
// read error is never taken for the end of the file. The file is closed on every return path.
// The call blocks until done; it may read with several threads internally, and whatever fails in
// any of them (no memory for a buffer, say) is thrown here, to the caller.
LetterTally tallyLetters(const std::filesystem::path& path, const MessageSink& showMessage,
                         std::int32_t limit = letterLimit);

// The same, for a file that is already open (standard input, for example).
LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage,
                         std::int32_t limit = letterLimit);

// The same, reading into `buffers`, which are kept for the next file: the way to count many files
// one after another.
LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage, std::int32_t limit,
                         ReaderBuffers& buffers);

// How many processors this process may run on, asked of the system once.
int processorCount();

namespace detail {

// The readers of one tally: two where there are two processors to run them.
int readerThreads();

// Large enough that a read costs little per byte, small enough to stay in the L2 cache while the
// kernel runs over it.
inline constexpr std::size_t defaultBlockSize = std::size_t{1} << 20;

// What the tally reads from: an open file, or in tests one whose reads fail on purpose. The calls
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

// The tally with its reading made explicit, so tests can cover many blocks with small files.
// `threads` above 1 reads regular files with two threads.
LetterTally tallyLetters(BlockInput& input, const MessageSink& showMessage, std::int32_t limit,
                         std::size_t blockSize, int threads);
LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage, std::int32_t limit,
                         std::size_t blockSize, int threads);
LetterTally tallyLetters(BlockInput& input, const MessageSink& showMessage, std::int32_t limit,
                         std::size_t blockSize, int threads, ReaderBuffers& buffers);

// A seam for tests: when set, the second reader calls it as it starts, before it takes its
// buffer, and whatever it throws is that reader's failure (as a failed allocation would be).
inline std::atomic<void (*)()> secondReaderStarting{nullptr};

}  // namespace detail

}  // namespace glyphmeter::analysis
