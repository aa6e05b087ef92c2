// The letters of one file, or of several files added together, and the figures the results show
// for them.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "LetterTally.h"

namespace glyphmeter::cli {

// Counts in 64 bits: each file stops at the letter limit, but several files together may pass
// what 32 bits hold.
struct LetterTotals {
    std::array<std::int64_t, analysis::letterCount> letters{};  // slot 0 is A, slot 25 is Z
    std::int64_t total = 0;                                     // always the sum of letters
    bool limitReached = false;  // counting stopped at the letter limit (in one of the files)

    void add(const analysis::LetterTally& tally);
    void add(const LetterTotals& other);

    bool operator==(const LetterTotals&) const = default;
};

// The figures of the results, worked out exactly as the window works them out for one file
// (quotient count / total first, then scaled and rounded half to even), for 64-bit counts.
struct LetterFigures {
    // Ten-thousandths and thousandths (for the bar); all 0 when no letter was counted.
    std::array<std::int32_t, analysis::letterCount> frequencyFigures{};
    std::array<std::int32_t, analysis::letterCount> barFigures{};
    double maxFrequency = 0;       // the largest quotient count / total, 0 without letters
    std::string maxFrequencyText;  // plain number text, "0.3"; "0" without letters
};

LetterFigures letterFigures(const LetterTotals& counts);

// The same figures for the letters of any alphabet: writes each count's ten-thousandths to
// `frequency` and thousandths to `bar` (both as long as `counts`) and returns the largest
// quotient; with a `total` of 0 or less writes nothing and returns 0.
double frequencyFigures(std::span<const std::int64_t> counts, std::int64_t total,
                        std::span<std::int32_t> frequency, std::span<std::int32_t> bar);

enum class SortOrder { alphabetical, byCount };

// The letters 0 to 25 in the order the results list them: A to Z, or by count, highest first,
// equal counts alphabetically.
std::array<int, analysis::letterCount> letterOrder(const LetterTotals& counts, SortOrder order);

}  // namespace glyphmeter::cli
