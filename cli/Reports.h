// How glyphmeter-cli writes its results, whatever it counted: a table for people, CSV and JSON for
// programs; for one file, or for several files followed by their total. The framing around each
// file's results is the same for every kind of count; the kind writes its own table, CSV lines
// and JSON object. The text is handed on in pieces as it is made, so a long list never has to be
// held whole.
#pragma once

#include <charconv>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "CsvField.h"
#include "Languages.h"
#include "LetterTotals.h"
#include "NumberText.h"

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

// How many columns the text bar of the most frequent letter or sequence takes.
inline constexpr int barColumns = 35;

// The name the total goes by in CSV and JSON.
inline constexpr std::string_view totalName = "*total*";

// `text` with spaces in front up to `width` characters; longer text as it is.
std::string padLeft(std::string_view text, std::size_t width);
// The same appended to `out`.
void appendPadded(std::string& out, std::string_view text, std::size_t width);

// Whole numbers in the reports: plain digits, a minus sign when negative.
inline std::string decimal(std::int64_t value) {
    return analysis::plainNumberText(value);
}

// Collects a report's text. Given a `write`, hands the text to it whenever it has grown past a
// few dozen kilobytes, and on flush(); once a write fails nothing more is written. Without one
// it only collects, for take().
class ReportSink {
  public:
    ReportSink() = default;
    explicit ReportSink(std::function<bool(std::string_view)> write) : write_(std::move(write)) {}
    void add(std::string_view text) {
        pending_.append(text);
        flushIfFull();
    }
    // `text` with spaces in front up to `width` characters, as padLeft() gives it.
    void addPadded(std::string_view text, std::size_t width) {
        appendPadded(pending_, text, width);
        flushIfFull();
    }
    void addRepeated(char c, std::size_t count) {
        pending_.append(count, c);
        flushIfFull();
    }
    // Hands on what is pending; false once a write has failed.
    bool flush();
    // Whether a write has failed: nothing more will be written.
    bool failed() const { return failed_; }
    // What has been collected (without a `write`), leaving the sink empty.
    std::string take() { return std::move(pending_); }

  private:
    static constexpr std::size_t pieceSize = 64 * 1024;

    void flushIfFull() {
        if (pending_.size() >= pieceSize && write_) {
            flush();
        }
    }

    std::function<bool(std::string_view)> write_;
    std::string pending_;
    bool failed_ = false;
};

// What every kind of count is made with: the options of the report, which say the order of its
// rows, how many to list and which statistics to add.
class CountKind {
  public:
    explicit CountKind(const ReportOptions& options) : options_(options) {}

  protected:
    ReportOptions options_;
};

// One row of a kind's list (a letter, a sequence): its name, count and frequency as written.
using ReportRow =
    std::function<void(std::string_view name, std::int64_t count, std::string_view frequency)>;

// The results in the order they are written: start(), then file() for each file counted, then
// finish(). For one file, file() is all there is:
//   table  the kind's table;
//   CSV    the kind's column names ("letter,count,frequency"), then its lines;
//   JSON   the kind's object.
// For several files (even if some could not be read):
//   table  "File: NAME" and the table for each file, a blank line after each, then
//          "Total of N files" and the table of all of them together;
//   CSV    "file," and the column names, then each file's lines and the total's, each line
//          starting with the file (CSV-quoted) or *total*;
//   JSON   an array of the files' objects, then one for the total with the file "*total*".
// `Kind` writes one block of results (see LetterKind.h):
//   std::string_view csvColumns() const;
//   void rows(const Counts&, const ReportRow&) const;  // the CSV lines, in order
//   void table(const Counts&, ReportSink&) const;
//   void jsonObject(std::string_view name, const Counts&, std::string_view indent,
//                   ReportSink&) const;
template <typename Kind>
class ReportFraming {
  public:
    using Counts = typename Kind::Counts;

    ReportFraming(const Kind& kind, OutputFormat format, bool severalFiles)
        : kind_(kind), format_(format), several_(severalFiles) {}

    void start(ReportSink& out) const {
        if (!several_) {
            return;
        }
        if (format_ == OutputFormat::csv) {
            out.add("file,");
            out.add(kind_.csvColumns());
            out.add("\n");
        } else if (format_ == OutputFormat::json) {
            out.add("[\n");
        }
    }

    // `name` is the file as given (UTF-8, or any bytes on Linux).
    void file(std::string_view name, const Counts& counts, ReportSink& out) const {
        switch (format_) {
            case OutputFormat::csv:
                if (several_) {
                    csvLines(csvField(name) + ',', counts, out);
                } else {
                    out.add(kind_.csvColumns());
                    out.add("\n");
                    csvLines({}, counts, out);
                }
                return;
            case OutputFormat::json:
                kind_.jsonObject(name, counts, several_ ? "  " : "", out);
                out.add(several_ ? ",\n" : "\n");
                return;
            case OutputFormat::table:
                break;
        }
        if (several_) {
            out.add("File: ");
            out.add(name);
            out.add("\n");
        }
        kind_.table(counts, out);
        if (several_) {
            out.add("\n");
        }
    }

    void finish(const Counts& total, int filesCounted, ReportSink& out) const {
        if (!several_) {
            return;
        }
        switch (format_) {
            case OutputFormat::csv:
                csvLines(std::string(totalName) + ',', total, out);
                return;
            case OutputFormat::json:
                kind_.jsonObject(totalName, total, "  ", out);
                out.add("\n]\n");
                return;
            case OutputFormat::table:
                break;
        }
        out.add("Total of " + decimal(filesCounted) + (filesCounted == 1 ? " file\n" : " files\n"));
        kind_.table(total, out);
    }

  private:
    static constexpr std::size_t linesAtOnce = std::size_t{16} << 10;

    // A line a row, each starting with `prefix`.
    void csvLines(const std::string& prefix, const Counts& counts, ReportSink& out) const {
        // Gathered a few kilobytes at a time, the count written in place: with many small files
        // these lines are most of the run's work, and a large list still never waits whole.
        std::string lines;
        kind_.rows(counts,
                   [&](std::string_view name, std::int64_t count, std::string_view frequency) {
                       char digits[24];
                       char* digitsEnd = std::to_chars(digits, digits + sizeof digits, count).ptr;
                       lines.append(prefix).append(name).append(1, ',').append(digits, digitsEnd);
                       lines.append(1, ',').append(frequency).append(1, '\n');
                       if (lines.size() >= linesAtOnce) {
                           out.add(lines);
                           lines.clear();
                       }
                   });
        out.add(lines);
    }

    const Kind& kind_;
    OutputFormat format_;
    bool several_;
};

}  // namespace glyphmeter::cli
