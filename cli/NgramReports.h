// The results of --ngrams: a table for people, CSV and JSON for programs, for one file or for
// several files followed by their total, in the same shapes as the letter results (Reports.h).
// A list can hold up to 26^4 lines, so the text is handed on in pieces as it is made.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "NgramCounts.h"
#include "Reports.h"

namespace glyphmeter::cli {

// Collects the report's text and hands it to `write` whenever it has grown past a few dozen
// kilobytes, and on flush(). Once a write fails nothing more is written.
class ReportSink {
  public:
    explicit ReportSink(std::function<bool(std::string_view)> write) : write_(std::move(write)) {}
    void add(std::string_view text);
    // Hands on what is pending; false once a write has failed.
    bool flush();
    // Whether a write has failed: nothing more will be written.
    bool failed() const { return failed_; }

  private:
    std::function<bool(std::string_view)> write_;
    std::string pending_;
    bool failed_ = false;
};

// "Bigram", "Trigram", "Quadgram".
std::string_view ngramKind(int length);

// Each file's sequences, then their total:
//   table  a line per sequence with its count, frequency and a bar scaled to the most frequent,
//          then "Total bigrams: N"; with several files "File: NAME" before each file's table and
//          "Total of N files" before the total's;
//   CSV    "ngram,count,frequency", or "file,ngram,count,frequency" and then the lines of each
//          file and of *total*;
//   JSON   an object with "file", "ngram_length", "total_ngrams", "limitReached" and "ngrams",
//          or an array of them ending with the total's.
// Only sequences that occur are listed, in options.order, at most options.top of them.
class NgramReportWriter {
  public:
    NgramReportWriter(ReportOptions options, bool severalFiles);

    void start(ReportSink& out) const;
    void file(std::string_view name, const NgramCounts& counts, ReportSink& out) const;
    void finish(const NgramCounts& total, int filesCounted, ReportSink& out) const;

  private:
    void table(const NgramCounts& counts, ReportSink& out) const;
    void csvLines(std::string_view firstField, const NgramCounts& counts, ReportSink& out) const;
    void jsonObject(std::string_view name, const NgramCounts& counts, std::string_view indent,
                    ReportSink& out) const;

    ReportOptions options_;
    bool several_;
};

}  // namespace glyphmeter::cli
