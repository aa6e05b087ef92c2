// Single letters A to Z as a kind of count: how one file is counted, how files add up to a total,
// and how the results are written (a row per letter in every format).
#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <string_view>

#include "InputFile.h"
#include "LetterTally.h"
#include "LetterTotals.h"
#include "ReaderBuffers.h"
#include "Reports.h"

namespace glyphmeter::cli {

// How many columns the text bar of a letter takes: the window's bar growth in twips at 100 twips
// a column, so the most frequent letter always gets barColumns (its growth is within 45.5 twips
// of 3500) and the others are scaled to it exactly as on screen.
int barLength(std::int32_t barFigure, double maxFrequency);

// What every kind of count offers the run (Program.cpp) and the framing (Reports.h):
//   Counts                  one file's counts, or a total's; Counts::add(const Counts&) adds a
//                           file's counts to a total
//   Kept                    what a worker keeps from one file to the next (buffers, counters)
//   count(...)              counts one file, giving its messages (the letter limit) to
//                           showMessage; throws analysis::FileError or what the tally throws
//   emptyTotal()            a total with nothing in it
//   countsBytes(counts)     the memory the counts hold beyond the object, for the bound on
//                           the results waiting to be written
//   fromJson(object)        one object of what --json wrote, read back as Counts (--merge);
//                           throws ForeignReport (ReportReading.h) when the object is not of
//                           this kind or its counts do not add up to its total
//   csvColumns(), rows(), table(), jsonObject()   the kind's part of the report (Reports.h)
// Letters write:
//   table  a row per letter with count, frequency and bar, then the total and largest frequency,
//          then the statistics;
//   CSV    "letter,count,frequency", a line per letter;
//   JSON   an object with the file, the totals and every letter.
class LetterKind : public CountKind {
  public:
    using Counts = LetterTotals;
    using Kept = analysis::ReaderBuffers;

    using CountKind::CountKind;

    Counts count(analysis::InputFile& input, const analysis::MessageSink& showMessage,
                 std::int32_t limit, analysis::ReaderBuffers& buffers) const;
    Counts emptyTotal() const { return {}; }
    static std::size_t countsBytes(const Counts&) { return 0; }
    Counts fromJson(const nlohmann::json& object) const;

    static std::string_view csvColumns() { return "letter,count,frequency"; }
    void rows(const Counts& counts, const ReportRow& row) const;
    void table(const Counts& counts, ReportSink& out) const;
    void jsonObject(std::string_view name, const Counts& counts, std::string_view indent,
                    ReportSink& out) const;
};

}  // namespace glyphmeter::cli
