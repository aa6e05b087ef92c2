// Counting the letter sequences (bigrams, trigrams, quadgrams) of one file.
//
// A file is read as the letter tally reads it (LetterTally.h), by the same engine: one byte per
// character, or one 16-bit code unit per character after a UTF-16 byte-order mark, and only A..Z
// and a..z are letters. By default a sequence is N letters standing next to each other, so every
// other character (punctuation, a space, a digit, a line end, a byte from 128 to 255, a non-ASCII
// UTF-16 character) breaks it; with NgramOptions::spanWords every character that is not a letter
// is skipped instead. The letter limit stops counting exactly where the tally stops.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "BlockReading.h"
#include "InputFile.h"
#include "NgramCounter.h"

namespace glyphmeter::analysis {

struct NgramTally {
    NgramOptions options;
    // The sequences that occur, in index order (NgramCount). Counts fit 32 bits: no file has
    // more sequences than the letter limit.
    std::vector<NgramCount> counts;
    std::int64_t totalNgrams = 0;   // the sum of counts
    std::int32_t totalLetters = 0;  // the letters read, which the letter limit applies to
    bool limitReached = false;
};

class ReaderBuffers;

// The counters of one tally's readers, kept from one file to the next: counting a corpus of small
// files should not pay for a fresh table (2 MiB for quadgrams) per file. One tally at a time may
// use them.
class NgramCounters {
  public:
    // Reader `reader`'s counter (0 or 1) for `options`, holding no counts. Throws std::bad_alloc.
    NgramCounter& forReader(int reader, NgramOptions options);

  private:
    std::array<std::optional<NgramCounter>, 2> counters_;
};

// Reads `file` once and counts its sequences. Counting stops right after the letter that makes the
// letters counted reach `limit`; `showMessage` then receives limitMessage(limit) once before this
// returns. Failing to read the file throws FileError naming the path, and whatever fails in either
// reader thread (no memory for a buffer, say) is thrown here. `buffers`, where given, are read
// into and kept for the next file, and `counters` likewise counted with: the way to count many
// files one after another.
NgramTally tallyNgrams(InputFile& file, NgramOptions options, const MessageSink& showMessage,
                       std::int32_t limit = letterLimit, ReaderBuffers* buffers = nullptr,
                       NgramCounters* counters = nullptr);

namespace detail {

// With its reading made explicit, so tests can cover many blocks with small files and the Python
// binding can read through its own input.
NgramTally tallyNgrams(BlockInput& input, NgramOptions options, const MessageSink& showMessage,
                       std::int32_t limit, std::size_t blockSize, int threads,
                       ReaderBuffers* buffers = nullptr);

}  // namespace detail

}  // namespace glyphmeter::analysis
