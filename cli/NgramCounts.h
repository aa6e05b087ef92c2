// The letter sequences of one file, or of several files added together, and the order and
// figures the results list them with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "AlphabetNgramTally.h"
#include "HashedCounts.h"
#include "LetterTotals.h"
#include "NgramTally.h"

namespace glyphmeter::cli {

// A sequence and its count, as the results list it: `index` is the sequence's letters as digits
// in base A, A being the alphabet's size (26 for A to Z, as in NgramCount).
using ListedNgram = analysis::SequenceCount;

// One file's counts are the tally's list of the sequences that occur, so a small file's results
// cost what its sequences cost. A total of several files holds 64-bit counts, as they may pass
// what 32 bits hold: in a hash table while the sequences seen are few, so that the total of many
// small files costs what their sequences cost, and once they are many (past a quarter of the
// memory it takes) a count for every sequence, A^N of them (3.6 MB for quadgrams of A to Z).
// Where A^N passes 2^22 (32 MiB of counts) the total stays in the hash table, which holds at most
// 64 bytes for each sequence that occurs.
class NgramCounts {
  public:
    // A total of sequences of A to Z: every count 0.
    explicit NgramCounts(int sequenceLength);
    // A total of sequences of `slots` (A^N) possible ones: every count 0.
    NgramCounts(int sequenceLength, std::uint64_t slots);
    // One file's counts.
    explicit NgramCounts(analysis::NgramTally&& tally);
    // One file's counts of an alphabet's sequences, of `slots` possible ones.
    NgramCounts(analysis::AlphabetNgramTally&& tally, std::uint64_t slots);
    // Counts of 26^sequenceLength slots from elsewhere (a report read back); `total` must be
    // their sum.
    NgramCounts(int sequenceLength, std::vector<std::uint64_t> counts, std::int64_t total,
                bool limitReached);
    // The sequences of `slots` possible ones that occur, in index order, from elsewhere (a report
    // read back); `total` must be the sum of their counts.
    NgramCounts(int sequenceLength, std::uint64_t slots, std::vector<ListedNgram> listed,
                std::int64_t total, bool limitReached);

    int length() const { return length_; }
    std::int64_t total() const { return total_; }        // the sequences counted: the sum of counts
    bool limitReached() const { return limitReached_; }  // counting stopped in one of the files
    std::uint64_t largest() const;                       // the highest count, 0 with none

    // The sequences that occur, alphabetically.
    std::vector<ListedNgram> listed() const;

    // For a total: adds a file's (or another total's) counts.
    void add(const NgramCounts& other);

    // The memory the counts hold, beyond the object itself.
    std::size_t heapBytes() const;

    // The same length, counts and limit mark, however each is held.
    bool operator==(const NgramCounts& other) const;

  private:
    int length_;
    std::uint64_t slots_;  // the sequences there can be, A^N
    // A total's counts in the hash table, until they go wide.
    void widen();
    bool mayWiden() const;

    std::vector<analysis::NgramCount> sparse_;  // one file's of A to Z
    std::vector<ListedNgram> listed_;           // one file's of another alphabet, in index order
    analysis::HashedCounts hashed_;             // a total's while hashedTotal_
    bool hashedTotal_ = false;
    std::vector<std::uint64_t> wide_;  // a total's, by index
    std::int64_t total_ = 0;
    bool limitReached_ = false;
};

// The sequences that occur in the order the results list them: by count, highest first, equal
// counts alphabetically, or alphabetically; only the first `top` (0: all).
std::vector<ListedNgram> ngramOrder(const NgramCounts& counts, SortOrder order, std::size_t top);

// "TH" for the index of T, H.
std::string ngramName(std::uint64_t index, int length);

// The sequence of `index` in the letters `names` (as the alphabet shows them): its letters'
// names one after another.
std::string sequenceName(std::uint64_t index, int length, const std::vector<std::string>& names);

// count / total with six decimals and a point ("0.035612"); nullopt when total is 0.
std::optional<std::string> sixDecimals(std::uint64_t count, std::int64_t total);

}  // namespace glyphmeter::cli
