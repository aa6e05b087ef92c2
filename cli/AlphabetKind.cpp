#include "AlphabetKind.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <numeric>
#include <optional>

#include "CsvField.h"
#include "FileBlockInput.h"
#include "FrequencyFigures.h"
#include "JsonString.h"
#include "LetterKind.h"
#include "ReportReading.h"
#include "UnicodeTables.h"

namespace glyphmeter::cli {

namespace {

// The code points of valid UTF-8 (the alphabets' and tables' own texts); a stray byte is read as
// a character of its own.
std::u32string codePoints(std::string_view text) {
    std::u32string out;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length && at + k < text.size(); ++k) {
            c = c << 6 | (static_cast<unsigned char>(text[at + k]) & 0x3F);
        }
        out.push_back(c);
        at += length;
    }
    return out;
}

bool isWide(char32_t c) {
    // The East Asian Wide and Fullwidth blocks, coarsely: Hangul Jamo, CJK, Hangul syllables,
    // compatibility ideographs, full-width forms, and the ideographs beyond the BMP.
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// Four decimals, a point, never an exponent; `none` when there is no value.
std::string statisticText(std::optional<double> value, std::string_view none) {
    if (!value) {
        return std::string(none);
    }
    char buffer[400];
    return std::string(
        buffer,
        std::to_chars(buffer, buffer + sizeof buffer, *value, std::chars_format::fixed, 4).ptr);
}

// "UTF-8", "WINDOWS-1252": the encoding as the message on invalid sequences names it.
std::string shownEncoding(analysis::TextEncoding encoding) {
    std::string name(analysis::encodingName(encoding));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
    return name;
}

}  // namespace

std::string invalidSequencesMessage(const analysis::AlphabetCounts& counts,
                                    analysis::TextEncoding encoding) {
    const std::uint64_t n = counts.invalidSequences;
    if (n == 0) {
        return {};
    }
    return std::to_string(n) + " invalid " + shownEncoding(encoding) +
           (n == 1 ? " sequence, at byte " : " sequences, the first at byte ") +
           std::to_string(counts.firstInvalid.value_or(0));
}

std::size_t displayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (const char32_t c : codePoints(utf8)) {
        width += analysis::unicode::isCombiningMark(c) ? 0 : isWide(c) ? 2 : 1;
    }
    return width;
}

void AlphabetTotals::add(const AlphabetTotals& other) {
    for (std::size_t letter = 0; letter < letters.size(); ++letter) {
        letters[letter] += other.letters[letter];
    }
    total += other.total;
    invalidSequences += other.invalidSequences;
    limitReached = limitReached || other.limitReached;
}

struct AlphabetKind::Figures {
    std::vector<std::int32_t> frequency;  // ten-thousandths
    std::vector<std::int32_t> bar;        // thousandths
    double maxFrequency = 0;
    std::string maxFrequencyText;
};

struct AlphabetKind::Measures {
    std::optional<double> coincidence;
    std::optional<double> normalisedCoincidence;
    std::optional<double> chiSquared;
};

AlphabetKind::AlphabetKind(const ReportOptions& options, AlphabetChoice choice)
    : CountKind(options), choice_(std::move(choice)) {
    const analysis::Alphabet& alphabet = choice_.counting.alphabet;
    for (const std::string& letter : alphabet.shownLetters()) {
        names_.push_back(letter);
        widths_.push_back(displayWidth(letter));
        nameWidth_ = std::max(nameWidth_, widths_.back());
    }
    shares_.assign(alphabet.size(), -1.0);
    if (const LanguageTable* language = choice_.language) {
        // The table's A to Z and other letters, each given to the letter it counts as here.
        std::vector<double> percent(alphabet.size(), 0.0);
        std::vector<bool> referenced(alphabet.size(), false);
        const auto give = [&](char32_t c, double value) {
            if (const auto letter = alphabet.letterOf(alphabet.fold(c))) {
                percent[*letter] += value;
                referenced[*letter] = true;
            }
        };
        for (int letter = 0; letter < analysis::letterCount; ++letter) {
            give(static_cast<char32_t>('a' + letter), language->percent[letter]);
        }
        const std::u32string others = codePoints(language->otherLetters);
        for (std::size_t i = 0; i < others.size() && i < language->otherLettersPercent.size();
             ++i) {
            give(others[i], language->otherLettersPercent[i]);
        }
        const double sum = std::accumulate(percent.begin(), percent.end(), 0.0);
        for (std::size_t letter = 0; letter < percent.size(); ++letter) {
            if (referenced[letter] && sum > 0) {
                shares_[letter] = percent[letter] / sum;
            }
        }
    }
}

AlphabetTotals AlphabetKind::emptyTotal() const {
    AlphabetTotals totals;
    totals.letters.assign(names_.size(), 0);
    return totals;
}

AlphabetTotals AlphabetKind::count(analysis::InputFile& input,
                                   const analysis::MessageSink& showMessage, std::int32_t limit,
                                   analysis::ReaderBuffers& buffers) const {
    analysis::detail::FileBlockInput blocks(input);
    return count(blocks, showMessage, limit, buffers);
}

AlphabetTotals AlphabetKind::count(analysis::detail::BlockInput& input,
                                   const analysis::MessageSink& showMessage, std::int32_t limit,
                                   analysis::ReaderBuffers& buffers) const {
    const analysis::AlphabetTally tally = analysis::detail::tallyAlphabet(
        input, choice_.counting, showMessage, limit, analysis::detail::defaultBlockSize,
        analysis::detail::readerThreads(), &buffers);
    AlphabetTotals counts;
    counts.letters = tally.counts.letters;
    counts.total = tally.counts.total;
    counts.invalidSequences = tally.counts.invalidSequences;
    counts.limitReached = tally.limitReached;
    if (const std::string message = invalidSequencesMessage(tally.counts, tally.encoding);
        !message.empty() && showMessage) {
        showMessage(message);
    }
    return counts;
}

AlphabetKind::Figures AlphabetKind::figures(const AlphabetTotals& counts) const {
    Figures figures;
    figures.frequency.assign(counts.letters.size(), 0);
    figures.bar.assign(counts.letters.size(), 0);
    if (counts.total <= 0) {
        figures.maxFrequencyText = analysis::plainNumberText(std::int64_t{0});
        return figures;
    }
    // As the letter kind works them out: the quotient first, then scaled.
    figures.maxFrequency =
        frequencyFigures(counts.letters, counts.total, figures.frequency, figures.bar);
    figures.maxFrequencyText = analysis::plainNumberText(figures.maxFrequency);
    return figures;
}

AlphabetKind::Measures AlphabetKind::measures(const AlphabetTotals& counts) const {
    Measures result;
    if (counts.total >= 2) {
        double pairs = 0;
        for (const std::int64_t n : counts.letters) {
            pairs += static_cast<double>(n) * static_cast<double>(n - 1);
        }
        const double total = static_cast<double>(counts.total);
        result.coincidence = pairs / (total * (total - 1));
        result.normalisedCoincidence =
            *result.coincidence * static_cast<double>(counts.letters.size());
    }
    if (choice_.language) {
        // Over the letters the table has a value for, as if they were all the letters.
        std::int64_t covered = 0;
        for (std::size_t letter = 0; letter < counts.letters.size(); ++letter) {
            covered += shares_[letter] > 0 ? counts.letters[letter] : 0;
        }
        if (covered > 0) {
            double sum = 0;
            for (std::size_t letter = 0; letter < counts.letters.size(); ++letter) {
                if (shares_[letter] > 0) {
                    const double expected = shares_[letter] * static_cast<double>(covered);
                    const double difference =
                        static_cast<double>(counts.letters[letter]) - expected;
                    sum += difference * difference / expected;
                }
            }
            result.chiSquared = sum;
        }
    }
    return result;
}

std::vector<std::size_t> AlphabetKind::order(const AlphabetTotals& counts) const {
    std::vector<std::size_t> letters(counts.letters.size());
    std::iota(letters.begin(), letters.end(), std::size_t{0});
    if (options_.order == SortOrder::byCount) {
        std::stable_sort(letters.begin(), letters.end(), [&](std::size_t a, std::size_t b) {
            return counts.letters[a] > counts.letters[b];
        });
    }
    return letters;
}

void AlphabetKind::table(const AlphabetTotals& counts, ReportSink& out) const {
    const Figures shown = figures(counts);
    std::string text = "Letter" + std::string(6 + nameWidth_, ' ') + "Count  Frequency\n";
    for (const std::size_t letter : order(counts)) {
        text += "     " + names_[letter] + std::string(nameWidth_ - widths_[letter], ' ');
        text += padLeft(decimal(counts.letters[letter]), 12);
        text += padLeft(analysis::fourDecimals(shown.frequency[letter]), 11);
        if (const int length = barLength(shown.bar[letter], shown.maxFrequency)) {
            text += "  ";
            text.append(static_cast<std::size_t>(length), '#');
        }
        text += '\n';
    }
    text += "\nTotal letters: " + decimal(counts.total) + "\n";
    text += "Largest frequency: " + shown.maxFrequencyText + "\n";
    if (choice_.statistics) {
        const Measures m = measures(counts);
        text += "\nIndex of coincidence: ";
        text += m.coincidence
                    ? statisticText(m.coincidence, {}) + " (x" + std::to_string(names_.size()) +
                          ": " + statisticText(m.normalisedCoincidence, {}) + ")"
                    : "not defined below 2 letters";
        if (choice_.language) {
            text += "\nChi-squared against " + std::string(choice_.language->name) + ": " +
                    statisticText(m.chiSquared, "not defined without letters") + "\n";
        } else {
            text +=
                "\nChi-squared: no reference letter frequencies for " + choice_.languageCode + "\n";
        }
    }
    out.add(text);
}

void AlphabetKind::rows(const AlphabetTotals& counts, const ReportRow& row) const {
    const Figures shown = figures(counts);
    for (const std::size_t letter : order(counts)) {
        row(csvField(names_[letter]), counts.letters[letter],
            analysis::fourDecimals(shown.frequency[letter]));
    }
}

void AlphabetKind::jsonObject(std::string_view name, const AlphabetTotals& counts,
                              std::string_view indent, ReportSink& out) const {
    const Figures shown = figures(counts);
    const std::string outer(indent);
    const std::string inner = outer + "  ";
    std::string text = outer + "{\n";
    text += inner + "\"file\": " + jsonString(name) + ",\n";
    text += inner + "\"alphabet\": " + jsonString(choice_.name) + ",\n";
    text += inner + "\"total\": " + decimal(counts.total) + ",\n";
    text += inner + "\"largestFrequency\": " + shown.maxFrequencyText + ",\n";
    text += inner + "\"limitReached\": " + (counts.limitReached ? "true" : "false") + ",\n";
    text += inner +
            "\"invalidSequences\": " + decimal(static_cast<std::int64_t>(counts.invalidSequences)) +
            ",\n";
    if (choice_.statistics) {
        const Measures m = measures(counts);
        text += inner + "\"indexOfCoincidence\": " + statisticText(m.coincidence, "null") + ",\n";
        text += inner + "\"indexOfCoincidenceNormalised\": " +
                statisticText(m.normalisedCoincidence, "null") + ",\n";
        text += inner + "\"chiSquared\": " + statisticText(m.chiSquared, "null") + ",\n";
        if (!choice_.language) {
            text += inner + "\"chiSquaredUnavailable\": " +
                    jsonString("no reference letter frequencies for " + choice_.languageCode) +
                    ",\n";
        }
        text += inner + "\"language\": " + jsonString(choice_.languageCode) + ",\n";
    }
    text += inner + "\"letters\": {\n";
    const auto letters = order(counts);
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const std::size_t letter = letters[i];
        text += inner + "  " + jsonString(names_[letter]) +
                ": {\"count\": " + decimal(counts.letters[letter]) +
                ", \"frequency\": " + analysis::fourDecimals(shown.frequency[letter]) + "}";
        text += i + 1 < letters.size() ? ",\n" : "\n";
    }
    text += inner + "}\n" + outer + "}";
    out.add(text);
}

AlphabetTotals AlphabetKind::fromJson(const nlohmann::json& object) const {
    if (object.is_object() && object.contains("ngram_length")) {
        throw ForeignReport("counts letter sequences, not single letters");
    }
    checkKeys(object,
              {"total", "largestFrequency", "limitReached", "invalidSequences",
               "indexOfCoincidence", "indexOfCoincidenceNormalised", "chiSquared",
               "chiSquaredUnavailable", "language", "letters"},
              choice_.name);
    checkLetterFigures(object);
    AlphabetTotals counts;
    counts.limitReached = flagValue(member(object, "limitReached"), "\"limitReached\"");
    counts.invalidSequences = static_cast<std::uint64_t>(
        countValue(member(object, "invalidSequences"), "\"invalidSequences\""));
    counts.total = countValue(member(object, "total"), "\"total\"");
    counts.letters = letterCountsOf(member(object, "letters"), names_,
                                    "the letters of the alphabet " + choice_.name, counts.total);
    return counts;
}

}  // namespace glyphmeter::cli
