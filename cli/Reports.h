// The ways glyphmeter-cli writes its results: a table for people, CSV and JSON for programs; for
// one file, or for several files followed by their total. Each piece is made whole in memory (a
// few kilobytes at most) and written by the caller as soon as it is ready.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Languages.h"
#include "LetterCounts.h"

namespace glyphmeter::cli {

enum class OutputFormat { table, csv, json };

struct ReportOptions {
    OutputFormat format = OutputFormat::table;
    SortOrder order = SortOrder::alphabetical;
    // When set, the table and JSON add the index of coincidence and chi-squared against this
    // language for each file and the total (CSV holds letters only).
    const LanguageTable* statistics = nullptr;
    // Letter sequences (--ngrams): list only the first `top` of them; 0 lists all.
    std::size_t top = 0;
};

// How many columns the text bar of a letter takes: the window's bar growth in twips at 100 twips
// a column, so the most frequent letter always gets barColumns (its growth is within 45.5 twips
// of 3500) and the others are scaled to it exactly as on screen.
inline constexpr int barColumns = 35;
int barLength(std::int32_t barFigure, double maxFrequency);

// The name the total goes by in CSV and JSON.
inline constexpr std::string_view totalName = "*total*";

// The results in the order they are written: start(), then file() for each file counted, then
// finish(). For one file, file() is all there is:
//   table  a row per letter with count, frequency and bar, then the total and largest frequency,
//          then the statistics;
//   CSV    "letter,count,frequency", then a line per letter;
//   JSON   one object with the file, the totals and every letter.
// For several files (even if some could not be read):
//   table  "File: NAME" and that table for each file, then "Total of N files" and the table of
//          all of them together;
//   CSV    "file,letter,count,frequency", then 26 lines for each file and 26 for *total*;
//   JSON   an array of the files' objects, then one for the total with the file "*total*".
class ReportWriter {
  public:
    ReportWriter(ReportOptions options, bool severalFiles);

    std::string start() const;
    // `name` is the file as given (UTF-8, or any bytes on Linux).
    std::string file(std::string_view name, const LetterCounts& counts) const;
    std::string finish(const LetterCounts& total, int filesCounted) const;

  private:
    std::string table(const LetterCounts& counts) const;
    std::string csvLines(std::string_view firstField, const LetterCounts& counts) const;
    std::string jsonObject(std::string_view name, const LetterCounts& counts,
                           std::string_view indent) const;

    ReportOptions options_;
    bool several_;
};

}  // namespace glyphmeter::cli
