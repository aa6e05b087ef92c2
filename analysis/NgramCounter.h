// Counting letter sequences (n-grams of 2 to 4 letters) in text, a piece at a time.
//
// Text here is one byte per character: 'A'..'Z' and 'a'..'z' are letters, every other byte is
// not (UTF-16 text is narrowed to such bytes first). A sequence is N letters in a row; by default
// any character that is not a letter breaks the row, and with `spanWords` only the letters count,
// as if every other character had been taken out of the text.
//
// The counter keeps its own table and never resets it, so the pieces of a file can be counted one
// after another, or apart and in any order, and joined afterwards:
//   - count() counts the sequences that lie wholly inside one piece, as if it stood alone, and
//     returns the piece's standalone end: the last N-1 letters that may still begin a sequence;
//   - join() then adds the sequences that run from the end of everything before a piece into the
//     piece (given the state before it) and returns the state after the piece.
// Counting pieces apart and joining them in text order gives exactly the counts of the whole text.
//
// take() hands the counts on and leaves the counter as new, so one counter serves file after
// file. While little has been counted the counter keeps a list of the slots it touched, so taking
// a small text's counts costs what its sequences cost, not a walk over the 27^4 slots of the
// quadgram table. Once a quarter of the table's slots are listed, or the text counted is longer
// than the table, it stops listing and take() walks the table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "LetterKernels.h"

namespace glyphmeter::analysis {

struct NgramOptions {
    int length = 2;          // N, 2 to 4
    bool spanWords = false;  // count in the stream of letters alone
};

// The last letters seen, five bits each, the latest lowest; 26 stands for "no letter here".
using NgramState = std::uint64_t;

// The start of a piece as far as a sequence from before it can reach: its first N-1 characters,
// or with spanWords the letters among its characters up to its (N-1)th letter.
// A sequence that occurs and how often: `index` is the sequence's letters as the digits of a
// number in base 26, the first letter the most significant (AA, AB, ... ZZ).
struct NgramCount {
    std::uint32_t index = 0;
    std::uint32_t count = 0;
    bool operator==(const NgramCount&) const = default;
};

struct NgramHead {
    std::array<std::byte, 3> chars{};
    std::uint8_t size = 0;
    bool wholePiece = true;  // the piece ends within its head
};

class NgramCounter {
  public:
    // `kernel` is the letter-counting kernel whose instruction set the counter may use too.
    // Throws std::invalid_argument for a length outside 2 to 4.
    explicit NgramCounter(NgramOptions options, const LetterKernel& kernel = activeKernel());
    NgramCounter(NgramCounter&&) noexcept = default;
    NgramCounter& operator=(NgramCounter&&) noexcept = default;
    ~NgramCounter();

    const NgramOptions& options() const { return options_; }

    // The state before any text.
    NgramState startState() const;

    // Counts the sequences wholly inside `text`; returns the state at its end, as if `text` had
    // been preceded by nothing.
    NgramState count(std::span<const std::byte> text);
    // The same, adding the number of letters in `text` to `letters`.
    NgramState count(std::span<const std::byte> text, std::int64_t& letters);

    // Adds the sequences that begin before `text` and end in it, given the state `before` it and
    // the state `standaloneEnd` that count(text) returned; returns the state after `text`.
    NgramState join(NgramState before, std::span<const std::byte> text, NgramState standaloneEnd);

    // What join() reads of `text`, kept so that it can be joined once its buffer is reused.
    NgramHead head(std::span<const std::byte> text) const;
    // join() for the text whose head this is: the same counts and the same state.
    NgramState join(NgramState before, const NgramHead& head, NgramState standaloneEnd);

    // Counts (or, with `sign` -1, takes away) the sequences of `text` one character at a time,
    // starting from `state`; returns the state after it. The slow path for a few characters.
    NgramState countPlainly(NgramState state, std::span<const std::byte> text, int sign = 1);

    // Moves the counts of `other`, a counter with the same options, into this one's, leaving
    // `other` as new; counts of one file fit: they stay below the letter limit.
    void addAndClear(NgramCounter& other);

    // Adds this counter's counts to `counts`, which has 26^N slots, by NgramCount::index.
    void addTo(std::span<std::uint32_t> counts) const;

    // The sequences counted (those with a count other than 0) in index order; leaves the counter
    // as new. Costs what the sequences counted cost while the slots touched are listed, a walk
    // over the table otherwise.
    std::vector<NgramCount> take();
    // Takes the counts and drops them: after a count that failed half way, say.
    void clear();

  private:
    struct FreeTable {
        void operator()(std::uint32_t* table) const noexcept;
    };

    // The list to record `more` touched slots in, counting `chars` characters, or null once
    // either would pass its bound.
    std::vector<std::uint32_t>* touchedFor(std::size_t more, std::size_t chars);
    std::size_t listBound() const;
    void stopListing();

    // Listing stops before more than this many times the table's slots in characters are counted.
    static constexpr std::size_t listedCharsBound = 2;

    NgramOptions options_;
    std::size_t (*pack_)(const std::uint8_t*, std::size_t, std::uint8_t*);
    // Whether the kernel may use AVX2 (all but "scalar" need it), and so the counting loops too.
    bool useAvx2_ = false;
    // One slot for each N digits 0..26 (26: not a letter), and the slots of sequences that are
    // not letters alone take the counts that would otherwise need a test for every character.
    // Zeroed by the system: the pages a run of small files never touches cost no memory.
    std::unique_ptr<std::uint32_t[], FreeTable> table_;
    std::size_t tableSize_ = 0;
    // Every slot that left 0 since the last take() (some more than once), while `listing_`.
    std::vector<std::uint32_t> touched_;
    bool listing_ = true;
    std::size_t listedChars_ = 0;  // characters counted while listing
};

// The state before any text, for sequences of `length` letters.
NgramState ngramStartState(int length);

// The number of sequences of `length` letters: 26^length.
std::size_t ngramSlots(int length);

// Whether byte `b` is a letter, and which (0 for A or a, 25 for Z or z), or 26.
int ngramLetter(std::byte b);

}  // namespace glyphmeter::analysis
