// Turning a tally into the figures and texts the results show.
//
// All arithmetic is IEEE double precision, one operation at a time in the order written here, and
// a double becomes an integer figure by rounding to nearest with ties to even (312.5 -> 312,
// 937.5 -> 938). The quotient count / total always comes first: 3 letters in 20000 give
// (3 / 20000) * 10000 = 1.4999999999999998, figure 1, where 3 * 10000 / 20000 would give 2.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "LetterTally.h"

namespace glyphmeter::analysis {

// How far the bar of the most frequent letter grows beyond its stub, in twips.
inline constexpr double barScale = 3500.0;
// Bar geometry in twips: every bar starts at barStart and rests at barRestEnd.
inline constexpr float barStart = 2400.0f;
inline constexpr float barRestEnd = 2410.0f;

// A letter's frequency in ten-thousandths, 0..10000. Requires total > 0.
std::int32_t frequencyFigure(std::int32_t count, std::int32_t total);

// A frequency figure in ten-thousandths as a decimal with exactly four decimals and a point:
// 3000 -> "0.3000", 10000 -> "1.0000". Made from the integer, so it is exact. Used where results
// leave the program as data (the command-line tool's outputs, the window's copied table).
std::string fourDecimals(std::int32_t frequencyFigure);

// A letter's frequency in thousandths, 0..1000, used only for its bar. Requires total > 0.
std::int32_t barFigure(std::int32_t count, std::int32_t total);

// The largest of the 26 quotients count / total; 0 when total is 0.
double maxFrequency(const LetterTally& tally);

// The bar's new right-hand end: currentEnd + barScale * (barFigure / (maxFreq * 1000)), worked out
// in double precision and then rounded to single precision. Requires maxFreq > 0.
float barEnd(float currentEnd, std::int32_t barFigure, double maxFreq);

// Everything the results area shows for one tally, as text.
struct FrequencyTexts {
    std::array<std::string, letterCount> countTexts;  // " 3"; made for every letter
    // " .3"; only when at least one letter was counted, otherwise empty optionals.
    std::array<std::optional<std::string>, letterCount> frequencyTexts;
    std::array<std::int32_t, letterCount> frequencyFigures{};  // 0 when no letter was counted
    std::array<std::int32_t, letterCount> barFigures{};        // 0 when no letter was counted
    double maxFrequency = 0;
    std::string maxFrequencyText;  // plain form: "0.3", or "0" when no letter was counted
    std::string totalText;         // " 10"
};

// `decimalSeparator` is the user's regional one; it appears only in maxFrequencyText.
FrequencyTexts describeTally(const LetterTally& tally, std::string_view decimalSeparator = ".");

}  // namespace glyphmeter::analysis
