// The tally on real files beyond the sizes ordinary tests use: the real letter limit, and a file
// larger than 4 GiB. Labelled "large"; each makes its file in the temporary folder and removes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "LetterTally.h"
#include "ReferenceTally.h"
#include "TempDir.h"

namespace glyphmeter::analysis {
namespace {

using testing::TempDir;

bool enoughSpace(const std::filesystem::path& folder, std::uintmax_t bytes, std::string& why) {
    const auto space = std::filesystem::space(folder);
    if (space.available >= bytes) {
        return true;
    }
    why = folder.string() + " has " + std::to_string(space.available >> 20) + " MiB free, " +
          std::to_string(bytes >> 20) + " MiB needed";
    return false;
}

TEST(LargeFile, stops_exactly_at_the_real_letter_limit_on_the_last_byte) {
    TempDir dir;
    std::string why;
    if (!enoughSpace(dir.path(), std::uintmax_t{3} << 30, why)) {
        GTEST_SKIP() << why;
    }
    // 2,100,000,000 letters cycling through "AbCdEf...", so every letter is counted in both cases.
    std::vector<char> block(26 * 40000);
    for (std::size_t i = 0; i < block.size(); ++i) {
        const char letter = static_cast<char>('A' + i % 26);
        block[i] = i % 2 == 0 ? letter : static_cast<char>(letter | 0x20);
    }
    const auto path = dir.path() / "limit.txt";
    std::FILE* out = std::fopen(path.string().c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::int64_t left = letterLimit;
    while (left > 0) {
        const auto now = static_cast<std::size_t>(std::min<std::int64_t>(left, block.size()));
        ASSERT_EQ(std::fwrite(block.data(), 1, now, out), now);
        left -= static_cast<std::int64_t>(now);
    }
    ASSERT_EQ(std::fclose(out), 0);

    const auto expectLimit = [&](const LetterTally& tally) {
        EXPECT_TRUE(tally.limitReached);
        EXPECT_EQ(tally.totalLetters, letterLimit);
        // 80,769,230 whole cycles of 26, then A..T once more.
        for (int letter = 0; letter < 26; ++letter) {
            EXPECT_EQ(tally.letterCounts[letter], 80769230 + (letter < 20 ? 1 : 0)) << letter;
        }
    };
    std::vector<std::string> messages;
    const auto sink = [&](const std::string& text) { messages.push_back(text); };
    expectLimit(testing::tallyFile(path, sink));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], limitMessage());

    // More letters after the limit change nothing.
    out = std::fopen(path.string().c_str(), "ab");
    std::fputs("zzzzzzzzzz", out);
    std::fclose(out);
    expectLimit(testing::tallyFile(path, sink));
    EXPECT_EQ(messages.size(), 2u);
}

TEST(LargeFile, reads_past_four_gibibytes_without_a_message) {
    TempDir dir;
    std::string why;
    if (!enoughSpace(dir.path(), std::uintmax_t{1} << 30, why)) {
        GTEST_SKIP() << why;
    }
    // A sparse file: 4 GiB and a little of zero bytes (more characters than the letter limit, no
    // letters), then a few letters that only a reader with 64-bit offsets reaches.
    const auto path = dir.path() / "over-4g.txt";
    {
        std::FILE* out = std::fopen(path.string().c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fclose(out);
    }
    const std::uintmax_t zeros = (std::uintmax_t{4} << 30) + 12345;
    std::filesystem::resize_file(path, zeros);
    std::FILE* out = std::fopen(path.string().c_str(), "ab");
    std::fputs("Hello, World", out);
    std::fclose(out);

    bool messaged = false;
    const LetterTally tally =
        testing::tallyFile(path, [&](const std::string&) { messaged = true; });
    EXPECT_FALSE(messaged);
    EXPECT_FALSE(tally.limitReached);
    EXPECT_EQ(tally.totalLetters, 10);
    EXPECT_EQ(tally.letterCounts['L' - 'A'], 3);
}

}  // namespace
}  // namespace glyphmeter::analysis
