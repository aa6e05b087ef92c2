// The letter sequences of one file, or of several files added together, and the order and
// figures the results list them with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HashedCounts.h"
#include "LetterTotals.h"
#include "NgramTally.h"

namespace glyphmeter::cli {

// A sequence and its count, as the results list it.
struct ListedNgram {
    std::uint32_t index = 0;  // the sequence's letters as base-26 digits, as in NgramCount
    std::uint64_t count = 0;
};

// One file's counts are the tally's list of the sequences that occur, so a small file's results
// cost what its sequences cost. A total of several files holds 64-bit counts, as they may pass
// what 32 bits hold: in a hash table while the sequences seen are few, so that the total of many
// small files costs what their sequences cost, and once they are many (past a quarter of the
// memory it takes) a count for every sequence, 26^N of them (3.6 MB for quadgrams).
class NgramCounts {
  public:
    // A total: every count 0.
    explicit NgramCounts(int sequenceLength);
    // One file's counts.
    explicit NgramCounts(analysis::NgramTally&& tally);
    // Counts of 26^sequenceLength slots from elsewhere (a report read back); `total` must be
    // their sum.
    NgramCounts(int sequenceLength, std::vector<std::uint64_t> counts, std::int64_t total,
                bool limitReached);

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
    // A total's counts in the hash table, until they go wide.
    void widen();

    std::vector<analysis::NgramCount> sparse_;  // one file's
    HashedCounts hashed_;                       // a total's while hashedTotal_
    bool hashedTotal_ = false;
    std::vector<std::uint64_t> wide_;  // a total's, by index
    std::int64_t total_ = 0;
    bool limitReached_ = false;
};

// The sequences that occur in the order the results list them: by count, highest first, equal
// counts alphabetically, or alphabetically; only the first `top` (0: all).
std::vector<ListedNgram> ngramOrder(const NgramCounts& counts, SortOrder order, std::size_t top);

// "TH" for the index of T, H.
std::string ngramName(std::uint32_t index, int length);

// count / total with six decimals and a point ("0.035612"); nullopt when total is 0.
std::optional<std::string> sixDecimals(std::uint64_t count, std::int64_t total);

}  // namespace glyphmeter::cli
