// The letters of any alphabet as a kind of count: the letters in the alphabet's order, each shown
// as its text (UTF-8), counted in the encoding asked for; with the invalid sequences of each file
// reported once on standard error.
#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "AlphabetTally.h"
#include "InputFile.h"
#include "Languages.h"
#include "ReaderBuffers.h"
#include "Reports.h"

namespace glyphmeter::cli {

// What --alphabet, --letters, --encoding, --fold-accents and --stats asked for.
struct AlphabetChoice {
    analysis::AlphabetOptions counting;
    std::string name;  // the alphabet's name, "custom" for --letters
    bool statistics = false;
    // The reference frequencies for chi-squared: --language, or the alphabet's own language;
    // nullptr when there is no table for it (the report says so).
    const LanguageTable* language = nullptr;
    std::string languageCode;  // the language meant, with or without a table
};

// Counts in 64 bits, as LetterTotals, for any number of letters.
struct AlphabetTotals {
    std::vector<std::int64_t> letters;  // in the alphabet's order
    std::int64_t total = 0;
    std::uint64_t invalidSequences = 0;
    bool limitReached = false;

    void add(const AlphabetTotals& other);
    bool operator==(const AlphabetTotals&) const = default;
};

// What a count says on standard error of the invalid sequences in `counts`, read as `encoding`:
// "3 invalid UTF-8 sequences, the first at byte 17"; empty when there were none.
std::string invalidSequencesMessage(const analysis::AlphabetCounts& counts,
                                    analysis::TextEncoding encoding);

// The columns a text takes in a terminal: 2 for East Asian wide and full-width characters, 0
// for combining marks, 1 for any other character.
std::size_t displayWidth(std::string_view utf8);

// Written as the letter kind writes A to Z (LetterKind.h), the letters being the alphabet's:
//   table  a row per letter, the letters padded to the widest, then the totals and statistics;
//   CSV    "letter,count,frequency";
//   JSON   the letter kind's object with "alphabet" and "invalidSequences" added, "letters"
//          keyed by the letter; read back by fromJson() for --merge.
class AlphabetKind : public CountKind {
  public:
    using Counts = AlphabetTotals;
    using Kept = analysis::ReaderBuffers;

    AlphabetKind(const ReportOptions& options, AlphabetChoice choice);

    // Counts one file; `showMessage` receives the limit's message, then a line on the invalid
    // sequences when there were any.
    Counts count(analysis::InputFile& input, const analysis::MessageSink& showMessage,
                 std::int32_t limit, analysis::ReaderBuffers& buffers) const;
    // The same for any input read block by block (bytes in memory, or reads that may stop).
    Counts count(analysis::detail::BlockInput& input, const analysis::MessageSink& showMessage,
                 std::int32_t limit, analysis::ReaderBuffers& buffers) const;
    const AlphabetChoice& choice() const { return choice_; }
    Counts emptyTotal() const;
    // A file's counts are one 64-bit count per letter of the alphabet.
    static std::size_t countsBytes(const Counts& counts) {
        return counts.letters.capacity() * sizeof(std::int64_t);
    }

    static std::string_view csvColumns() { return "letter,count,frequency"; }
    void rows(const Counts& counts, const ReportRow& row) const;
    void table(const Counts& counts, ReportSink& out) const;
    void jsonObject(std::string_view name, const Counts& counts, std::string_view indent,
                    ReportSink& out) const;
    // The counts of an object jsonObject() wrote, for --merge: of this alphabet, its letters
    // keyed as it names them. Throws ForeignReport for any other object.
    Counts fromJson(const nlohmann::json& object) const;

  private:
    struct Figures;
    struct Measures;
    Figures figures(const Counts& counts) const;
    Measures measures(const Counts& counts) const;
    std::vector<std::size_t> order(const Counts& counts) const;

    AlphabetChoice choice_;
    std::vector<std::string> names_;
    std::vector<std::size_t> widths_;
    std::size_t nameWidth_ = 1;
    // The share each letter is expected to have among the letters the reference table covers,
    // or a negative number for a letter without a reference value.
    std::vector<double> shares_;
};

}  // namespace glyphmeter::cli
