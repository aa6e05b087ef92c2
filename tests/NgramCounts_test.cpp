// A total of letter sequences is the same whichever way it holds its counts: in the hash table
// of a few sequences, or a count for every sequence once they are many.
#include <gtest/gtest.h>

#include <random>

#include "NgramCounts.h"

namespace glyphmeter::cli {
namespace {

// One file's counts: `distinct` random quadgrams, in index order as the tally gives them.
NgramCounts fileCounts(std::mt19937& random, std::size_t distinct) {
    analysis::NgramTally tally;
    tally.options.length = 4;
    std::vector<bool> used(analysis::ngramSlots(4), false);
    for (std::size_t i = 0; i < distinct; ++i) {
        const auto index = static_cast<std::uint32_t>(random() % used.size());
        if (!used[index]) {
            used[index] = true;
            const std::uint32_t count = 1 + random() % 1000;
            tally.counts.push_back({index, count});
            tally.totalNgrams += count;
        }
    }
    std::sort(tally.counts.begin(), tally.counts.end(),
              [](const auto& a, const auto& b) { return a.index < b.index; });
    return NgramCounts(std::move(tally));
}

TEST(NgramCounts, totals_agree_before_and_after_they_widen) {
    // Few sequences stay hashed; many pass the point where the total takes a slot for each.
    for (const std::size_t distinct : {10u, 5000u, 60000u}) {
        std::mt19937 random(static_cast<unsigned>(distinct));
        NgramCounts total(4);
        std::vector<std::uint64_t> expected(analysis::ngramSlots(4), 0);
        std::int64_t sum = 0;
        for (int file = 0; file < 5; ++file) {
            const NgramCounts counts = fileCounts(random, distinct);
            for (const ListedNgram& entry : counts.listed()) {
                expected[entry.index] += entry.count;
            }
            sum += counts.total();
            total.add(counts);
        }
        const NgramCounts wide(4, expected, sum, false);
        EXPECT_EQ(total, wide) << distinct;
        EXPECT_EQ(total.largest(), wide.largest()) << distinct;
        // A total read back from a report (a count for every sequence) adds to a hashed one.
        const NgramCounts file = fileCounts(random, 3);
        NgramCounts merged(4);
        merged.add(file);
        merged.add(wide);
        for (const ListedNgram& entry : file.listed()) {
            expected[entry.index] += entry.count;
        }
        EXPECT_EQ(merged, NgramCounts(4, expected, sum + file.total(), false)) << distinct;
    }
}

}  // namespace
}  // namespace glyphmeter::cli
