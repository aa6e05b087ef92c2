// Counting the letter sequences (bigrams, trigrams, quadgrams) of any alphabet (Alphabet.h) in
// one file.
//
// The letters are exactly those the alphabet tally (AlphabetTally.h) counts, in text order: the
// same encodings and marks, NFC (a base and its combining marks are one letter, wherever the
// blocks split them), case and accent folding. By default a sequence is N letters standing next
// to each other, so any character that is no letter of the alphabet (an invalid sequence among
// them) breaks it; with NgramOptions::spanWords the characters that are no letter are skipped.
// The letter limit stops the count where the alphabet tally stops.
//
// A sequence's index is its letters as the digits of a number in base A, A being the alphabet's
// size, the first letter the most significant; for A to Z this is NgramCount's index.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "AlphabetCounter.h"
#include "AlphabetTally.h"
#include "BlockReading.h"
#include "HashedCounts.h"
#include "InputFile.h"
#include "NgramCounter.h"

namespace glyphmeter::analysis {

// A sequence that occurs, by its index, and how often.
struct SequenceCount {
    std::uint64_t index = 0;
    std::uint64_t count = 0;
    bool operator==(const SequenceCount&) const = default;
};

// The number of sequences of `length` letters of an alphabet of `letters`: letters^length (below
// 2^64 for the 60,000 letters an alphabet has at most).
std::uint64_t sequenceSlots(std::size_t letters, int length);

// The sequences of a stream of letter slots (AlphabetCounter::letterSlots), counted as it comes,
// piece after piece. The counts are held densely, 32 bits for each possible sequence, once the
// sequences seen pass a sixteenth of those possible and only where they are at most 2^22 (16 MiB);
// before that, and always for more, in a hash table of at most 64 bytes for each sequence seen.
// A file's counts stay below 2^32: it has no more letters than the letter limit.
class AlphabetNgramCounter {
  public:
    // Throws std::invalid_argument for a length outside 2 to 4.
    AlphabetNgramCounter(std::size_t letters, NgramOptions options);

    // Counts the sequences that end in `slots` (a letter 0 to letters - 1, or `letters` for a
    // character that is no letter), after the slots added before.
    void add(std::span<const std::uint16_t> slots);

    // The sequences counted, in index order; leaves the counter as new.
    std::vector<SequenceCount> take();

    // Memory the counts hold now.
    std::size_t heapBytes() const;

  private:
    template <int length>
    void addOfLength(std::span<const std::uint16_t> slots);
    void makeDense();

    std::size_t base_;
    NgramOptions options_;
    std::uint64_t slots_;
    std::array<std::uint16_t, 3> recent_{};  // the last letters, the latest last
    int run_ = 0;                            // how many of them start a sequence, at most N - 1
    bool mayBeDense_;
    std::vector<std::uint32_t> dense_;  // once dense
    HashedCounts hashed_;
};

struct AlphabetNgramTally {
    NgramOptions options;
    std::vector<SequenceCount> counts;  // the sequences that occur, in index order
    std::int64_t totalNgrams = 0;       // the sum of counts
    AlphabetCounts letters;  // the letters read, as the alphabet tally counts them, and invalid
    TextEncoding encoding = TextEncoding::utf8;  // the encoding the file was read in
    bool limitReached = false;
};

class ReaderBuffers;

// Reads `file` once and counts the sequences of options.alphabet's letters. Counting stops right
// after the letter that makes the letters counted reach `limit`; `showMessage` then receives
// limitMessage(limit) once before this returns. Failing to read the file throws FileError naming
// the path. `buffers`, where given, are read into and kept for the next file.
AlphabetNgramTally tallyAlphabetNgrams(InputFile& file, const AlphabetOptions& options,
                                       NgramOptions sequences, const MessageSink& showMessage,
                                       std::int32_t limit = letterLimit,
                                       ReaderBuffers* buffers = nullptr);

namespace detail {

// With its reading made explicit, so tests can cover many blocks with small files.
AlphabetNgramTally tallyAlphabetNgrams(BlockInput& input, const AlphabetOptions& options,
                                       NgramOptions sequences, const MessageSink& showMessage,
                                       std::int32_t limit, std::size_t blockSize, int threads,
                                       ReaderBuffers* buffers = nullptr);

}  // namespace detail

}  // namespace glyphmeter::analysis
