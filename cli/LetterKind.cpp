#include "LetterKind.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>
#include "FrequencyFigures.h"

#include "JsonString.h"
#include "LetterStatistics.h"
#include "ReportReading.h"

namespace glyphmeter::cli {

namespace {

constexpr double twipsPerColumn = analysis::barScale / barColumns;

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

Statistics statistics(const LetterTotals& counts, const LanguageTable& language) {
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

LetterTotals LetterKind::count(analysis::InputFile& input, const analysis::MessageSink& showMessage,
                               std::int32_t limit, analysis::ReaderBuffers& buffers) const {
    LetterTotals counts;
    counts.add(analysis::tallyLetters(input, showMessage, limit, &buffers));
    return counts;
}

void LetterKind::table(const LetterTotals& counts, ReportSink& out) const {
    const LetterFigures figures = letterFigures(counts);
    std::string text = "Letter       Count  Frequency\n";
    for (const int letter : letterOrder(counts, options_.order)) {
        text += "     ";
        text += letterName(letter);
        text += padLeft(decimal(counts.letters[letter]), 12);
        text += padLeft(analysis::fourDecimals(figures.frequencyFigures[letter]), 11);
        if (const int length = barLength(figures.barFigures[letter], figures.maxFrequency)) {
            text += "  ";
            text.append(static_cast<std::size_t>(length), '#');
        }
        text += '\n';
    }
    text += "\nTotal letters: " + decimal(counts.total) + "\n";
    text += "Largest frequency: " + figures.maxFrequencyText + "\n";
    if (const LanguageTable* language = options_.statistics) {
        const Statistics measures = statistics(counts, *language);
        text += "\nIndex of coincidence: ";
        text += measures.coincidence
                    ? statisticText(measures.coincidence, {}) +
                          " (x26: " + statisticText(measures.normalisedCoincidence, {}) + ")"
                    : "not defined below 2 letters";
        text += "\nChi-squared against " + std::string(language->name) + ": " +
                statisticText(measures.chiSquared, "not defined without letters") + "\n";
    }
    out.add(text);
}

void LetterKind::rows(const LetterTotals& counts, const ReportRow& row) const {
    const LetterFigures figures = letterFigures(counts);
    for (const int letter : letterOrder(counts, options_.order)) {
        const char name = letterName(letter);
        row(std::string_view(&name, 1), counts.letters[letter],
            analysis::fourDecimals(figures.frequencyFigures[letter]));
    }
}

void LetterKind::jsonObject(std::string_view name, const LetterTotals& counts,
                            std::string_view indent, ReportSink& out) const {
    const LetterFigures figures = letterFigures(counts);
    const std::string outer(indent);
    const std::string inner = outer + "  ";
    std::string text = outer + "{\n";
    text += inner + "\"file\": " + jsonString(name) + ",\n";
    text += inner + "\"total\": " + decimal(counts.total) + ",\n";
    // The plain number text: up to 15 significant digits, a point, never an exponent.
    text += inner + "\"largestFrequency\": " + figures.maxFrequencyText + ",\n";
    text += inner + "\"limitReached\": " + (counts.limitReached ? "true" : "false") + ",\n";
    if (const LanguageTable* language = options_.statistics) {
        const Statistics measures = statistics(counts, *language);
        text += inner + "\"indexOfCoincidence\": " + statisticText(measures.coincidence, "null") +
                ",\n";
        text += inner + "\"indexOfCoincidenceNormalised\": " +
                statisticText(measures.normalisedCoincidence, "null") + ",\n";
        text += inner + "\"chiSquared\": " + statisticText(measures.chiSquared, "null") + ",\n";
        text += inner + "\"language\": " + jsonString(language->code) + ",\n";
    }
    text += inner + "\"letters\": {\n";
    const auto order = letterOrder(counts, options_.order);
    for (std::size_t i = 0; i < order.size(); ++i) {
        const int letter = order[i];
        text += inner + "  \"";
        text += letterName(letter);
        text += "\": {\"count\": " + decimal(counts.letters[letter]) +
                ", \"frequency\": " + analysis::fourDecimals(figures.frequencyFigures[letter]) +
                "}";
        text += i + 1 < order.size() ? ",\n" : "\n";
    }
    text += inner + "}\n" + outer + "}";
    out.add(text);
}

LetterTotals LetterKind::fromJson(const nlohmann::json& object) const {
    if (object.is_object() && object.contains("ngram_length")) {
        throw ForeignReport("counts letter sequences, not single letters");
    }
    checkKeys(object,
              {"total", "largestFrequency", "limitReached", "indexOfCoincidence",
               "indexOfCoincidenceNormalised", "chiSquared", "language", "letters"},
              latinAlphabet);
    checkLetterFigures(object);
    LetterTotals counts;
    counts.limitReached = flagValue(member(object, "limitReached"), "\"limitReached\"");
    static const std::vector<std::string> names = [] {
        std::vector<std::string> aToZ;
        for (int letter = 0; letter < analysis::letterCount; ++letter) {
            aToZ.emplace_back(1, letterName(letter));
        }
        return aToZ;
    }();
    counts.total = countValue(member(object, "total"), "\"total\"");
    const std::vector<std::int64_t> letters =
        letterCountsOf(member(object, "letters"), names, "the letters A to Z", counts.total);
    std::copy(letters.begin(), letters.end(), counts.letters.begin());
    return counts;
}

}  // namespace glyphmeter::cli
