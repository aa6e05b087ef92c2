// Two measures of how a text's letters are spread, for telling plain language from a simple
// substitution or from something flatter.
#pragma once

#include <optional>

#include "Languages.h"
#include "LetterTotals.h"

namespace glyphmeter::cli {

// The chance that two letters drawn from the text are the same: sum of n(n-1) over the letters,
// divided by N(N-1) for N letters in all. nullopt below 2 letters, where it is not defined.
// Multiplied by 26 it is 1 for letters spread evenly; English text gives about 1.7.
std::optional<double> indexOfCoincidence(const LetterTotals& counts);

// Pearson's chi-squared statistic of the counts against the letters expected in `language`:
// sum of (observed - expected)^2 / expected over A to Z, the expected count being the letter's
// share times N. Smaller is closer. nullopt without letters, where nothing is expected.
std::optional<double> chiSquared(const LetterTotals& counts, const LanguageTable& language);

}  // namespace glyphmeter::cli
