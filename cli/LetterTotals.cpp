#include "LetterTotals.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "NumberText.h"

namespace glyphmeter::cli {

namespace {

// std::nearbyint rounds half to even in the default rounding mode, as the window's figures do.
std::int32_t scaled(double quotient, double scale) {
    return static_cast<std::int32_t>(std::nearbyint(quotient * scale));
}

}  // namespace

void LetterTotals::add(const analysis::LetterTally& tally) {
    for (int letter = 0; letter < analysis::letterCount; ++letter) {
        letters[letter] += tally.letterCounts[letter];
    }
    total += tally.totalLetters;
    limitReached = limitReached || tally.limitReached;
}

void LetterTotals::add(const LetterTotals& other) {
    for (int letter = 0; letter < analysis::letterCount; ++letter) {
        letters[letter] += other.letters[letter];
    }
    total += other.total;
    limitReached = limitReached || other.limitReached;
}

LetterFigures letterFigures(const LetterTotals& counts) {
    LetterFigures figures;
    if (counts.total <= 0) {
        figures.maxFrequencyText = analysis::plainNumberText(std::int64_t{0});
        return figures;
    }
    // Every count and total converts to double exactly (they stay far below 2^53).
    const double total = static_cast<double>(counts.total);
    for (int letter = 0; letter < analysis::letterCount; ++letter) {
        const double quotient = static_cast<double>(counts.letters[letter]) / total;
        figures.frequencyFigures[letter] = scaled(quotient, 10000.0);
        figures.barFigures[letter] = scaled(quotient, 1000.0);
        figures.maxFrequency = std::max(figures.maxFrequency, quotient);
    }
    figures.maxFrequencyText = analysis::plainNumberText(figures.maxFrequency);
    return figures;
}

std::array<int, analysis::letterCount> letterOrder(const LetterTotals& counts, SortOrder order) {
    std::array<int, analysis::letterCount> letters;
    std::iota(letters.begin(), letters.end(), 0);
    if (order == SortOrder::byCount) {
        std::stable_sort(letters.begin(), letters.end(),
                         [&](int a, int b) { return counts.letters[a] > counts.letters[b]; });
    }
    return letters;
}

}  // namespace glyphmeter::cli
