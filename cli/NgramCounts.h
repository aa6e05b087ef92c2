// The letter sequences of one file, or of several files added together, and the order and
// figures the results list them with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "LetterCounts.h"
#include "NgramTally.h"

namespace glyphmeter::cli {

struct NgramCounts {
    int length = 2;
    std::vector<std::uint64_t> counts;  // 26^length, as in analysis::NgramTally
    std::int64_t total = 0;             // the sequences counted: the sum of counts
    bool limitReached = false;          // counting stopped at the letter limit (in one file)

    explicit NgramCounts(int sequenceLength);
    explicit NgramCounts(analysis::NgramTally&& tally);
    void add(const NgramCounts& other);
};

// The sequences that occur, as indexes into counts, in the order the results list them: by count,
// highest first, equal counts alphabetically, or alphabetically; only the first `top` (0: all).
std::vector<std::uint32_t> ngramOrder(const NgramCounts& counts, SortOrder order, std::size_t top);

// "TH" for the index of T, H.
std::string ngramName(std::uint32_t index, int length);

// count / total with six decimals and a point ("0.035612"); nullopt when total is 0.
std::optional<std::string> sixDecimals(std::uint64_t count, std::int64_t total);

}  // namespace glyphmeter::cli
