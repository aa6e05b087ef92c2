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
#include <cstddef>
#include <cstdint>

#include "BlockReading.h"
#include "InputFile.h"

namespace glyphmeter::analysis {

// The letters A to Z: the slots of a tally.
inline constexpr int alphabetSize = 26;
// The same number under the name the window and the command line use.
inline constexpr int letterCount = alphabetSize;

struct LetterTally {
    std::array<std::int32_t, alphabetSize> letterCounts{};  // slot 0 is A, slot 25 is Z
    std::int32_t totalLetters = 0;                          // always the sum of letterCounts
    bool limitReached = false;
};

class ReaderBuffers;

// Reads `file` once, from its first byte to its end, and counts its letters.
//
// Counting stops right after the letter that makes the total reach `limit`; `showMessage` then
// receives limitMessage(limit) exactly once, on the calling thread, before this returns, and no
// further part of the file is read. A `limit` of 0 or less stops after the first character.
//
// Failing to read the file throws FileError naming the path and the system's reason; a read error
// is never taken for the end of the file. The call blocks until done; it may read with several
// threads internally, and whatever fails in any of them (no memory for a buffer, say) is thrown
// here, to the caller.
//
// `buffers`, where given, are read into and kept for the next file: the way to count many files
// one after another.
LetterTally tallyLetters(InputFile& file, const MessageSink& showMessage,
                         std::int32_t limit = letterLimit, ReaderBuffers* buffers = nullptr);

namespace detail {

// The tally with its reading made explicit, so tests can cover many blocks with small files and
// the Python binding can read through its own input. `threads` above 1 reads regular files with
// two threads.
LetterTally tallyLetters(BlockInput& input, const MessageSink& showMessage, std::int32_t limit,
                         std::size_t blockSize, int threads, ReaderBuffers* buffers = nullptr);

}  // namespace detail

}  // namespace glyphmeter::analysis
