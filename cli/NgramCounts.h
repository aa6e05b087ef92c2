// The letter sequences of one file, or of several files added together, and the order and
// figures the results list them with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "LetterTotals.h"
#include "NgramTally.h"

namespace glyphmeter::cli {

// One file's counts keep the tally's 32 bits; a total of several files has 64-bit counts, as
// they may pass what 32 bits hold.
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
    // 26^length: the sequence's letters as base-26 digits, as in analysis::NgramTally.
    std::size_t slots() const { return wide_.empty() ? narrow_.size() : wide_.size(); }
    std::uint64_t count(std::size_t index) const {
        return wide_.empty() ? narrow_[index] : wide_[index];
    }
    std::int64_t total() const { return total_; }        // the sequences counted: the sum of counts
    bool limitReached() const { return limitReached_; }  // counting stopped in one of the files

    // For a total: adds a file's (or another total's) counts.
    void add(const NgramCounts& other);

    // The same length, counts and limit mark, however each is held.
    bool operator==(const NgramCounts& other) const;

  private:
    int length_;
    std::vector<std::uint32_t> narrow_;
    std::vector<std::uint64_t> wide_;
    std::int64_t total_ = 0;
    bool limitReached_ = false;
};

// The sequences that occur, as indexes into counts, in the order the results list them: by count,
// highest first, equal counts alphabetically, or alphabetically; only the first `top` (0: all).
std::vector<std::uint32_t> ngramOrder(const NgramCounts& counts, SortOrder order, std::size_t top);

// "TH" for the index of T, H.
std::string ngramName(std::uint32_t index, int length);

// count / total with six decimals and a point ("0.035612"); nullopt when total is 0.
std::optional<std::string> sixDecimals(std::uint64_t count, std::int64_t total);

}  // namespace glyphmeter::cli
