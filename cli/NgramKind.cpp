#include "NgramKind.h"

#include <algorithm>
#include <cmath>

#include "JsonString.h"

namespace glyphmeter::cli {

namespace {

std::string lowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return out;
}

// Sequence counts are far below 2^63.
std::string countText(std::uint64_t count) {
    return decimal(static_cast<std::int64_t>(count));
}

}  // namespace

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

NgramCounts NgramKind::count(analysis::InputFile& input, const analysis::MessageSink& showMessage,
                             std::int32_t limit, Kept& kept) const {
    return NgramCounts(analysis::tallyNgrams(input, sequences_, showMessage, limit, &kept.buffers,
                                             &kept.counters));
}

void NgramKind::table(const NgramCounts& counts, ReportSink& out) const {
    const std::vector<ListedNgram> order = ngramOrder(counts, options_.order, options_.top);
    const std::uint64_t largest = counts.largest();
    out.add(padLeft(ngramKind(counts.length()), 8) + padLeft("Count", 13) +
            padLeft("Frequency", 12) + "\n");
    for (const auto& [index, count] : order) {
        std::string line = padLeft(ngramName(index, counts.length()), 8) +
                           padLeft(countText(count), 13) +
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
    out.add("\nTotal " + lowerCase(ngramKind(counts.length())) + "s: " + decimal(counts.total()) +
            "\n");
}

void NgramKind::rows(const NgramCounts& counts, const ReportRow& row) const {
    for (const auto& [index, count] : ngramOrder(counts, options_.order, options_.top)) {
        row(ngramName(index, counts.length()), static_cast<std::int64_t>(count),
            sixDecimals(count, counts.total()).value_or(""));
    }
}

void NgramKind::jsonObject(std::string_view name, const NgramCounts& counts,
                           std::string_view indent, ReportSink& out) const {
    const std::string outer(indent);
    const std::string inner = outer + "  ";
    out.add(outer + "{\n");
    out.add(inner + "\"file\": " + jsonString(name) + ",\n");
    out.add(inner + "\"ngram_length\": " + decimal(counts.length()) + ",\n");
    out.add(inner + "\"total_ngrams\": " + decimal(counts.total()) + ",\n");
    out.add(inner + "\"limitReached\": " + (counts.limitReached() ? "true" : "false") + ",\n");
    const std::vector<ListedNgram> order = ngramOrder(counts, options_.order, options_.top);
    if (order.empty()) {
        out.add(inner + "\"ngrams\": []\n" + outer + "}");
        return;
    }
    out.add(inner + "\"ngrams\": [\n");
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::uint64_t count = order[i].count;
        out.add(inner + "  {\"ngram\": \"" + ngramName(order[i].index, counts.length()) +
                "\", \"count\": " + countText(count) +
                ", \"frequency\": " + sixDecimals(count, counts.total()).value_or("null") + "}" +
                (i + 1 < order.size() ? ",\n" : "\n"));
    }
    out.add(inner + "]\n" + outer + "}");
}

}  // namespace glyphmeter::cli
