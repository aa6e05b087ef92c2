// The three ways glyphmeter-cli writes a tally: a table for people, CSV and JSON for programs.
// Each is made whole in memory (a few hundred bytes) and written by the caller in one go.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "LetterTally.h"

namespace glyphmeter::cli {

// A frequency figure in ten-thousandths as a decimal with exactly four decimals and a point:
// 3000 -> "0.3000", 10000 -> "1.0000". Made from the integer, so it is exact.
std::string fourDecimals(std::int32_t frequencyFigure);

// How many columns the text bar of a letter takes: the window's bar growth in twips at 100 twips
// a column, so the most frequent letter always gets barColumns (its growth is within 45.5 twips
// of 3500) and the others are scaled to it exactly as on screen.
inline constexpr int barColumns = 35;
int barLength(std::int32_t barFigure, double maxFrequency);

// One row per letter with count, frequency and bar, then the total and the largest frequency.
std::string tableReport(const analysis::LetterTally& tally);

// "letter,count,frequency", then one line per letter A to Z; every line ends with "\n".
std::string csvReport(const analysis::LetterTally& tally);

// One JSON object; `fileName` is the file as given (UTF-8, or any bytes on Linux).
std::string jsonReport(const analysis::LetterTally& tally, std::string_view fileName);

}  // namespace glyphmeter::cli
