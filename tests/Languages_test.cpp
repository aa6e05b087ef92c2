// The reference letter frequencies behind chi-squared, checked as data.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <set>

#include "Languages.h"

namespace glyphmeter::cli {
namespace {

TEST(Languages, each_table_sums_to_100_per_cent_within_rounding_and_expects_every_letter) {
    std::set<std::string_view> codes;
    for (const LanguageTable& table : languageTables()) {
        SCOPED_TRACE(std::string(table.code));
        EXPECT_TRUE(codes.insert(table.code).second);
        for (const double percent : table.percent) {
            EXPECT_GT(percent, 0.0);  // chi-squared divides by every letter's expected count
        }
        // Published to three decimals: each figure may be off by half a thousandth.
        const auto published =
            std::count_if(table.otherLettersPercent.begin(), table.otherLettersPercent.end(),
                          [](double percent) { return percent > 0; }) +
            table.percent.size();
        const double sum = std::accumulate(table.percent.begin(), table.percent.end(), 0.0) +
                           std::accumulate(table.otherLettersPercent.begin(),
                                           table.otherLettersPercent.end(), 0.0);
        EXPECT_NEAR(sum, 100.0, 0.0005 * static_cast<double>(published));
    }
    for (const char* code : {"en", "de", "fr", "es", "it", "pt", "nl", "sv"}) {
        EXPECT_EQ(codes.count(code), 1u) << code;
    }
    EXPECT_EQ(languageTables().front().code, "en");  // the default
}

}  // namespace
}  // namespace glyphmeter::cli
