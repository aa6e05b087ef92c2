// Letter sequences (--ngrams) as a kind of count: how one file is counted, how files add up to a
// total, and how the results are written. A list can hold up to 26^4 lines, so it is handed on in
// pieces as it is made.
#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <string_view>

#include "InputFile.h"
#include "LetterTally.h"
#include "NgramCounts.h"
#include "NgramTally.h"
#include "ReaderBuffers.h"
#include "Reports.h"

namespace glyphmeter::cli {

// "Bigram", "Trigram", "Quadgram".
std::string_view ngramKind(int length);

// The kind of count for --ngrams (what a kind offers: LetterKind.h). It writes:
//   table  a line per sequence with its count, frequency and a bar scaled to the most frequent,
//          then "Total bigrams: N";
//   CSV    "ngram,count,frequency", a line per sequence;
//   JSON   an object with "file", "ngram_length", "total_ngrams", "limitReached" and "ngrams".
// Only sequences that occur are listed, in options.order, at most options.top of them.
class NgramKind : public CountKind {
  public:
    using Counts = NgramCounts;
    struct Kept {
        analysis::ReaderBuffers buffers;
        analysis::NgramCounters counters;
    };

    NgramKind(const ReportOptions& options, analysis::NgramOptions sequences)
        : CountKind(options), sequences_(sequences) {}

    Counts count(analysis::InputFile& input, const analysis::MessageSink& showMessage,
                 std::int32_t limit, Kept& kept) const;
    Counts emptyTotal() const { return NgramCounts(sequences_.length); }
    // A file's counts list only the sequences that occur, so they weigh what the file holds.
    static std::size_t countsBytes(const Counts& counts) { return counts.heapBytes(); }
    Counts fromJson(const nlohmann::json& object) const;

    static std::string_view csvColumns() { return "ngram,count,frequency"; }
    void rows(const Counts& counts, const ReportRow& row) const;
    void table(const Counts& counts, ReportSink& out) const;
    void jsonObject(std::string_view name, const Counts& counts, std::string_view indent,
                    ReportSink& out) const;

  private:
    analysis::NgramOptions sequences_;
};

}  // namespace glyphmeter::cli
