// Figures, texts and bar ends from a tally, on the worked examples.
#include "FrequencyFigures.h"

#include <gtest/gtest.h>

#include <string_view>

namespace glyphmeter::analysis {
namespace {

LetterTally tallyOf(std::string_view text) {
    LetterTally tally;
    for (const char c : text) {
        const int folded = (static_cast<unsigned char>(c) | 0x20) - 'a';
        if (folded >= 0 && folded < 26) {
            ++tally.letterCounts[folded];
            ++tally.totalLetters;
        }
    }
    return tally;
}

int slot(char letter) {
    return letter - 'A';
}

TEST(FrequencyFigures, hello_world_gives_the_worked_texts_and_bars) {
    const FrequencyTexts texts = describeTally(tallyOf("Hello, World"));
    EXPECT_EQ(texts.countTexts[slot('L')], " 3");
    EXPECT_EQ(texts.frequencyTexts[slot('L')], " .3");
    EXPECT_EQ(texts.countTexts[slot('O')], " 2");
    EXPECT_EQ(texts.frequencyTexts[slot('O')], " .2");
    for (const char letter : {'D', 'E', 'H', 'R', 'W'}) {
        EXPECT_EQ(texts.countTexts[slot(letter)], " 1");
        EXPECT_EQ(texts.frequencyTexts[slot(letter)], " .1");
    }
    EXPECT_EQ(texts.countTexts[slot('A')], " 0");
    EXPECT_EQ(texts.frequencyTexts[slot('A')], " 0");
    EXPECT_EQ(texts.maxFrequencyText, "0.3");
    EXPECT_EQ(texts.totalText, " 10");

    const double maxFreq = texts.maxFrequency;
    EXPECT_EQ(barEnd(barRestEnd, texts.barFigures[slot('L')], maxFreq), 5910.0f);
    EXPECT_NEAR(barEnd(barRestEnd, texts.barFigures[slot('O')], maxFreq), 4743.33, 0.01);
    EXPECT_NEAR(barEnd(barRestEnd, texts.barFigures[slot('H')], maxFreq), 3576.67, 0.01);
    EXPECT_EQ(barEnd(barRestEnd, texts.barFigures[slot('A')], maxFreq), barRestEnd);
}

TEST(FrequencyFigures, mississippi_shows_the_rounding_of_bar_figures) {
    const FrequencyTexts texts = describeTally(tallyOf("Mississippi"));
    const struct {
        char letter;
        const char* frequency;
        int barFigure;
        float end;
    } rows[] = {
        {'I', " .3636", 364, 5913.5f},
        {'S', " .3636", 364, 5913.5f},
        {'P', " .1818", 182, 4161.75f},
        {'M', " .0909", 91, 3285.875f},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(texts.frequencyTexts[slot(row.letter)], row.frequency) << row.letter;
        EXPECT_EQ(texts.barFigures[slot(row.letter)], row.barFigure) << row.letter;
        EXPECT_EQ(barEnd(barRestEnd, row.barFigure, texts.maxFrequency), row.end) << row.letter;
    }
    EXPECT_EQ(texts.maxFrequencyText, "0.363636363636364");
    EXPECT_EQ(texts.totalText, " 11");
}

TEST(FrequencyFigures, rounding_is_half_to_even_after_the_quotient) {
    const struct {
        int count;
        int total;
        int figure;
    } cases[] = {
        {1, 32, 312},   // 312.5
        {3, 32, 938},   // 937.5
        {1, 20000, 0},  // 0.5
        {3, 20000, 1},  // 1.4999999999999998, where 3 * 10000 / 20000 would give 2
        {2, 3, 6667},  {6, 47, 1277},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(frequencyFigure(c.count, c.total), c.figure) << c.count << "/" << c.total;
    }
    EXPECT_EQ(barFigure(4, 10000), 0);
    EXPECT_EQ(barFigure(4, 11), 364);
}

TEST(FrequencyFigures, rare_letter_shows_a_figure_but_keeps_its_stub) {
    LetterTally tally;
    tally.letterCounts[0] = 3;
    tally.letterCounts[1] = 19997;
    tally.totalLetters = 20000;
    const FrequencyTexts texts = describeTally(tally);
    EXPECT_EQ(texts.frequencyTexts[0], " .0001");
    EXPECT_EQ(barEnd(barRestEnd, texts.barFigures[0], texts.maxFrequency), barRestEnd);
}

TEST(FrequencyFigures, one_letter_only_fills_the_scale) {
    const FrequencyTexts texts = describeTally(tallyOf("zzzz zz"));
    EXPECT_EQ(texts.frequencyTexts[slot('Z')], " 1");
    EXPECT_EQ(texts.maxFrequencyText, "1");
    EXPECT_EQ(barEnd(barRestEnd, texts.barFigures[slot('Z')], texts.maxFrequency), 5910.0f);
    EXPECT_EQ(texts.frequencyTexts[slot('Y')], " 0");
}

TEST(FrequencyFigures, no_letters_give_counts_only) {
    const FrequencyTexts texts = describeTally(tallyOf("123 ,.;\r\n\t"));
    for (int letter = 0; letter < letterCount; ++letter) {
        EXPECT_EQ(texts.countTexts[letter], " 0");
        EXPECT_FALSE(texts.frequencyTexts[letter].has_value());
    }
    EXPECT_EQ(texts.maxFrequencyText, "0");
    EXPECT_EQ(texts.totalText, " 0");
}

TEST(FrequencyFigures, largest_frequency_uses_the_given_separator) {
    EXPECT_EQ(describeTally(tallyOf("Hello, World"), ",").maxFrequencyText, "0,3");
    EXPECT_EQ(describeTally(tallyOf("Hello, World"), ",").frequencyTexts[slot('L')], " .3");
}

}  // namespace
}  // namespace glyphmeter::analysis
