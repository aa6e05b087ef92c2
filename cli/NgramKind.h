// Letter sequences (--ngrams) as a kind of count: how one file is counted, how files add up to a
// total, and how the results are written. A list can hold up to 26^4 lines (more for a larger
// alphabet), so it is handed on in pieces as it is made.
#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "AlphabetKind.h"
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
//
// Of A to Z by default. Of an alphabet's letters where one is given: each sequence is named by its
// letters as the alphabet shows them, the table's names are aligned by their width on a terminal,
// JSON adds "alphabet" (its name, or "custom") after "file", and a file's invalid sequences are
// reported once on standard error, as the alphabet's letters report them.
class NgramKind : public CountKind {
  public:
    using Counts = NgramCounts;
    struct Kept {
        analysis::ReaderBuffers buffers;
        analysis::NgramCounters counters;
    };

    NgramKind(const ReportOptions& options, analysis::NgramOptions sequences,
              std::optional<AlphabetChoice> alphabet = std::nullopt);

    Counts count(analysis::InputFile& input, const analysis::MessageSink& showMessage,
                 std::int32_t limit, Kept& kept) const;
    Counts emptyTotal() const { return NgramCounts(sequences_.length, slots_); }
    // A file's counts list only the sequences that occur, so they weigh what the file holds.
    static std::size_t countsBytes(const Counts& counts) { return counts.heapBytes(); }
    Counts fromJson(const nlohmann::json& object) const;

    static std::string_view csvColumns() { return "ngram,count,frequency"; }
    void rows(const Counts& counts, const ReportRow& row) const;
    void table(const Counts& counts, ReportSink& out) const;
    void jsonObject(std::string_view name, const Counts& counts, std::string_view indent,
                    ReportSink& out) const;

  private:
    std::string nameOf(std::uint64_t index, int length) const;
    std::uint64_t indexOf(const nlohmann::json& name) const;

    analysis::NgramOptions sequences_;
    std::optional<AlphabetChoice> alphabet_;
    std::vector<std::string> letters_;                            // the alphabet's letters as shown
    std::unordered_map<std::string, std::size_t> letterIndexes_;  // into letters_
    std::uint64_t slots_;                                         // the sequences there can be
    std::size_t nameWidth_ = 8;  // the table's column of names, in terminal columns
};

}  // namespace glyphmeter::cli
