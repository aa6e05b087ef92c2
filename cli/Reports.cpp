#include "Reports.h"

#include <charconv>
#include <cmath>

#include "FrequencyFigures.h"
#include "JsonString.h"

namespace glyphmeter::cli {

namespace {

using analysis::describeTally;
using analysis::FrequencyTexts;
using analysis::LetterTally;

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

}  // namespace

std::string fourDecimals(std::int32_t frequencyFigure) {
    std::string fraction = decimal(frequencyFigure % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    return decimal(frequencyFigure / 10000) + "." + fraction;
}

int barLength(std::int32_t barFigure, double maxFrequency) {
    if (barFigure <= 0 || !(maxFrequency > 0)) {
        return 0;
    }
    // The growth of the bar on screen, with the window's own arithmetic and single precision.
    const float end = analysis::barEnd(analysis::barRestEnd, barFigure, maxFrequency);
    const double growth = static_cast<double>(end) - analysis::barRestEnd;
    return static_cast<int>(std::nearbyint(growth / twipsPerColumn));
}

std::string tableReport(const LetterTally& tally) {
    const FrequencyTexts texts = describeTally(tally, ".");
    std::string out = "Letter       Count  Frequency\n";
    for (int letter = 0; letter < analysis::letterCount; ++letter) {
        out += "     ";
        out += letterName(letter);
        out += padLeft(decimal(tally.letterCounts[letter]), 12);
        out += padLeft(fourDecimals(texts.frequencyFigures[letter]), 11);
        if (const int length = barLength(texts.barFigures[letter], texts.maxFrequency)) {
            out += "  ";
            out.append(static_cast<std::size_t>(length), '#');
        }
        out += '\n';
    }
    out += "\nTotal letters: " + decimal(tally.totalLetters) + "\n";
    out += "Largest frequency: " + texts.maxFrequencyText + "\n";
    return out;
}

std::string csvReport(const LetterTally& tally) {
    const FrequencyTexts texts = describeTally(tally, ".");
    std::string out = "letter,count,frequency\n";
    for (int letter = 0; letter < analysis::letterCount; ++letter) {
        out += letterName(letter);
        out += ',' + decimal(tally.letterCounts[letter]) + ',' +
               fourDecimals(texts.frequencyFigures[letter]) + '\n';
    }
    return out;
}

std::string jsonReport(const LetterTally& tally, std::string_view fileName) {
    const FrequencyTexts texts = describeTally(tally, ".");
    std::string out = "{\n";
    out += "  \"file\": " + jsonString(fileName) + ",\n";
    out += "  \"total\": " + decimal(tally.totalLetters) + ",\n";
    // The plain number text: up to 15 significant digits, a point, never an exponent.
    out += "  \"largestFrequency\": " + texts.maxFrequencyText + ",\n";
    out += std::string("  \"limitReached\": ") + (tally.limitReached ? "true" : "false") + ",\n";
    out += "  \"letters\": {\n";
    for (int letter = 0; letter < analysis::letterCount; ++letter) {
        out += "    \"";
        out += letterName(letter);
        out += "\": {\"count\": " + decimal(tally.letterCounts[letter]) +
               ", \"frequency\": " + fourDecimals(texts.frequencyFigures[letter]) + "}";
        out += letter + 1 < analysis::letterCount ? ",\n" : "\n";
    }
    out += "  }\n}\n";
    return out;
}

}  // namespace glyphmeter::cli
