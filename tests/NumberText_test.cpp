// The two number forms, on the worked values and the cases that tell them apart.
#include "NumberText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace glyphmeter::analysis {
namespace {

struct IntegerCase {
    std::int64_t value;
    const char* signedText;
    const char* plainText;
};

TEST(NumberText, integers_have_a_sign_position_only_in_the_signed_form) {
    const IntegerCase cases[] = {
        {0, " 0", "0"},
        {3, " 3", "3"},
        {2100000000, " 2100000000", "2100000000"},
        {-7, "-7", "-7"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(signedNumberText(c.value), c.signedText) << c.value;
        EXPECT_EQ(plainNumberText(c.value), c.plainText) << c.value;
    }
}

TEST(NumberText, frequency_figures_lose_the_leading_zero_and_trailing_zeros) {
    const struct {
        int figure;
        const char* text;
    } cases[] = {
        {1234, " .1234"}, {5000, " .5"}, {1250, " .125"}, {1, " .0001"},
        {10000, " 1"},    {0, " 0"},     {1000, " .1"},   {1230, " .123"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(signedNumberText(c.figure / 10000.0), c.text) << c.figure;
    }
}

TEST(NumberText, every_figure_divided_by_ten_thousand_reads_back_exactly) {
    // " .DDDD" with the trailing zeros dropped; " 0" and " 1" at the ends.
    const auto expectedText = [](int figure) -> std::string {
        if (figure == 0) {
            return " 0";
        }
        if (figure == 10000) {
            return " 1";
        }
        char digits[8];
        std::snprintf(digits, sizeof digits, " .%04d", figure);
        std::string text = digits;
        text.erase(text.find_last_not_of('0') + 1);
        return text;
    };
    for (int figure = 0; figure <= 10000; ++figure) {
        ASSERT_EQ(signedNumberText(figure / 10000.0), expectedText(figure)) << figure;
    }
}

TEST(NumberText, plain_form_rounds_to_fifteen_significant_digits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {3.0 / 10, "0.3"},
        {4.0 / 11, "0.363636363636364"},
        {6.0 / 47, "0.127659574468085"},
        {2.0 / 3, "0.666666666666667"},
        {1.0 / 1, "1"},
        {0.0, "0"},
        {1.0 / 26, "0.0384615384615385"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plainNumberText(c.value), c.text) << c.value;
    }
}

TEST(NumberText, plain_form_uses_the_given_separator_and_the_signed_form_never_does) {
    EXPECT_EQ(plainNumberText(0.3, ","), "0,3");
    EXPECT_EQ(plainNumberText(2.0 / 3, "\xd9\xab"),
              "0\xd9\xab"
              "666666666666667");
    EXPECT_EQ(plainNumberText(1.0, ","), "1");
    EXPECT_EQ(signedNumberText(0.3), " .3");
}

TEST(NumberText, values_outside_the_usual_range_are_written_without_an_exponent) {
    EXPECT_EQ(signedNumberText(0.00001), " .00001");
    EXPECT_EQ(plainNumberText(1.0 / 3 / 100000), "0.00000333333333333333");
    EXPECT_EQ(plainNumberText(1e15), "1000000000000000");
    EXPECT_EQ(signedNumberText(-0.0), " 0");
    EXPECT_EQ(signedNumberText(-0.25), "-.25");
}

}  // namespace
}  // namespace glyphmeter::analysis
