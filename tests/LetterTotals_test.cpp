// The command-line tool's figures for 64-bit counts: the same as the window's for one file, and
// right for several files together beyond what 32 bits hold.
#include <gtest/gtest.h>

#include <random>

#include "FrequencyFigures.h"
#include "LetterTotals.h"

namespace glyphmeter::cli {
namespace {

using analysis::LetterTally;

TEST(LetterTotals, figures_match_the_windows_for_any_one_file) {
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        // Small totals give many exact halves (ties to even); large ones long quotients.
        const std::int32_t largest = round % 2 ? 40 : 80000000;
        LetterTally tally;
        for (std::int32_t& count : tally.letterCounts) {
            count = static_cast<std::int32_t>(random() % (largest + 1)) * (random() % 3 != 0);
            tally.totalLetters += count;
        }
        LetterTotals counts;
        counts.add(tally);
        const LetterFigures figures = letterFigures(counts);
        const analysis::FrequencyTexts window = analysis::describeTally(tally);
        EXPECT_EQ(figures.frequencyFigures, window.frequencyFigures) << round;
        EXPECT_EQ(figures.barFigures, window.barFigures) << round;
        EXPECT_EQ(figures.maxFrequency, window.maxFrequency) << round;
        EXPECT_EQ(figures.maxFrequencyText, window.maxFrequencyText) << round;
    }
}

TEST(LetterTotals, files_together_may_pass_32_bits) {
    // Two files stopped at the letter limit: 2,100,000,000 letters each, E and T half each.
    LetterTally full;
    full.letterCounts[4] = analysis::letterLimit / 2;
    full.letterCounts[19] = analysis::letterLimit / 2;
    full.totalLetters = analysis::letterLimit;
    full.limitReached = true;
    LetterTotals total;
    total.add(full);
    total.add(full);
    EXPECT_EQ(total.total, 4200000000);
    EXPECT_EQ(total.letters[4], 2100000000);
    EXPECT_TRUE(total.limitReached);
    const LetterFigures figures = letterFigures(total);
    EXPECT_EQ(figures.frequencyFigures[4], 5000);
    EXPECT_EQ(figures.frequencyFigures[19], 5000);
    EXPECT_EQ(figures.maxFrequencyText, "0.5");
}

}  // namespace
}  // namespace glyphmeter::cli
