#include "Reports.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "CsvField.h"
#include "FrequencyFigures.h"
#include "JsonString.h"
#include "LetterStatistics.h"

namespace glyphmeter::cli {

namespace {

constexpr double twipsPerColumn = analysis::barScale / barColumns;

std::string decimal(std::int64_t value) {
    char buffer[24];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

std::string padLeft(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.insert(0, width - text.size(), ' ');
    }
    return text;
}

char letterName(int letter) {
    return static_cast<char>('A' + letter);
}

// Four decimals, a point, never an exponent; `none` when there is no value.
std::string statisticText(std::optional<double> value, std::string_view none) {
    if (!value) {
        return std::string(none);
    }
    char buffer[400];  // room for the largest double in fixed notation
    return std::string(
        buffer,
        std::to_chars(buffer, buffer + sizeof buffer, *value, std::chars_format::fixed, 4).ptr);
}

// The statistics of one block: the index of coincidence raw and times 26, and chi-squared.
struct Statistics {
    std::optional<double> coincidence;
    std::optional<double> normalisedCoincidence;
    std::optional<double> chiSquared;
};

Statistics statistics(const LetterCounts& counts, const LanguageTable& language) {
    Statistics result;
    result.coincidence = indexOfCoincidence(counts);
    if (result.coincidence) {
        result.normalisedCoincidence = *result.coincidence * analysis::letterCount;
    }
    result.chiSquared = chiSquared(counts, language);
    return result;
}

}  // namespace

int barLength(std::int32_t barFigure, double maxFrequency) {
    if (barFigure <= 0 || !(maxFrequency > 0)) {
        return 0;
    }
    // The growth of the bar on screen, with the window's own arithmetic and single precision.
    const float end = analysis::barEnd(analysis::barRestEnd, barFigure, maxFrequency);
    const double growth = static_cast<double>(end) - analysis::barRestEnd;
    return static_cast<int>(std::nearbyint(growth / twipsPerColumn));
}

ReportWriter::ReportWriter(ReportOptions options, bool severalFiles)
    : options_(options), several_(severalFiles) {}

std::string ReportWriter::start() const {
    if (!several_) {
        return {};
    }
    switch (options_.format) {
        case OutputFormat::csv:
            return "file,letter,count,frequency\n";
        case OutputFormat::json:
            return "[\n";
        case OutputFormat::table:
            break;
    }
    return {};
}

std::string ReportWriter::file(std::string_view name, const LetterCounts& counts) const {
    switch (options_.format) {
        case OutputFormat::csv:
            return several_ ? csvLines(csvField(name), counts)
                            : "letter,count,frequency\n" + csvLines({}, counts);
        case OutputFormat::json:
            return several_ ? jsonObject(name, counts, "  ") + ",\n"
                            : jsonObject(name, counts, "") + "\n";
        case OutputFormat::table:
            break;
    }
    return several_ ? "File: " + std::string(name) + "\n" + table(counts) + "\n" : table(counts);
}

std::string ReportWriter::finish(const LetterCounts& total, int filesCounted) const {
    if (!several_) {
        return {};
    }
    switch (options_.format) {
        case OutputFormat::csv:
            return csvLines(totalName, total);
        case OutputFormat::json:
            return jsonObject(totalName, total, "  ") + "\n]\n";
        case OutputFormat::table:
            break;
    }
    return "Total of " + decimal(filesCounted) + (filesCounted == 1 ? " file\n" : " files\n") +
           table(total);
}

std::string ReportWriter::table(const LetterCounts& counts) const {
    const LetterFigures figures = letterFigures(counts);
    std::string out = "Letter       Count  Frequency\n";
    for (const int letter : letterOrder(counts, options_.order)) {
        out += "     ";
        out += letterName(letter);
        out += padLeft(decimal(counts.letters[letter]), 12);
        out += padLeft(analysis::fourDecimals(figures.frequencyFigures[letter]), 11);
        if (const int length = barLength(figures.barFigures[letter], figures.maxFrequency)) {
            out += "  ";
            out.append(static_cast<std::size_t>(length), '#');
        }
        out += '\n';
    }
    out += "\nTotal letters: " + decimal(counts.total) + "\n";
    out += "Largest frequency: " + figures.maxFrequencyText + "\n";
    if (const LanguageTable* language = options_.statistics) {
        const Statistics measures = statistics(counts, *language);
        out += "\nIndex of coincidence: ";
        out += measures.coincidence
                   ? statisticText(measures.coincidence, {}) +
                         " (x26: " + statisticText(measures.normalisedCoincidence, {}) + ")"
                   : "not defined below 2 letters";
        out += "\nChi-squared against " + std::string(language->name) + ": " +
               statisticText(measures.chiSquared, "not defined without letters") + "\n";
    }
    return out;
}

std::string ReportWriter::csvLines(std::string_view firstField, const LetterCounts& counts) const {
    const LetterFigures figures = letterFigures(counts);
    const std::string prefix = firstField.empty() ? "" : std::string(firstField) + ',';
    std::string out;
    for (const int letter : letterOrder(counts, options_.order)) {
        out += prefix;
        out += letterName(letter);
        out += ',' + decimal(counts.letters[letter]) + ',' +
               analysis::fourDecimals(figures.frequencyFigures[letter]) + '\n';
    }
    return out;
}

std::string ReportWriter::jsonObject(std::string_view name, const LetterCounts& counts,
                                     std::string_view indent) const {
    const LetterFigures figures = letterFigures(counts);
    const std::string outer(indent);
    const std::string inner = outer + "  ";
    std::string out = outer + "{\n";
    out += inner + "\"file\": " + jsonString(name) + ",\n";
    out += inner + "\"total\": " + decimal(counts.total) + ",\n";
    // The plain number text: up to 15 significant digits, a point, never an exponent.
    out += inner + "\"largestFrequency\": " + figures.maxFrequencyText + ",\n";
    out += inner + "\"limitReached\": " + (counts.limitReached ? "true" : "false") + ",\n";
    if (const LanguageTable* language = options_.statistics) {
        const Statistics measures = statistics(counts, *language);
        out += inner + "\"indexOfCoincidence\": " + statisticText(measures.coincidence, "null") +
               ",\n";
        out += inner + "\"indexOfCoincidenceNormalised\": " +
               statisticText(measures.normalisedCoincidence, "null") + ",\n";
        out += inner + "\"chiSquared\": " + statisticText(measures.chiSquared, "null") + ",\n";
        out += inner + "\"language\": " + jsonString(language->code) + ",\n";
    }
    out += inner + "\"letters\": {\n";
    const auto order = letterOrder(counts, options_.order);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int letter = order[i];
        out += inner + "  \"";
        out += letterName(letter);
        out += "\": {\"count\": " + decimal(counts.letters[letter]) +
               ", \"frequency\": " + analysis::fourDecimals(figures.frequencyFigures[letter]) + "}";
        out += i + 1 < order.size() ? ",\n" : "\n";
    }
    out += inner + "}\n" + outer + "}";
    return out;
}

}  // namespace glyphmeter::cli
