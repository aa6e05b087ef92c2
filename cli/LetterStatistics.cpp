#include "LetterStatistics.h"

namespace glyphmeter::cli {

std::optional<double> indexOfCoincidence(const LetterTotals& counts) {
    if (counts.total < 2) {
        return std::nullopt;
    }
    // In double: n(n-1) of several files together can pass what 64 bits hold, and the result is
    // shown to four decimals.
    double pairs = 0;
    for (const std::int64_t n : counts.letters) {
        pairs += static_cast<double>(n) * static_cast<double>(n - 1);
    }
    const double total = static_cast<double>(counts.total);
    return pairs / (total * (total - 1));
}

std::optional<double> chiSquared(const LetterTotals& counts, const LanguageTable& language) {
    if (counts.total < 1) {
        return std::nullopt;
    }
    const auto shares = expectedShares(language);
    double sum = 0;
    for (int letter = 0; letter < analysis::letterCount; ++letter) {
        const double expected = shares[letter] * static_cast<double>(counts.total);
        const double difference = static_cast<double>(counts.letters[letter]) - expected;
        sum += difference * difference / expected;
    }
    return sum;
}

}  // namespace glyphmeter::cli
