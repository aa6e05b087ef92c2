// The letter frequencies expected in texts of a few languages, for comparing counts with them.
#pragma once

#include <array>
#include <span>
#include <string_view>

#include "LetterTally.h"

namespace glyphmeter::cli {

struct LanguageTable {
    std::string_view code;  // ISO 639-1, "en"
    std::string_view name;  // in English, "German"
    // Per cent of all letters of the language's texts, A to Z, as published; all above 0.
    std::array<double, analysis::letterCount> percent;
    // The per cent published for the language's other letters (ä, é, ß, ...), none of which the
    // tally counts; zeros fill the rest. With them the published figures make 100.
    std::array<double, 12> otherLettersPercent;
    // Those letters, lower case, in the order of otherLettersPercent (UTF-8).
    std::string_view otherLetters;
};

// English first, the default.
std::span<const LanguageTable> languageTables();

// The table for `code`, or nullptr when there is none.
const LanguageTable* findLanguage(std::string_view code);

// The share each of A to Z is expected to have among the letters the tally counts: the table's
// percentages scaled to sum to 1, since the other letters are never counted.
std::array<double, analysis::letterCount> expectedShares(const LanguageTable& language);

}  // namespace glyphmeter::cli
