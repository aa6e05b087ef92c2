// The sequence tally against a plain reading loop: hand-made texts with every kind of run break,
// and random texts over many block sizes, both reading paths, one and two threads, and limits.
#include "NgramTally.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "InputFile.h"
#include "ReaderBuffers.h"
#include "ReferenceTally.h"
#include "ScriptedInput.h"
#include "TempDir.h"

namespace glyphmeter::analysis {
namespace {

using testing::randomBytes;
using testing::randomUtf16;
using testing::referenceNgrams;
using testing::ScriptedInput;
using testing::TempDir;

std::map<std::string, std::uint64_t> listed(const NgramTally& tally) {
    std::map<std::string, std::uint64_t> result;
    for (const NgramCount& count : tally.counts) {
        std::string name(static_cast<std::size_t>(tally.options.length), ' ');
        for (std::size_t rest = count.index, i = name.size(); i-- > 0; rest /= 26) {
            name[i] = static_cast<char>('A' + rest % 26);
        }
        result[name] = count.count;
    }
    return result;
}

std::vector<std::byte> bytesOf(std::string_view text) {
    const auto bytes = std::as_bytes(std::span(text.data(), text.size()));
    return {bytes.begin(), bytes.end()};
}

TEST(NgramTally, hand_made_texts_break_runs_at_every_non_letter_unless_spanning_words) {
    using Counts = std::map<std::string, std::uint64_t>;
    const struct {
        std::vector<std::byte> text;
        int length;
        Counts runs;
        Counts spanning;
    } cases[] = {
        {bytesOf("a-b cd"), 2, {{"CD", 1}}, {{"AB", 1}, {"BC", 1}, {"CD", 1}}},
        {bytesOf("Th3e\r\nEND."),
         2,
         {{"TH", 1}, {"EN", 1}, {"ND", 1}},
         {{"TH", 1}, {"HE", 1}, {"EE", 1}, {"EN", 1}, {"ND", 1}}},
        // A byte from 128 up breaks a run, as in UTF-8 "é" (C3 A9) and Latin-1 "é" (E9).
        {bytesOf("caf\xc3\xa9s ab\xe9z"),
         3,
         {{"CAF", 1}},
         {{"CAF", 1}, {"AFS", 1}, {"FSA", 1}, {"SAB", 1}, {"ABZ", 1}}},
        {bytesOf("aaaaa"), 4, {{"AAAA", 2}}, {{"AAAA", 2}}},
        {bytesOf("abc"), 4, {}, {}},
        {bytesOf(""), 2, {}, {}},
        // UTF-16 in both byte orders: "é", "т" (04 42, whose low byte is a 'B') and U+4100 break.
        {testing::utf16Bytes(u"Hi\u00e9Jo", false),
         2,
         {{"HI", 1}, {"JO", 1}},
         {{"HI", 1}, {"IJ", 1}, {"JO", 1}}},
        {testing::utf16Bytes(u"ab\u0442cd\u4100e", true),
         2,
         {{"AB", 1}, {"CD", 1}},
         {{"AB", 1}, {"BC", 1}, {"CD", 1}, {"DE", 1}}},
    };
    for (const auto& c : cases) {
        for (const bool span : {false, true}) {
            const NgramOptions options{c.length, span};
            const Counts& expected = span ? c.spanning : c.runs;
            ASSERT_EQ(listed(referenceNgrams(c.text, options)), expected);
            ScriptedInput input(c.text, true);
            const NgramTally tally = detail::tallyNgrams(input, options, {}, letterLimit, 3, 2);
            EXPECT_EQ(listed(tally), expected) << c.length << " span " << span;
        }
    }
}

// Every kernel's way of packing letters and of listing the sequences, over pieces of awkward
// sizes and addresses joined in order.
TEST(NgramTally, every_kernel_counts_pieces_as_the_plain_loop) {
    std::vector<std::byte> bytes = randomBytes(20011, 9);
    bytes[0] = std::byte{'x'};  // no byte-order mark
    for (const LetterKernel& kernel : supportedKernels()) {
        for (const int length : {2, 3, 4}) {
            for (const bool span : {false, true}) {
                const NgramOptions options{length, span};
                NgramCounter counter(options, kernel);
                NgramState state = counter.startState();
                std::span<const std::byte> rest(bytes);
                for (const std::size_t size : {0u, 1u, 17u, 4095u, 4097u, 9000u}) {
                    const auto piece = rest.first(size);
                    state = counter.join(state, piece, counter.count(piece));
                    rest = rest.subspan(size);
                }
                state = counter.join(state, rest, counter.count(rest));
                std::vector<std::uint32_t> counts(ngramSlots(length));
                counter.addTo(counts);
                const auto expected = referenceNgrams(bytes, options).counts;
                EXPECT_EQ(testing::sparseOf(counts), expected)
                    << kernel.name << " N " << length << " span " << span;
                // What the counter listed of its slots (trigrams and quadgrams of this length of
                // text are listed) gives the same.
                EXPECT_EQ(counter.take(), expected)
                    << kernel.name << " N " << length << " span " << span;
            }
        }
    }
}

// The sparse list take() gives against the dense table addTo() reads, for texts that keep the
// list of touched slots and texts past its bound, joined from two counters either way; after
// take() both counters are empty and count the next text afresh.
TEST(NgramCounter, taken_counts_are_the_tables_and_leave_the_counter_empty) {
    // 300 passes the bound for bigrams, 9000 for trigrams, 140000 for quadgrams.
    const std::size_t sizes[][2] = {{0, 0}, {40, 7}, {300, 5}, {9, 9000}, {140000, 60}};
    for (const int length : {2, 3, 4}) {
        for (const auto& [firstSize, secondSize] : sizes) {
            const NgramOptions options{length, length == 3};
            const std::vector<std::byte> first = randomBytes(firstSize, 21);
            std::vector<std::byte> second = randomBytes(secondSize, 22);
            if (!second.empty()) {
                second[0] = std::byte{'x'};  // no byte-order mark for the reference to read
            }
            NgramCounter counter(options);
            NgramCounter other(options);
            counter.count(first);
            other.count(second);
            std::vector<std::uint32_t> dense(ngramSlots(length));
            counter.addTo(dense);
            other.addTo(dense);
            counter.addAndClear(other);
            EXPECT_EQ(counter.take(), testing::sparseOf(dense)) << length << " " << firstSize;
            EXPECT_TRUE(counter.take().empty());
            EXPECT_TRUE(other.take().empty());
            counter.count(second);
            EXPECT_EQ(counter.take(), referenceNgrams(second, options).counts)
                << length << " " << secondSize;
        }
    }
}

TEST(NgramTally, long_random_file_matches_the_reference_in_full) {
    TempDir dir;
    const std::vector<std::byte> bytes = randomBytes(5'000'003, 7);
    const auto path = dir.write("random.txt", bytes);
    for (const int length : {2, 3, 4}) {
        for (const bool span : {false, true}) {
            const NgramOptions options{length, span};
            std::vector<std::string> shown;
            InputFile file = InputFile::open(path);
            const NgramTally tally =
                tallyNgrams(file, options, [&](const std::string& m) { shown.push_back(m); });
            const NgramTally expected = referenceNgrams(bytes, options);
            EXPECT_EQ(tally.counts, expected.counts) << length << " span " << span;
            EXPECT_EQ(tally.totalNgrams, expected.totalNgrams);
            EXPECT_EQ(tally.totalLetters, expected.totalLetters);
            EXPECT_TRUE(shown.empty());
        }
    }
}

// One set of reader buffers for files of every size in turn, small after large and back, bytes
// and UTF-16 (narrowed in the buffer): each result is that file's own.
TEST(NgramTally, buffers_kept_from_file_to_file_give_each_file_its_own_counts) {
    TempDir dir;
    constexpr std::size_t block = detail::defaultBlockSize;
    const std::vector<std::vector<std::byte>> texts{
        randomBytes(3 * block + 7, 51),
        randomBytes(0, 52),
        randomUtf16(9, 53, false),
        randomBytes(5000, 54),
        randomUtf16(70000, 55, true),
        randomBytes(block + 1, 56),
        randomBytes(2, 57),
    };
    ReaderBuffers buffers;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const NgramOptions options{static_cast<int>(2 + i % 3), i % 2 == 1};
        InputFile file = InputFile::open(dir.write("text" + std::to_string(i), texts[i]));
        const NgramTally tally = tallyNgrams(file, options, {}, letterLimit, &buffers);
        const NgramTally expected = referenceNgrams(texts[i], options);
        EXPECT_EQ(tally.counts, expected.counts) << i;
        EXPECT_EQ(tally.totalLetters, expected.totalLetters) << i;
    }
}

}  // namespace
}  // namespace glyphmeter::analysis
