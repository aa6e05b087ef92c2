#include "NgramReports.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "CsvField.h"
#include "JsonString.h"

namespace glyphmeter::cli {

namespace {

constexpr std::size_t pieceSize = 64 * 1024;

std::string decimal(std::uint64_t value) {
    char buffer[24];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::string padLeft(std::string_view text, std::size_t width) {
    std::string out;
    if (text.size() < width) {
        out.assign(width - text.size(), ' ');
    }
    return out.append(text);
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

}  // namespace

void ReportSink::add(std::string_view text) {
    pending_.append(text);
    if (pending_.size() >= pieceSize) {
        flush();
    }
}

bool ReportSink::flush() {
    if (!failed_ && !pending_.empty()) {
        failed_ = !write_(pending_);
    }
    pending_.clear();
    return !failed_;
}

std::string_view ngramKind(int length) {
    switch (length) {
        case 2:
            return "Bigram";
        case 3:
            return "Trigram";
        default:
            return "Quadgram";
    }
}

NgramReportWriter::NgramReportWriter(ReportOptions options, bool severalFiles)
    : options_(options), several_(severalFiles) {}

void NgramReportWriter::start(ReportSink& out) const {
    if (!several_) {
        return;
    }
    if (options_.format == OutputFormat::csv) {
        out.add("file,ngram,count,frequency\n");
    } else if (options_.format == OutputFormat::json) {
        out.add("[\n");
    }
}

void NgramReportWriter::file(std::string_view name, const NgramCounts& counts,
                             ReportSink& out) const {
    switch (options_.format) {
        case OutputFormat::csv:
            if (several_) {
                csvLines(csvField(name), counts, out);
            } else {
                out.add("ngram,count,frequency\n");
                csvLines({}, counts, out);
            }
            return;
        case OutputFormat::json:
            jsonObject(name, counts, several_ ? "  " : "", out);
            out.add(several_ ? ",\n" : "\n");
            return;
        case OutputFormat::table:
            break;
    }
    if (several_) {
        out.add("File: " + std::string(name) + "\n");
    }
    table(counts, out);
    if (several_) {
        out.add("\n");
    }
}

void NgramReportWriter::finish(const NgramCounts& total, int filesCounted, ReportSink& out) const {
    if (!several_) {
        return;
    }
    switch (options_.format) {
        case OutputFormat::csv:
            csvLines(totalName, total, out);
            return;
        case OutputFormat::json:
            jsonObject(totalName, total, "  ", out);
            out.add("\n]\n");
            return;
        case OutputFormat::table:
            break;
    }
    out.add("Total of " + decimal(static_cast<std::uint64_t>(filesCounted)) +
            (filesCounted == 1 ? " file\n" : " files\n"));
    table(total, out);
}

void NgramReportWriter::table(const NgramCounts& counts, ReportSink& out) const {
    const std::vector<std::uint32_t> order = ngramOrder(counts, options_.order, options_.top);
    std::uint64_t largest = 0;
    for (std::size_t index = 0; index < counts.slots(); ++index) {
        largest = std::max(largest, counts.count(index));
    }
    out.add(padLeft(ngramKind(counts.length()), 8) + padLeft("Count", 13) +
            padLeft("Frequency", 12) + "\n");
    for (const std::uint32_t index : order) {
        const std::uint64_t count = counts.count(index);
        std::string line = padLeft(ngramName(index, counts.length()), 8) +
                           padLeft(decimal(count), 13) +
                           padLeft(sixDecimals(count, counts.total()).value_or(""), 12);
        // Scaled to the most frequent sequence, which gets the letters' full bar.
        const auto length = static_cast<std::size_t>(
            std::nearbyint(static_cast<double>(barColumns) * static_cast<double>(count) /
                           static_cast<double>(largest)));
        if (length > 0) {
            line += "  " + std::string(length, '#');
        }
        out.add(line + "\n");
    }
    out.add("\nTotal " + lowerCase(ngramKind(counts.length())) +
            "s: " + decimal(static_cast<std::uint64_t>(counts.total())) + "\n");
}

void NgramReportWriter::csvLines(std::string_view firstField, const NgramCounts& counts,
                                 ReportSink& out) const {
    const std::string prefix = firstField.empty() ? "" : std::string(firstField) + ',';
    for (const std::uint32_t index : ngramOrder(counts, options_.order, options_.top)) {
        const std::uint64_t count = counts.count(index);
        out.add(prefix + ngramName(index, counts.length()) + ',' + decimal(count) + ',' +
                sixDecimals(count, counts.total()).value_or("") + '\n');
    }
}

void NgramReportWriter::jsonObject(std::string_view name, const NgramCounts& counts,
                                   std::string_view indent, ReportSink& out) const {
    const std::string outer(indent);
    const std::string inner = outer + "  ";
    out.add(outer + "{\n");
    out.add(inner + "\"file\": " + jsonString(name) + ",\n");
    out.add(inner + "\"ngram_length\": " + decimal(static_cast<std::uint64_t>(counts.length())) +
            ",\n");
    out.add(inner + "\"total_ngrams\": " + decimal(static_cast<std::uint64_t>(counts.total())) +
            ",\n");
    out.add(inner + "\"limitReached\": " + (counts.limitReached() ? "true" : "false") + ",\n");
    const std::vector<std::uint32_t> order = ngramOrder(counts, options_.order, options_.top);
    if (order.empty()) {
        out.add(inner + "\"ngrams\": []\n" + outer + "}");
        return;
    }
    out.add(inner + "\"ngrams\": [\n");
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::uint64_t count = counts.count(order[i]);
        out.add(inner + "  {\"ngram\": \"" + ngramName(order[i], counts.length()) +
                "\", \"count\": " + decimal(count) +
                ", \"frequency\": " + sixDecimals(count, counts.total()).value_or("null") + "}" +
                (i + 1 < order.size() ? ",\n" : "\n"));
    }
    out.add(inner + "]\n" + outer + "}");
}

}  // namespace glyphmeter::cli
