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

double frequencyFigures(std::span<const std::int64_t> counts, std::int64_t total,
                        std::span<std::int32_t> frequency, std::span<std::int32_t> bar) {
    double maxFrequency = 0;
    if (total <= 0) {
        return maxFrequency;
    }
    // Every count and total converts to double exactly (they stay far below 2^53).
    const double letters = static_cast<double>(total);
    for (std::size_t letter = 0; letter < counts.size(); ++letter) {
        const double quotient = static_cast<double>(counts[letter]) / letters;
        frequency[letter] = scaled(quotient, 10000.0);
        bar[letter] = scaled(quotient, 1000.0);
        maxFrequency = std::max(maxFrequency, quotient);
    }
    return maxFrequency;
}

LetterFigures letterFigures(const LetterTotals& counts) {
    LetterFigures figures;
    if (counts.total <= 0) {
        figures.maxFrequencyText = analysis::plainNumberText(std::int64_t{0});
        return figures;
    }
    figures.maxFrequency = frequencyFigures(counts.letters, counts.total, figures.frequencyFigures,
                                            figures.barFigures);
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
