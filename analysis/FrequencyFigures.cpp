#include "FrequencyFigures.h"

#include <cmath>

#include "NumberText.h"

namespace glyphmeter::analysis {

namespace {

// Rounds half to even (the default floating-point rounding mode); std::round would round half
// away from zero.
std::int32_t roundHalfEven(double value) {
    return static_cast<std::int32_t>(std::nearbyint(value));
}

double quotient(std::int32_t count, std::int32_t total) {
    return static_cast<double>(count) / static_cast<double>(total);
}

}  // namespace

std::int32_t frequencyFigure(std::int32_t count, std::int32_t total) {
    return roundHalfEven(quotient(count, total) * 10000.0);
}

std::string fourDecimals(std::int32_t frequencyFigure) {
    std::string fraction = std::to_string(frequencyFigure % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    return std::to_string(frequencyFigure / 10000) + "." + fraction;
}

std::int32_t barFigure(std::int32_t count, std::int32_t total) {
    return roundHalfEven(quotient(count, total) * 1000.0);
}

double maxFrequency(const LetterTally& tally) {
    double largest = 0;
    if (tally.totalLetters > 0) {
        for (const std::int32_t count : tally.letterCounts) {
            const double q = quotient(count, tally.totalLetters);
            if (q > largest) {
                largest = q;
            }
        }
    }
    return largest;
}

float barEnd(float currentEnd, std::int32_t figure, double maxFreq) {
    const double scaledMax = maxFreq * 1000.0;
    const double share = static_cast<double>(figure) / scaledMax;
    const double growth = barScale * share;
    return static_cast<float>(static_cast<double>(currentEnd) + growth);
}

FrequencyTexts describeTally(const LetterTally& tally, std::string_view decimalSeparator) {
    FrequencyTexts texts;
    const std::int32_t total = tally.totalLetters;
    for (int letter = 0; letter < letterCount; ++letter) {
        const std::int32_t count = tally.letterCounts[letter];
        texts.countTexts[letter] = signedNumberText(count);
        if (total > 0) {
            const std::int32_t figure = frequencyFigure(count, total);
            texts.frequencyFigures[letter] = figure;
            texts.barFigures[letter] = barFigure(count, total);
            texts.frequencyTexts[letter] = signedNumberText(static_cast<double>(figure) / 10000.0);
        }
    }
    texts.maxFrequency = maxFrequency(tally);
    texts.maxFrequencyText = total > 0 ? plainNumberText(texts.maxFrequency, decimalSeparator)
                                       : plainNumberText(std::int64_t{0});
    texts.totalText = signedNumberText(total);
    return texts;
}

}  // namespace glyphmeter::analysis
